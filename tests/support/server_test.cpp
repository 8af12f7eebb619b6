// The shared set-up of the engine's test fixtures.
#include "tests/support/server_test.h"

#include <unistd.h>

#include <atomic>
#include <system_error>

namespace cvk::testing {

void ServerTest::SetUp() {
    static std::atomic<int> serial{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ =
        std::filesystem::temp_directory_path() / (folderPrefix_ + std::to_string(::getpid()) + "-" +
                                                  std::to_string(serial++) + "-" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    com_ = CoInitialize(nullptr);
    ASSERT_EQ(com_, S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_Server, nullptr, CLSCTX_INPROC_SERVER, IServer::iid,
                               server_.put_void()),
              S_OK);
    SetErrorInfo(0, nullptr);
}

void ServerTest::TearDown() {
    server_ = nullptr;
    SetErrorInfo(0, nullptr);
    if (SUCCEEDED(com_))
        CoUninitialize();
    // A test may have made the folder or files in it read-only; give the permission back to
    // remove them.
    std::error_code ec;
    const auto all = std::filesystem::perms::owner_all;
    const auto add = std::filesystem::perm_options::add;
    std::filesystem::permissions(folder_, all, add, ec);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_, ec))
        std::filesystem::permissions(entry.path(), all, add, ec);
    std::filesystem::remove_all(folder_, ec);
}

} // namespace cvk::testing
