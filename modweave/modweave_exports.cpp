// The module engine's entry points; its classes are added as they land.
#include "platform/com/unknown.h"

#define CVK_EXPORT extern "C" __attribute__((visibility("default")))

CVK_EXPORT HRESULT DllGetClassObject(REFCLSID, REFIID, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}
CVK_EXPORT HRESULT DllCanUnloadNow() { return S_OK; }
CVK_EXPORT HRESULT DllRegisterServer() { return S_OK; }
CVK_EXPORT HRESULT DllUnregisterServer() { return S_OK; }
