// ServerTest: the set-up the engine's test fixtures share: a scratch folder per test, the
// component runtime initialised and the engine's Server created by class identifier through
// its registered library.
#pragma once

#include "engine/include/cvkserver.h"
#include "platform/com/com.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

namespace cvk::testing {

class ServerTest : public ::testing::Test {
protected:
    // `folderPrefix` names the scratch folders of one test program ("cvk-core-").
    explicit ServerTest(std::string folderPrefix) : folderPrefix_(std::move(folderPrefix)) {}

    void SetUp() override;
    void TearDown() override;

    IServer* server() const { return server_.get(); }
    const std::filesystem::path& folder() const { return folder_; }
    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

private:
    std::string folderPrefix_;
    std::filesystem::path folder_;
    HRESULT com_ = E_FAIL;
    ComPtr<IServer> server_;
};

} // namespace cvk::testing
