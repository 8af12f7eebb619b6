// Benchmark: NewWorkspace, SaveWorkspace, OpenWorkspace and DumpIni on generated boards of
// 2,000 and 20,000 CMOS settings; prints each time, the 20,000 to 2,000 ratio and the peak
// memory per setting. Usage: bench_workspace [scratch-folder]
#include "bench/generated_board.h"
#include "engine/core/server.h"
#include "platform/com/com.h"
#include "tools/cvkgen/map_writer.h"

#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr std::size_t kSettingsPerMenu = 50;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Timings {
    double create = 0, save = 0, open = 0, dump = 0;
};

// Runs the four operations once; false on a failure (printed).
bool RunOnce(const std::string& map, const std::string& folder, Timings* out) {
    using cvk::Bstr;
    auto server = cvk::MakeObject<cvk::Server>();
    cvk::ComPtr<IWorkspace> workspace;
    const LONG mask = SUBSYS_CMOS | SUBSYS_SMBIOS | SUBSYS_ENVCTL;
    auto start = std::chrono::steady_clock::now();
    HRESULT hr = server->NewWorkspace(mask, Bstr::FromUtf8(map).get(), workspace.put());
    out->create = Seconds(start);
    const Bstr file = Bstr::FromUtf8(folder + "/bench.cvw");
    if (SUCCEEDED(hr)) {
        start = std::chrono::steady_clock::now();
        hr = server->SaveWorkspace(workspace.get(), file.get());
        out->save = Seconds(start);
    }
    if (SUCCEEDED(hr)) {
        server->CloseWorkspace(workspace.get());
        workspace = nullptr;
        start = std::chrono::steady_clock::now();
        hr = server->OpenWorkspace(file.get(), workspace.put());
        out->open = Seconds(start);
    }
    if (SUCCEEDED(hr)) {
        start = std::chrono::steady_clock::now();
        hr = workspace->DumpIni(Bstr::FromUtf8(folder + "/bench.ini").get(), mask, 0);
        out->dump = Seconds(start);
    }
    if (FAILED(hr))
        std::printf("failed: 0x%08X\n", static_cast<unsigned>(hr));
    return SUCCEEDED(hr);
}

Timings Faster(const Timings& a, const Timings& b) {
    Timings t = a;
    t.create = std::min(a.create, b.create);
    t.save = std::min(a.save, b.save);
    t.open = std::min(a.open, b.open);
    t.dump = std::min(a.dump, b.dump);
    return t;
}

// Runs in a child process so that its peak resident size is its own; the times come back
// through a pipe and the peak through wait4.
bool Measure(const std::string& map, const std::string& folder, bool work, Timings* timings,
             long* peakKiB) {
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        Timings t;
        bool ok = true;
        if (work) {
            cvk::ComInitializer com;
            ok = RunOnce(map, folder, &t);
        }
        ok = ok && ::write(fds[1], &t, sizeof t) == static_cast<ssize_t>(sizeof t);
        std::_Exit(ok ? 0 : 1);
    }
    ::close(fds[1]);
    const bool read = ::read(fds[0], timings, sizeof *timings) == sizeof *timings;
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    *peakKiB = usage.ru_maxrss;
    return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RegisterModuleEngine() {
    void* library = ::dlopen(CORVANE_MODWEAVE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    auto entry =
        library ? reinterpret_cast<HRESULT (*)()>(::dlsym(library, "DllRegisterServer")) : nullptr;
    cvk::ComInitializer com;
    return entry && SUCCEEDED(entry());
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? std::filesystem::path(argv[1])
                                                  : std::filesystem::temp_directory_path() /
                                                        ("cvk-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string registry = (folder / "bench.registry").string();
    ::setenv("CORVANE_REGISTRY", registry.c_str(), 1);
    if (!RegisterModuleEngine()) {
        std::printf("cannot register the module engine\n");
        return 1;
    }

    const std::size_t sizes[] = {2000, 20000};
    Timings times[2];
    long peakKiB[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const std::string map = (folder / ("board" + std::to_string(sizes[i]) + ".cvk")).string();
        cvkgen::SaveFileAtomically(map, cvkgen::WriteMapFile(bench::GeneratedBoard(
                                            sizes[i], kSettingsPerMenu, kSettingsPerMenu)));
        Timings none;
        long baseKiB = 0;
        if (!Measure(map, folder.string(), false, &none, &baseKiB))
            return 1;
        // Best of three runs: the machine may be busy with other work.
        for (int run = 0; run < 3; ++run) {
            Timings t;
            long kiB = 0;
            if (!Measure(map, folder.string(), true, &t, &kiB))
                return 1;
            times[i] = run == 0 ? t : Faster(times[i], t);
            peakKiB[i] = run == 0 ? kiB : std::min(peakKiB[i], kiB);
        }
        const long peak = peakKiB[i];
        std::printf("%6zu settings: NewWorkspace %.3f s, SaveWorkspace %.3f s, "
                    "OpenWorkspace %.3f s, DumpIni %.3f s\n",
                    sizes[i], times[i].create, times[i].save, times[i].open, times[i].dump);
        std::printf("%6zu settings: peak memory %.0f bytes per setting (target 2048)\n", sizes[i],
                    1024.0 * static_cast<double>(peak - baseKiB) / static_cast<double>(sizes[i]));
    }
    // The growth from the small board to the large one, free of the libraries' fixed cost.
    std::printf("added memory per added setting (target 2048): %.0f bytes\n",
                1024.0 * static_cast<double>(peakKiB[1] - peakKiB[0]) /
                    static_cast<double>(sizes[1] - sizes[0]));
    auto ratio = [](double big, double small) { return small > 0 ? big / small : 0.0; };
    std::printf("ratio 20000/2000 (target at most 12): NewWorkspace %.1f, SaveWorkspace %.1f, "
                "OpenWorkspace %.1f, DumpIni %.1f\n",
                ratio(times[1].create, times[0].create), ratio(times[1].save, times[0].save),
                ratio(times[1].open, times[0].open), ratio(times[1].dump, times[0].dump));
    std::filesystem::remove_all(folder);
    return 0;
}
