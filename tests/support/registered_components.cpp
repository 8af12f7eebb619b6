// Registers the engine and the module engine once per test program, through the libraries' own
// DllRegisterServer. ctest gives every test program its own store; a program run by hand gets a
// temporary one rather than the user's. The libraries' paths come from CVKSERVER_LIBRARY and
// MODWEAVE_LIBRARY.
#include "platform/com/runtime.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class RegisteredComponents : public ::testing::Environment {
public:
    void SetUp() override {
        if (!std::getenv("CORVANE_REGISTRY")) {
            ownStore_ = (std::filesystem::temp_directory_path() /
                         ("cvk-test-" + std::to_string(::getpid()) + ".registry"))
                            .string();
            ::setenv("CORVANE_REGISTRY", ownStore_.c_str(), 1);
        }
        cvk::ComInitializer com;
        Register(CVKSERVER_LIBRARY);
        Register(MODWEAVE_LIBRARY);
    }
    void TearDown() override {
        if (!ownStore_.empty())
            std::filesystem::remove(ownStore_);
    }

private:
    static void Register(const char* library) {
        void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << ::dlerror();
        auto entry = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, "DllRegisterServer"));
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry(), S_OK) << library;
    }

    std::string ownStore_;
};

[[maybe_unused]] const auto* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new RegisteredComponents);

} // namespace
