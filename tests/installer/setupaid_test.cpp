// Installer support without an X display: answers, never crashes, exports its C names.
#include "installer/setupaid.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <optional>
#include <string>

namespace {

class SetupaidWithoutDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* display = std::getenv("DISPLAY"))
            saved_ = display;
    }
    void TearDown() override {
        if (saved_)
            ::setenv("DISPLAY", saved_->c_str(), 1);
        else
            ::unsetenv("DISPLAY");
    }

private:
    std::optional<std::string> saved_;
};

TEST_F(SetupaidWithoutDisplay, AnswersThatTheProgramIsNotRunning) {
    ::unsetenv("DISPLAY");
    EXPECT_EQ(isGUIRunning("Halvex(R) Corvane"), 0);
    ::setenv("DISPLAY", ":32767", 1);
    EXPECT_EQ(isGUIRunning("Halvex(R) Corvane"), 0);
    ::setenv("DISPLAY", "not a display name", 1);
    EXPECT_EQ(isGUIRunning("Halvex(R) Corvane"), 0);

    // Nothing was found, so there is nothing to close: CloseGUI does nothing and says so.
    EXPECT_EQ(CloseGUI(), 1);
    EXPECT_EQ(isMultipleUsers(), 0);
}

TEST(SetupaidExports, AreFoundByTheirCNamesAndNothingElseIs) {
    void* library = ::dlopen(SETUPAID_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    EXPECT_NE(::dlsym(library, "isGUIRunning"), nullptr);
    EXPECT_NE(::dlsym(library, "CloseGUI"), nullptr);
    EXPECT_NE(::dlsym(library, "isMultipleUsers"), nullptr);
    // The window search stays inside the library.
    EXPECT_EQ(::dlsym(library, "_ZN8setupaid10X11SessionC1Ev"), nullptr);
    ::dlclose(library);
}

} // namespace
