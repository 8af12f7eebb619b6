// The module engine's class and its creation, for the component's entry points, tests and fuzzing.
#pragma once

#include "modweave/modweave.h"
#include "platform/com/object.h"

namespace modweave {

// The library's own object and lock counts, for DllCanUnloadNow.
struct EngineModule : cvk::Module<EngineModule> {};

constexpr char16_t kEngineSource[] = u"Modweave.Engine";
constexpr char16_t kEngineVersion[] = u"Modweave 3.1.0";

// Creates a fresh engine object, as its class factory does.
HRESULT CreateEngine(IModweaveEngine** engine);
// The class factory of CLSID_ModweaveEngine; CLASS_E_CLASSNOTAVAILABLE for any other class.
HRESULT GetEngineClassObject(REFCLSID clsid, REFIID riid, void** object);

} // namespace modweave
