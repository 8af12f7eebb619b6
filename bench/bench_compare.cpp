// Benchmark: `cvk diff` of two builds of 20,000 CMOS settings (the newer one splits the same
// settings into menus of other sizes), printed beside one
// `cvk new` of the same board, and `cvk show --find` over a workspace of 20,000 settings.
// Runs the real cvk program. Usage: bench_compare [scratch-folder]
#include "bench/generated_board.h"
#include "tools/cvkgen/map_writer.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr std::size_t kSettings = 20000;
double lastCpu = 0; // processor seconds of the last command that Time ran

// Processor seconds (user and system) of the finished child processes so far.
double ChildCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs a shell command line with its output discarded; the seconds it took, or -1 on failure.
// The processor time is printed as well: on a shared machine the wall time says little.
double Time(const std::string& command) {
    const double cpuBefore = ChildCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system((command + " >/dev/null").c_str());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        return -1;
    }
    lastCpu = ChildCpuSeconds() - cpuBefore;
    return seconds;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path folder =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "corvane-bench-compare";
    fs::create_directories(folder);
    const std::string registry = (folder / "registry").string();
    ::setenv("CORVANE_REGISTRY", registry.c_str(), 1);
    const std::string oldMap = (folder / "old.cvk").string();
    const std::string newMap = (folder / "new.cvk").string();
    const std::string ws = (folder / "bench.cvw").string();
    cvkgen::SaveFileAtomically(oldMap,
                               cvkgen::WriteMapFile(bench::GeneratedBoard(kSettings, 50, 50)));
    cvkgen::SaveFileAtomically(newMap,
                               cvkgen::WriteMapFile(bench::GeneratedBoard(kSettings, 80, 40)));
    const std::string cvk = Quoted(CVK_PROGRAM);
    // The first run registers the component libraries; it is not timed.
    if (Time(cvk + " --version 2>/dev/null") < 0)
        return 1;
    const auto report = [](const char* what, double seconds, const char* note) {
        if (seconds >= 0)
            std::printf("%-24s %.3f s (processor %.3f s)%s\n", what, seconds, lastCpu, note);
        return seconds >= 0;
    };
    std::printf("settings: %zu\n", kSettings);
    const bool ok =
        report("cvk new:", Time(cvk + " new " + Quoted(oldMap) + " --out " + Quoted(ws)), "") &&
        report("cvk diff (two maps):", Time(cvk + " diff " + Quoted(oldMap) + " " + Quoted(newMap)),
               " (target under 1 s)") &&
        report("cvk diff --json:",
               Time(cvk + " diff " + Quoted(oldMap) + " " + Quoted(newMap) + " --json"), "") &&
        report("cvk diff (workspace):", Time(cvk + " diff " + Quoted(ws) + " " + Quoted(newMap)),
               "") &&
        report("cvk show --find:",
               Time(cvk + " show " + Quoted(ws) + " --find 'setting 1999' --json"), "");
    if (!ok)
        return 1;
    if (argc <= 1)
        fs::remove_all(folder);
    return 0;
}
