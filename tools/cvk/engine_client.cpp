// Creating the Server through the registration store, registering the libraries beside the
// program when they are not registered, and reporting engine failures.
#include "tools/cvk/engine_client.h"

#include "engine/include/engine_status.h"
#include "modweave/modweave.h"
#include "platform/com/classfactory.h"
#include "platform/com/errorinfo.h"
#include "platform/com/registry.h"
#include "platform/com/runtime.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace cvktool {
namespace {

// Why a status may have come, in the user's words, for statuses that carry no error text.
const char* ExplainStatus(HRESULT hr) {
    switch (hr) {
    case E_IMAGE_OPEN:
        return "the BIOS map file cannot be opened";
    case E_IMAGE_FORMAT:
        return "the BIOS map file is malformed";
    case E_LIMITS_EXCEEDED:
        return "the new BIOS allows fewer locked or hidden settings than are in use";
    case STG_E_FILEALREADYEXISTS:
        return "the file is not a workspace file";
    case STG_E_ACCESSDENIED:
        return "the file cannot be written";
    case STG_E_FILENOTFOUND:
    case STG_E_PATHNOTFOUND:
        return "no such file";
    case STG_E_DOCFILECORRUPT:
        return "the workspace file is damaged";
    case REGDB_E_CLASSNOTREG:
        return "a component is not registered; run cvkreg on libcvkserver.so and libmodweave.so";
    case CO_E_DLLNOTFOUND:
    case CO_E_ERRORINDLL:
        return "a registered component library cannot be loaded; register it again with cvkreg";
    case E_FAIL:
        return "the engine refused the request";
    case E_ACCESSDENIED:
        return "access denied";
    case E_OUTOFMEMORY:
        return "out of memory";
    default:
        return nullptr;
    }
}

std::filesystem::path ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
}

// Registers a component library through its own DllRegisterServer. The library stays loaded:
// the runtime loads the same file again for the classes it registered.
HRESULT RegisterLibrary(const std::filesystem::path& library) {
    if (!std::filesystem::exists(library))
        return CO_E_DLLNOTFOUND;
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return CO_E_ERRORINDLL;
    using Entry = HRESULT (*)();
    auto entry = reinterpret_cast<Entry>(::dlsym(handle, "DllRegisterServer"));
    if (!entry)
        return CO_E_ERRORINDLL;
    return entry();
}

bool NeedsRegistration(HRESULT hr) {
    return hr == REGDB_E_CLASSNOTREG || hr == CO_E_DLLNOTFOUND;
}

// Makes sure `clsid` can be created, registering `libraryName` from the program's folder when
// the class is missing from the store.
HRESULT EnsureRegistered(REFCLSID clsid, const char* libraryName, std::string* what) {
    cvk::ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid,
                                  factory.put_void());
    if (!NeedsRegistration(hr))
        return hr;
    const std::filesystem::path library = ProgramFolder() / libraryName;
    ClearErrorText();
    const HRESULT registered = RegisterLibrary(library);
    if (FAILED(registered)) {
        *what = "cannot register " + library.string();
        return registered;
    }
    std::fprintf(stderr, "cvk: registered %s in %s\n", library.c_str(),
                 cvk::registry::StorePath().c_str());
    return CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid,
                            factory.put_void());
}

} // namespace

HRESULT CreateServer(cvk::ComPtr<IServer>* server, std::string* what) {
    *what = "cannot create the engine";
    HRESULT hr = EnsureRegistered(CLSID_Server, "libcvkserver.so", what);
    if (FAILED(hr))
        return hr;
    // The workspace creates the module engine; without it no workspace can be made.
    hr = EnsureRegistered(CLSID_ModweaveEngine, "libmodweave.so", what);
    if (FAILED(hr))
        return hr;
    return CoCreateInstance(CLSID_Server, nullptr, CLSCTX_INPROC_SERVER, IServer::iid,
                            server->put_void());
}

int ReportFailure(const std::string& what, HRESULT hr) {
    std::string message = "cvk: " + what;
    char code[32];
    std::snprintf(code, sizeof code, ": error 0x%08X", static_cast<unsigned>(hr));
    message += code;
    cvk::ErrorText error;
    if (cvk::TakeErrorText(&error) && !error.description.empty())
        message += ": " + cvk::Bstr(error.description).utf8();
    else if (const char* explanation = ExplainStatus(hr))
        message += std::string(" (") + explanation + ")";
    std::fprintf(stderr, "%s\n", message.c_str());
    return kExitEngine;
}

int ReportUsage(const std::string& message) {
    std::fprintf(stderr, "cvk: %s\ntry \"cvk --help\"\n", message.c_str());
    return kExitUsage;
}

void PrintedLog::Note(const std::string& line) {
    std::printf("%s\n", line.c_str());
}

void PrintedLog::Warn(const std::string& message) {
    std::fprintf(stderr, "cvk: warning: %s\n", message.c_str());
}

void PrintedLog::Failure(const std::string& what, HRESULT hr) {
    ReportFailure(what, hr);
}

std::string Utf8(BSTR text) {
    return cvk::Bstr::CopyOf(text).utf8();
}

} // namespace cvktool
