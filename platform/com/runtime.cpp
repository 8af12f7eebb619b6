// Creation by class identifier: the registration store, library loading and class factories.
#include "platform/com/runtime.h"

#include "platform/com/classfactory.h"
#include "platform/com/guid.h"
#include "platform/com/registry.h"
#include "platform/text/codepage.h"

#include <cstdlib>
#include <dlfcn.h>
#include <limits.h>
#include <map>
#include <mutex>
#include <unistd.h>

namespace {

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);

thread_local int initializeCount = 0;

// Loaded component libraries by path; never closed, so that objects and error information
// they handed out stay valid.
struct LoadedLibraries {
    std::mutex mutex;
    std::map<std::string, void*> handles;
};

LoadedLibraries& Libraries() {
    static LoadedLibraries libraries;
    return libraries;
}

HRESULT LoadLibraryEntry(const std::string& path, GetClassObjectFunction* entry) {
    if (path.empty() || ::access(path.c_str(), F_OK) != 0)
        return CO_E_DLLNOTFOUND;
    auto& libraries = Libraries();
    std::lock_guard lock(libraries.mutex);
    void*& handle = libraries.handles[path];
    if (!handle)
        handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        libraries.handles.erase(path);
        return CO_E_ERRORINDLL;
    }
    void* symbol = ::dlsym(handle, "DllGetClassObject");
    if (!symbol)
        return CO_E_ERRORINDLL;
    *entry = reinterpret_cast<GetClassObjectFunction>(symbol);
    return S_OK;
}

std::string Utf8Of(LPCOLESTR text) {
    std::u16string_view view(text);
    return cvk::text::Utf16ToUtf8(view);
}

} // namespace

HRESULT CoInitialize(void* reserved) {
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(void*, DWORD) {
    return initializeCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (initializeCount > 0)
        --initializeCount;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (initializeCount == 0)
        return CO_E_NOTINITIALIZED;
    if (!(context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)))
        return REGDB_E_CLASSNOTREG;
    std::string path;
    HRESULT hr =
        cvk::registry::GetValue("CLSID\\" + cvk::FormatGuid(clsid) + "\\InprocServer32", "", &path);
    if (hr == REGDB_E_KEYMISSING)
        return REGDB_E_CLASSNOTREG;
    if (FAILED(hr))
        return hr;
    GetClassObjectFunction entry = nullptr;
    hr = LoadLibraryEntry(path, &entry);
    if (FAILED(hr))
        return hr;
    return entry(clsid, riid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    cvk::ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IClassFactory::iid, factory.put_void());
    if (FAILED(hr))
        return hr;
    return factory->CreateInstance(nullptr, riid, object);
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
    if (!progId || !clsid)
        return E_POINTER;
    std::string name;
    try {
        name = Utf8Of(progId);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (name.empty())
        return CO_E_CLASSSTRING;
    std::string text;
    HRESULT hr = cvk::registry::GetValue(name + "\\CLSID", "", &text);
    if (hr == REGDB_E_KEYMISSING || hr == E_INVALIDARG)
        return CO_E_CLASSSTRING;
    if (FAILED(hr))
        return hr;
    auto parsed = cvk::ParseGuid(text);
    if (!parsed)
        return CO_E_CLASSSTRING;
    *clsid = *parsed;
    return S_OK;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId) {
    if (!progId)
        return E_POINTER;
    *progId = nullptr;
    std::string name;
    HRESULT hr =
        cvk::registry::GetValue("CLSID\\" + cvk::FormatGuid(clsid) + "\\ProgID", "", &name);
    if (hr == REGDB_E_KEYMISSING)
        return REGDB_E_CLASSNOTREG;
    if (FAILED(hr))
        return hr;
    std::u16string wide = cvk::text::Utf8ToUtf16(name);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
    if (!copy)
        return E_OUTOFMEMORY;
    wide.copy(copy, wide.size());
    copy[wide.size()] = u'\0';
    *progId = copy;
    return S_OK;
}

void CoFreeUnusedLibraries() {}

void* CoTaskMemAlloc(std::size_t bytes) {
    return std::malloc(bytes);
}
void CoTaskMemFree(void* block) {
    std::free(block);
}

namespace cvk {

std::string ModulePath(const void* address) {
    Dl_info info{};
    if (!address || ::dladdr(address, &info) == 0 || !info.dli_fname)
        return {};
    char resolved[PATH_MAX];
    if (::realpath(info.dli_fname, resolved))
        return resolved;
    return info.dli_fname;
}

} // namespace cvk
