// Copying a BIOS flash chain to the media against cp.
//
// A 16 MB image in a chain of five files (the first and 4 continuation files, each naming the
// next at the offsets the media copier reads) is copied to an empty folder as the media set
// does it (the chain walked, each file through a temporary name and renamed), and by cp of the
// same five files to another empty folder. Each figure is the best of several runs with a warm
// page cache. Target: at most 1.2 times cp.
#include "media/bios_chain.h"
#include "media/copy_file.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace media = cvk::media;

constexpr int kRuns = 9;
constexpr int kFiles = 5;
constexpr std::size_t kImageBytes = 16u << 20;

std::string NameOf(int index) {
    return index == 0 ? "BIGBIOS.BIO" : "BIGBIOS" + std::to_string(index + 1) + ".BIO";
}

void WriteChain(const fs::path& folder) {
    for (int i = 0; i < kFiles; ++i) {
        std::string bytes(kImageBytes / kFiles, char('A' + i));
        std::fill_n(bytes.begin() + media::kNextNameOffset, media::kNextNameSize, '\0');
        const bool last = i + 1 == kFiles;
        bytes[media::kLastFileFlagOffset] = last ? char(media::kLastFileFlag) : '\0';
        if (!last)
            bytes.replace(media::kNextNameOffset, NameOf(i + 1).size(), NameOf(i + 1));
        std::ofstream(folder / NameOf(i), std::ios::binary) << bytes;
    }
}

double Seconds(const std::function<bool()>& action) {
    const auto start = std::chrono::steady_clock::now();
    if (!action()) {
        std::fprintf(stderr, "bench_media: a measured step failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times `copy` into a fresh, empty `target` folder, best of kRuns.
double Best(const fs::path& target, const std::function<bool()>& copy) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        fs::remove_all(target);
        fs::create_directory(target);
        best = std::min(best, Seconds(copy));
    }
    return best;
}

bool CopyLikeTheMedia(const fs::path& source, const fs::path& target) {
    const std::string first = (source / NameOf(0)).string();
    std::vector<std::string> names{NameOf(0)};
    for (const std::string& name : media::ReadContinuationNames(first))
        names.push_back(name);
    if (names.size() != kFiles)
        return false;
    for (const std::string& name : names)
        if (media::CopyFileAtomically((source / name).string(),
                                      media::JoinFolder(target.string(), name), false))
            return false;
    return true;
}

bool CopyWithCp(const fs::path& source, const fs::path& target) {
    std::vector<std::string> args{"/bin/cp"};
    for (int i = 0; i < kFiles; ++i)
        args.push_back((source / NameOf(i)).string());
    args.push_back(target.string());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / ("bench-media-" + std::to_string(::getpid()));
    const fs::path source = root / "bios", ours = root / "media", theirs = root / "cp";
    fs::create_directories(source);
    WriteChain(source);
    const double media = Best(ours, [&] { return CopyLikeTheMedia(source, ours); });
    const double cp = Best(theirs, [&] { return CopyWithCp(source, theirs); });
    fs::remove_all(root);
    std::printf("BIOS chain of %d files, %zu MB:\n", kFiles, kImageBytes >> 20);
    std::printf("  media copy  %8.2f ms\n", media * 1e3);
    std::printf("  cp          %8.2f ms\n", cp * 1e3);
    std::printf("  ratio       %8.2f (target at most 1.2)\n", media / cp);
    return 0;
}
