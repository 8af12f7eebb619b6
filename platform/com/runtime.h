// The component runtime: per-thread initialisation, creation by class identifier through the
// registration store, programmatic identifiers, and task memory.
#pragma once

#include "platform/com/unknown.h"

#include <string>

// Creation contexts; only in-process servers exist on this platform.
enum CLSCTX : DWORD {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10,
    CLSCTX_ALL = 0x17,
    CLSCTX_SERVER = 0x15,
};

enum COINIT : DWORD {
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2,
};

// Counts per thread: S_OK for the first call on a thread, S_FALSE for a nested one. Each
// successful call is matched by one CoUninitialize.
CVK_COM_API HRESULT CoInitialize(void* reserved);
CVK_COM_API HRESULT CoInitializeEx(void* reserved, DWORD coInit);
CVK_COM_API void CoUninitialize();

// Looks `clsid` up in the registration store (CLSID\{...}\InprocServer32), loads the library
// named there on first use (it stays loaded), and asks its DllGetClassObject for the class
// factory. CO_E_NOTINITIALIZED before CoInitialize on this thread; REGDB_E_CLASSNOTREG for a
// class that is not registered; CO_E_DLLNOTFOUND when the library file is missing;
// CO_E_ERRORINDLL when it cannot be loaded or lacks DllGetClassObject.
CVK_COM_API HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid,
                                     void** object);
// As CoGetClassObject, then IClassFactory::CreateInstance. `outer` must be null
// (CLASS_E_NOAGGREGATION).
CVK_COM_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                                     void** object);
// The class named by "<progId>\CLSID"; CO_E_CLASSSTRING when there is none.
CVK_COM_API HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
// The versioned identifier of CLSID\{...}\ProgID, in task memory (CoTaskMemFree);
// REGDB_E_CLASSNOTREG when there is none.
CVK_COM_API HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId);
// Loaded libraries stay loaded for the life of the process; kept for the platform's callers.
CVK_COM_API void CoFreeUnusedLibraries();

CVK_COM_API void* CoTaskMemAlloc(std::size_t bytes);
CVK_COM_API void CoTaskMemFree(void* block);

namespace cvk {

// The absolute path of the shared library (or program) that holds `address`: how a component
// library finds the path to write into InprocServer32. Empty when unknown.
CVK_COM_API std::string ModulePath(const void* address);

// Pairs CoInitialize with CoUninitialize over a scope.
class ComInitializer {
public:
    ComInitializer() : hr_(CoInitialize(nullptr)) {}
    ~ComInitializer() {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    ComInitializer(const ComInitializer&) = delete;
    ComInitializer& operator=(const ComInitializer&) = delete;
    HRESULT status() const { return hr_; }

private:
    HRESULT hr_;
};

} // namespace cvk
