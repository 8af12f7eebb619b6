// Running the real cvk program in tests: a fresh folder and registration store per test, its
// output collected, and the demo boards at hand.
#pragma once

#include "modweave/image_format.h"
#include "platform/com/com.h"
#include "platform/storage/compound_file.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace cvktest {

namespace fs = std::filesystem;

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// Starts a program with `args`, with CORVANE_REGISTRY set to `registry`, its output going to
// stdout.txt and stderr.txt in `folder`. The process id, or -1.
inline pid_t SpawnProgram(const std::vector<std::string>& args, const fs::path& folder,
                          const std::string& registry) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string_view(*e).substr(0, 17) != "CORVANE_REGISTRY=")
            env.emplace_back(*e);
    env.push_back("CORVANE_REGISTRY=" + registry);
    std::vector<char*> argv, envp;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    for (const std::string& entry : env)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    const fs::path outPath = folder / "stdout.txt", errPath = folder / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

// Waits for a process and gives its exit code (128 + the signal when a signal ended it).
inline int WaitForProgram(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs a program as SpawnProgram starts it and collects its output.
inline Result RunProgram(const std::vector<std::string>& args, const fs::path& folder,
                         const std::string& registry) {
    Result result;
    const pid_t pid = SpawnProgram(args, folder, registry);
    if (pid < 0)
        return result;
    result.exitCode = WaitForProgram(pid);
    result.out = ReadFile(folder / "stdout.txt");
    result.err = ReadFile(folder / "stderr.txt");
    return result;
}

inline std::uint32_t U32At(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    return value;
}

class CvkTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> serial{0};
        folder_ = fs::temp_directory_path() /
                  ("cvk-tool-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        // A store of its own: cvk starts as on a machine where nothing is registered.
        registry_ = (folder_ / "registry").string();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    Result Cvk(std::vector<std::string> args) {
        args.insert(args.begin(), CVK_PROGRAM);
        return RunProgram(args, folder_, registry_);
    }
    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    // The demo map file copied into the folder, so that a flash image may be put beside it.
    std::string CopyDemoMap(const std::string& name) {
        fs::copy_file(CORVANE_DEMO_MAP, folder_ / name);
        return PathOf(name);
    }

    static std::string ReadDataStream(const std::string& path) {
        cvk::ComPtr<IStorage> storage;
        EXPECT_EQ(StgOpenStorage(path.c_str(), STGM_READ, storage.put()), S_OK);
        if (!storage)
            return {};
        std::vector<std::u16string> names;
        EXPECT_EQ(cvk::storage::ListRootStreams(storage.get(), &names), S_OK);
        EXPECT_EQ(names, std::vector<std::u16string>{u"cvkData"});
        cvk::ComPtr<IStream> stream;
        EXPECT_EQ(storage->OpenStream(u"cvkData", STGM_READ, stream.put()), S_OK);
        std::string bytes;
        char buffer[4096];
        ULONG read = 0;
        while (stream && SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0)
            bytes.append(buffer, read);
        return bytes;
    }

    fs::path folder_;
    std::string registry_;
};

} // namespace cvktest
