// Gives each test its own registration store file, so that tests may run in parallel.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

class ScopedRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("cvk_com_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
                   info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        if (const char* previous = std::getenv("CORVANE_REGISTRY"))
            previous_ = previous;
        ::setenv("CORVANE_REGISTRY", StorePath().c_str(), 1);
        if (const char* previous = std::getenv("CORVANE_MACHINE_REGISTRY"))
            previousMachine_ = previous;
        ::setenv("CORVANE_MACHINE_REGISTRY", MachineStorePath().c_str(), 1);
    }
    void TearDown() override {
        if (previous_.empty())
            ::unsetenv("CORVANE_REGISTRY");
        else
            ::setenv("CORVANE_REGISTRY", previous_.c_str(), 1);
        if (previousMachine_.empty())
            ::unsetenv("CORVANE_MACHINE_REGISTRY");
        else
            ::setenv("CORVANE_MACHINE_REGISTRY", previousMachine_.c_str(), 1);
        std::filesystem::remove_all(folder_);
    }

    std::string StorePath() const { return (folder_ / "registry").string(); }
    std::string MachineStorePath() const { return (folder_ / "machine-registry").string(); }
    const std::filesystem::path& folder() const { return folder_; }

    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path folder_;
    std::string previous_;
    std::string previousMachine_;
};
