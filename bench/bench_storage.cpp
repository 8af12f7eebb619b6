// Compound file writing and reading against the physical floor and against libgsf.
//
// For streams of 1, 16 and 64 MB: writing (create, write in 64 KB pieces, commit, which flushes
// to disk) against a plain write of the same bytes followed by fsync; reading (open, read the
// stream) against reading the file's bytes into the same buffer. Each figure is the best of several
// runs; the page cache is warm for all of them. libgsf is timed through its gsf program when
// installed (createole followed by an fsync of its output, so that both writers make the data
// durable; cat to /dev/null). Targets: at most 1.3 times the floor, and faster than libgsf.
#include "platform/storage/compound_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRuns = 11;
constexpr std::size_t kPiece = 64 * 1024;

double Seconds(const std::function<bool()>& action) {
    auto start = std::chrono::steady_clock::now();
    if (!action()) {
        std::fprintf(stderr, "bench_storage: a measured step failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Best(const std::function<bool()>& action) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i)
        best = std::min(best, Seconds(action));
    return best;
}

std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

// A new file each time, as a save makes one.
bool PlainWrite(const std::string& path, const std::string& data) {
    unlink(path.c_str());
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok =
        write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size()) && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

bool PlainRead(const std::string& path, std::string& buffer) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::size_t total = 0;
    ssize_t got = 0;
    while ((got = read(fd, buffer.data() + total, buffer.size() - total)) > 0)
        total += static_cast<std::size_t>(got);
    close(fd);
    return got == 0;
}

bool FsyncFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

bool OurWrite(const std::string& path, const std::string& data) {
    IStorage* storage = nullptr;
    if (FAILED(StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE, &storage)))
        return false;
    IStream* stream = nullptr;
    bool ok = SUCCEEDED(storage->CreateStream(u"cvkData", STGM_READWRITE, &stream));
    for (std::size_t at = 0; ok && at < data.size(); at += kPiece) {
        ULONG n = static_cast<ULONG>(std::min(kPiece, data.size() - at));
        ok = SUCCEEDED(stream->Write(data.data() + at, n, nullptr));
    }
    if (stream)
        stream->Release();
    ok = ok && SUCCEEDED(storage->Commit(STGC_DEFAULT));
    storage->Release();
    return ok;
}

bool OurRead(const std::string& path, std::string& buffer) {
    IStorage* storage = nullptr;
    if (FAILED(StgOpenStorage(path.c_str(), STGM_READ, &storage)))
        return false;
    IStream* stream = nullptr;
    bool ok = SUCCEEDED(storage->OpenStream(u"cvkData", STGM_READ, &stream));
    ULONG got = 0;
    ok = ok && SUCCEEDED(stream->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &got)) &&
         got == buffer.size();
    if (stream)
        stream->Release();
    storage->Release();
    return ok;
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("bench-storage-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string plain = (folder / "plain.bin").string();
    const std::string ours = (folder / "ours.cvw").string();
    const std::string input = (folder / "cvkData").string();
    const std::string theirs = (folder / "gsf.cvw").string();
    const bool haveGsf = std::system("command -v gsf >/dev/null 2>&1") == 0;

    std::printf("%-6s %-6s %10s %10s %10s %12s %12s\n", "size", "step", "floor ms", "ours ms",
                "gsf ms", "ours/floor", "ours/gsf");
    bool allMet = true;
    for (std::size_t mb : {1, 16, 64}) {
        std::string data(mb << 20, '\0');
        std::uint64_t x = 88172645463325252ull;
        for (char& c : data) { // xorshift: incompressible, deterministic
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            c = static_cast<char>(x);
        }
        PlainWrite(input, data);
        std::string buffer(data.size(), '\0');

        double floorWrite = Best([&] { return PlainWrite(plain, data); });
        double ourWrite = Best([&] { return OurWrite(ours, data); });
        double gsfWrite = 0;
        if (haveGsf)
            gsfWrite = Best([&] {
                std::string command = "cd " + Quote(folder.string()) + " && gsf createole " +
                                      Quote(theirs) + " cvkData >/dev/null 2>&1";
                return std::system(command.c_str()) == 0 && FsyncFile(theirs);
            });
        double floorRead = Best([&] { return PlainRead(ours, buffer); });
        double ourRead = Best([&] { return OurRead(ours, buffer); });
        if (buffer != data) {
            std::fprintf(stderr, "bench_storage: the stream read back differs\n");
            return 1;
        }
        double gsfRead = 0;
        if (haveGsf)
            gsfRead = Best([&] {
                std::string command = "gsf cat " + Quote(ours) + " cvkData >/dev/null";
                return std::system(command.c_str()) == 0;
            });

        auto row = [&](const char* step, double floor, double mine, double gsf) {
            std::printf("%3zu MB %-6s %10.2f %10.2f %10s %12.2f %12s\n", mb, step, floor * 1e3,
                        mine * 1e3, haveGsf ? std::to_string(gsf * 1e3).substr(0, 8).c_str() : "-",
                        mine / floor,
                        haveGsf ? std::to_string(mine / gsf).substr(0, 5).c_str() : "-");
            allMet = allMet && mine <= 1.3 * floor && (!haveGsf || mine < gsf);
        };
        row("write", floorWrite, ourWrite, gsfWrite);
        row("read", floorRead, ourRead, gsfRead);
    }
    std::printf("targets (<= 1.3 x floor, faster than gsf): %s\n", allMet ? "met" : "NOT met");
    fs::remove_all(folder);
    return 0;
}
