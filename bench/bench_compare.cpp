// Benchmark: `cvk diff` of two builds of 20,000 CMOS settings (the newer one splits the same
// settings into menus of other sizes), printed beside one
// `cvk new` of the same board, and `cvk show --find` over a workspace of 20,000 settings.
// Runs the real cvk program. Usage: bench_compare [scratch-folder]
#include "bench/generated_board.h"
#include "tools/cvkgen/map_writer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr std::size_t kSettings = 20000;

// Runs a shell command line with its output discarded; the seconds it took, or -1 on failure.
double Time(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system((command + " >/dev/null").c_str());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        return -1;
    }
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
    const double create = Time(cvk + " new " + Quoted(oldMap) + " --out " + Quoted(ws));
    const double diff = Time(cvk + " diff " + Quoted(oldMap) + " " + Quoted(newMap));
    const double json = Time(cvk + " diff " + Quoted(oldMap) + " " + Quoted(newMap) + " --json");
    const double preview = Time(cvk + " diff " + Quoted(ws) + " " + Quoted(newMap));
    const double find = Time(cvk + " show " + Quoted(ws) + " --find 'setting 1999' --json");
    if (create < 0 || diff < 0 || json < 0 || preview < 0 || find < 0)
        return 1;
    std::printf("settings: %zu\n", kSettings);
    std::printf("cvk new:                 %.3f s\n", create);
    std::printf("cvk diff (two maps):     %.3f s (target under 1 s)\n", diff);
    std::printf("cvk diff --json:         %.3f s\n", json);
    std::printf("cvk diff (workspace):    %.3f s\n", preview);
    std::printf("cvk show --find:         %.3f s\n", find);
    if (argc <= 1)
        fs::remove_all(folder);
    return 0;
}
