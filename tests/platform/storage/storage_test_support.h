// Shared helpers of the storage tests: scratch folders, deterministic data, outside tools.
#pragma once

#include "platform/storage/compound_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace cvk::storage::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("corvane-storage-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Byte `i` of the test data with seed `seed`: cheap to regenerate at any offset, so large
// streams are compared piece by piece without keeping a copy.
inline void FillPattern(std::uint64_t seed, std::uint64_t offset, char* out, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        std::uint64_t at = offset + i;
        std::uint64_t x = (at >> 3) * 0x9E3779B97F4A7C15ull + seed * 0xBF58476D1CE4E5B9ull;
        x ^= x >> 31;
        x *= 0x94D049BB133111EBull;
        x ^= x >> 29;
        out[i] = static_cast<char>(x >> (8 * (at & 7)));
    }
}

inline std::string Pattern(std::uint64_t seed, std::size_t size) {
    std::string bytes(size, '\0');
    FillPattern(seed, 0, bytes.data(), size);
    return bytes;
}

constexpr std::size_t kChunk = 1 << 20;

// Writes the pattern to a plain file.
inline void WritePatternFile(const std::string& path, std::uint64_t seed, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string chunk(kChunk, '\0');
    for (std::uint64_t at = 0; at < size; at += kChunk) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - at));
        FillPattern(seed, at, chunk.data(), n);
        out.write(chunk.data(), static_cast<std::streamsize>(n));
    }
}

// Empty when the file holds exactly the pattern, else where it differs.
inline std::string ComparePatternFile(const std::string& path, std::uint64_t seed,
                                      std::uint64_t size) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "cannot open " + path;
    std::string expected(kChunk, '\0');
    std::string actual(kChunk, '\0');
    for (std::uint64_t at = 0; at < size; at += kChunk) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - at));
        FillPattern(seed, at, expected.data(), n);
        in.read(actual.data(), static_cast<std::streamsize>(n));
        if (static_cast<std::size_t>(in.gcount()) != n)
            return "file ends at " + std::to_string(at + in.gcount()) + " of " +
                   std::to_string(size);
        if (std::string_view(actual.data(), n) != std::string_view(expected.data(), n))
            return "bytes differ in the chunk at " + std::to_string(at);
    }
    if (in.peek() != EOF)
        return "file is longer than " + std::to_string(size);
    return {};
}

// Writes a compound file with one stream holding the pattern, in pieces of `piece` bytes.
inline HRESULT WritePatternCompound(IStorage* storage, const char16_t* name, std::uint64_t seed,
                                    std::uint64_t size, std::size_t piece = kChunk) {
    IStream* stream = nullptr;
    HRESULT hr = storage->CreateStream(name, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, &stream);
    if (FAILED(hr))
        return hr;
    std::string chunk(piece, '\0');
    for (std::uint64_t at = 0; at < size && SUCCEEDED(hr); at += piece) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(piece, size - at));
        FillPattern(seed, at, chunk.data(), n);
        ULONG written = 0;
        hr = stream->Write(chunk.data(), static_cast<ULONG>(n), &written);
        if (SUCCEEDED(hr) && written != n)
            hr = E_FAIL;
    }
    stream->Release();
    return hr;
}

// Empty when the stream holds exactly the pattern.
inline std::string ComparePatternStream(IStream* stream, std::uint64_t seed, std::uint64_t size) {
    ULONGLONG reported = 0;
    if (FAILED(stream->GetSize(&reported)) || reported != size)
        return "size " + std::to_string(reported) + ", expected " + std::to_string(size);
    std::string expected(kChunk, '\0');
    std::string actual(kChunk, '\0');
    for (std::uint64_t at = 0; at < size; at += kChunk) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - at));
        FillPattern(seed, at, expected.data(), n);
        ULONG got = 0;
        HRESULT hr = stream->Read(actual.data(), static_cast<ULONG>(n), &got);
        if (FAILED(hr) || got != n)
            return "read at " + std::to_string(at) + " gave " + std::to_string(got);
        if (std::string_view(actual.data(), n) != std::string_view(expected.data(), n))
            return "bytes differ in the chunk at " + std::to_string(at);
    }
    ULONG extra = 0;
    char byte = 0;
    stream->Read(&byte, 1, &extra);
    return extra == 0 ? std::string() : "stream is longer than " + std::to_string(size);
}

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Quotes an argument for /bin/sh.
inline std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command; gives its exit status and its standard output.
inline int RunCommand(const std::string& command, std::string* output = nullptr) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, n);
    int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool InteropRequired() {
    const char* value = std::getenv("CORVANE_REQUIRE_INTEROP");
    return value && std::string(value) == "1";
}

} // namespace cvk::storage::test

// Skips a test whose outside tool is missing, or fails it where the tools are required (CI).
#define CORVANE_NEED_TOOL(available, what)                                                         \
    do {                                                                                           \
        if (!(available)) {                                                                        \
            if (::cvk::storage::test::InteropRequired())                                           \
                FAIL() << (what) << " is missing and CORVANE_REQUIRE_INTEROP=1";                   \
            GTEST_SKIP() << (what) << " is missing; install it to run this interoperability test"; \
        }                                                                                          \
    } while (0)
