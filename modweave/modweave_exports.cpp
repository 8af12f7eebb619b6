// The module engine's entry points: class objects, unloading and registration.
#include "modweave/engine.h"

#include "platform/com/registry.h"
#include "platform/com/runtime.h"

#define CVK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

cvk::registry::ClassRegistration EngineRegistration() {
    cvk::registry::ClassRegistration reg;
    reg.clsid = CLSID_ModweaveEngine;
    reg.description = "Modweave Engine";
    // The path this library was loaded from, so that the store names this very build.
    reg.libraryPath = cvk::ModulePath(reinterpret_cast<const void*>(&EngineRegistration));
    reg.threadingModel = "Apartment";
    reg.progId = "Modweave.Engine.1";
    reg.versionIndependentProgId = "Modweave.Engine";
    reg.programmable = true;
    return reg;
}

} // namespace

CVK_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return modweave::GetEngineClassObject(clsid, riid, object);
}

CVK_EXPORT HRESULT DllCanUnloadNow() {
    return modweave::EngineModule::CanUnloadNow();
}

CVK_EXPORT HRESULT DllRegisterServer() {
    return cvk::Boundary(modweave::kEngineSource, [] {
        auto reg = EngineRegistration();
        if (reg.libraryPath.empty())
            return SELFREG_E_CLASS;
        return cvk::registry::EditStore(
            [&](cvk::registry::Store& store) { return cvk::registry::RegisterClass(store, reg); });
    });
}

CVK_EXPORT HRESULT DllUnregisterServer() {
    return cvk::Boundary(modweave::kEngineSource, [] {
        return cvk::registry::EditStore([](cvk::registry::Store& store) {
            return cvk::registry::UnregisterClass(store, EngineRegistration());
        });
    });
}
