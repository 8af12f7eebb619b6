// cvkreg: registers and unregisters component libraries through their own entry points.
#include "platform/com/com.h"
#include "platform/com/registry.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <string>

namespace {

using RegistrationFunction = HRESULT (*)();

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: cvkreg [--system] LIBRARY      register the library's classes\n"
                      "       cvkreg [--system] -u LIBRARY   unregister them\n"
                      "       cvkreg --version\n"
                      "--system edits the machine-wide store instead of the user's.\n");
}

int Fail(const std::string& what, HRESULT hr) {
    std::fprintf(stderr, "cvkreg: %s (status 0x%08X)\n", what.c_str(), static_cast<unsigned>(hr));
    cvk::ErrorText error;
    if (cvk::TakeErrorText(&error) && !error.description.empty()) {
        std::string source(cvk::Bstr(error.source).utf8());
        std::fprintf(stderr, "cvkreg: %s%s%s\n", source.c_str(), source.empty() ? "" : ": ",
                     cvk::Bstr(error.description).utf8().c_str());
    }
    return kExitFailure;
}

// dlopen searches the library path for a bare name; a file named on the command line is meant
// as a path, and the library records the path it was loaded from, so make it absolute.
std::string AbsolutePath(const char* argument) {
    char resolved[PATH_MAX];
    if (::realpath(argument, resolved))
        return resolved;
    return {};
}

int Run(const char* library, bool unregister) {
    std::string path = AbsolutePath(library);
    if (path.empty())
        return Fail(std::string("cannot find ") + library, CO_E_DLLNOTFOUND);
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        return Fail("cannot load " + path + ": " + (why ? why : "unknown reason"), CO_E_ERRORINDLL);
    }
    const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto entry = reinterpret_cast<RegistrationFunction>(::dlsym(handle, entryName));
    if (!entry)
        return Fail(path + " has no " + entryName, CO_E_ERRORINDLL);
    cvk::ComInitializer com;
    SetErrorInfo(0, nullptr);
    HRESULT hr = entry();
    if (FAILED(hr))
        return Fail(std::string(entryName) + " failed in " + path, hr);
    std::printf("%s succeeded in %s\n", entryName, path.c_str());
    // The library stays loaded until exit: objects of its own may still be alive.
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("cvkreg %s\n", CORVANE_VERSION);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    int at = 1;
    if (at < argc && std::strcmp(argv[at], "--system") == 0) {
        cvk::registry::SetEditScope(cvk::registry::Scope::Machine);
        ++at;
    }
    const int left = argc - at;
    if (left == 1 && argv[at][0] != '-')
        return Run(argv[at], false);
    if (left == 2 && std::strcmp(argv[at], "-u") == 0)
        return Run(argv[at + 1], true);
    PrintUsage(stderr);
    return kExitUsage;
}
