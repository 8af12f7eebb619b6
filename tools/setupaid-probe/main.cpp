// setupaid-probe: loads the installer-support library as an installer does and prints its answers.
#include "installer/setupaid.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <string>
#include <unistd.h>

namespace {

constexpr int kExitRunning = 0;
constexpr int kExitNotRunning = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCannotLoad = 3;
constexpr int kExitCloseFailed = 4;

struct Options {
    std::string library;
    const char* title = nullptr;
    bool close = false;
};

struct Exports {
    SetupaidIsGUIRunning isGUIRunning = nullptr;
    SetupaidCloseGUI closeGUI = nullptr;
    SetupaidIsMultipleUsers isMultipleUsers = nullptr;
};

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: setupaid-probe [--library PATH] [--close] TITLE\n"
                      "  Calls isGUIRunning(TITLE) and isMultipleUsers(); with --close, also\n"
                      "  CloseGUI() when the window was found, as an installer does.\n"
                      "  PATH defaults to libsetupaid.so beside this program.\n"
                      "exit status: 0 running (and close queued), 1 not running, 2 usage,\n"
                      "  3 library not loaded, 4 close not queued\n");
}

// Installers ship the library beside their own program; so does the build.
std::string LibraryBesideProgram() {
    char self[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return "libsetupaid.so";
    std::string path(self, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + "libsetupaid.so";
}

bool ParseArguments(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--close") == 0) {
            options->close = true;
        } else if (std::strcmp(argv[i], "--library") == 0 && i + 1 < argc) {
            options->library = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] == '-' && !options->title) {
            return false;
        } else if (!options->title) {
            options->title = argv[i];
        } else {
            return false;
        }
    }
    if (options->library.empty())
        options->library = LibraryBesideProgram();
    return options->title != nullptr;
}

bool LoadExports(const std::string& library, Exports* exports) {
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        std::fprintf(stderr, "setupaid-probe: cannot load %s: %s\n", library.c_str(),
                     why ? why : "unknown reason");
        return false;
    }
    exports->isGUIRunning = reinterpret_cast<SetupaidIsGUIRunning>(::dlsym(handle, "isGUIRunning"));
    exports->closeGUI = reinterpret_cast<SetupaidCloseGUI>(::dlsym(handle, "CloseGUI"));
    exports->isMultipleUsers =
        reinterpret_cast<SetupaidIsMultipleUsers>(::dlsym(handle, "isMultipleUsers"));
    if (exports->isGUIRunning && exports->closeGUI && exports->isMultipleUsers)
        return true;
    std::fprintf(stderr, "setupaid-probe: %s lacks one of the installer-support exports\n",
                 library.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (!ParseArguments(argc, argv, &options)) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    Exports exports;
    if (!LoadExports(options.library, &exports))
        return kExitCannotLoad;

    int32_t running = exports.isGUIRunning(options.title);
    std::printf("isGUIRunning(\"%s\") = %d\n", options.title, static_cast<int>(running));
    std::printf("isMultipleUsers() = %d\n", static_cast<int>(exports.isMultipleUsers()));
    if (!running)
        return kExitNotRunning;
    if (!options.close)
        return kExitRunning;
    int32_t closed = exports.closeGUI();
    std::printf("CloseGUI() = %d\n", static_cast<int>(closed));
    return closed ? kExitRunning : kExitCloseFailed;
}
