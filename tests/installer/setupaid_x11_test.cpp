// Installer support against real windows on an X display, with and without a window manager.
// gtest first: Xlib defines macros (None, Bool, Status) that clash with gtest's own names.
#include <gtest/gtest.h>

#include "tests/installer/x11_test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

namespace setupaid_test {
namespace {

enum class Desktop { Bare, Openbox };

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SetupaidOnX11 : public ::testing::TestWithParam<Desktop> {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) {
            if (InteropRequired())
                FAIL() << "no X display: run the window tests under xvfb-run";
            GTEST_SKIP() << "no X display";
        }
        ASSERT_TRUE(observer_.connected()) << "cannot open the X display";
        ASSERT_FALSE(temp_.path().empty());
        if (GetParam() == Desktop::Openbox) {
            startWindowManager();
            if (IsSkipped() || HasFatalFailure())
                return;
        } else {
            // Windows would be framed and the bare case not tested at all.
            ASSERT_TRUE(WaitUntil([&] { return !observer_.windowManagerRunning(); }))
                << "a window manager is already running on this display";
        }
        ASSERT_TRUE(library_.loaded()) << "cannot load " << SETUPAID_PATH;
    }

    void TearDown() override {
        windows_.clear();
        if (!windowManager_.running())
            return;
        windowManager_.terminate();
        EXPECT_TRUE(WaitUntil([&] { return !observer_.windowManagerRunning(); }));
    }

    void startWindowManager() {
        std::string openbox = FindInPath("openbox");
        if (openbox.empty()) {
            if (InteropRequired())
                FAIL() << "openbox is not installed (scripts/setup.sh installs it)";
            GTEST_SKIP() << "openbox is not installed";
        }
        ASSERT_TRUE(windowManager_.start({openbox, "--sm-disable"}, temp_.path() / "openbox.log"));
        ASSERT_TRUE(WaitUntil([&] { return observer_.windowManagerRunning(); }))
            << "openbox did not take over the display: " << ReadFile(temp_.path() / "openbox.log");
        ASSERT_TRUE(observer_.windowManagerFramesWindows()) << "openbox does not frame windows";
    }

    TestWindow& openWindow(const TestWindowOptions& options = {}) {
        std::string name = "window" + std::to_string(windows_.size());
        windows_.push_back(std::make_unique<TestWindow>(temp_.path() / name, options));
        return *windows_.back();
    }

    TempDir temp_;
    Observer observer_;
    ChildProcess windowManager_;
    SetupaidLibrary library_{SETUPAID_PATH};
    std::vector<std::unique_ptr<TestWindow>> windows_;
};

TEST_P(SetupaidOnX11, FindsTheProgramAndClosesItThroughItsSavePrompt) {
    TestWindow& program = openWindow({.askSave = true});
    ASSERT_TRUE(program.ready()) << program.describe();

    EXPECT_EQ(library_.isGUIRunning(kTitle), 1);
    EXPECT_EQ(library_.isMultipleUsers(), 0);
    EXPECT_NE(library_.CloseGUI(), 0);

    // CloseGUI is back while the program still waits for its save answer: it queued the
    // request and did not wait for the program to act on it.
    ASSERT_TRUE(program.waitForEvent("save-asked"));
    EXPECT_TRUE(observer_.windowExists(program.window()));
    program.answerSave("yes");
    EXPECT_EQ(program.process().waitForExit(), 0);
    std::vector<std::string> expected{"ready " + std::to_string(program.window()), "delete-window",
                                      "save-asked", "saved", "closed"};
    EXPECT_EQ(program.events(), expected);
}

TEST_P(SetupaidOnX11, ATitleThatMatchesNothingKeepsTheWindowFoundBefore) {
    TestWindow& program = openWindow();
    ASSERT_TRUE(program.ready()) << program.describe();

    ASSERT_EQ(library_.isGUIRunning(kTitle), 1);
    EXPECT_EQ(library_.isGUIRunning("Halvex(R) Corvane 2.1"), 0);
    EXPECT_EQ(library_.isGUIRunning("Halvex(R)"), 0);
    EXPECT_EQ(library_.isGUIRunning("halvex(r) corvane"), 0);
    EXPECT_EQ(library_.isGUIRunning(""), 0);
    EXPECT_EQ(library_.isGUIRunning(nullptr), 0);

    EXPECT_EQ(library_.CloseGUI(), 1);
    EXPECT_EQ(program.process().waitForExit(), 0);
    EXPECT_TRUE(program.hasEvent("delete-window"));
}

TEST_P(SetupaidOnX11, CloseBeforeAnyFindPostsNothing) {
    TestWindow& program = openWindow();
    ASSERT_TRUE(program.ready()) << program.describe();

    EXPECT_EQ(library_.isGUIRunning("No such program"), 0);
    EXPECT_EQ(library_.CloseGUI(), 1);

    ASSERT_TRUE(observer_.ping(program.window()));
    ASSERT_TRUE(program.waitForEvent("ping"));
    EXPECT_FALSE(program.hasEvent("delete-window"));
}

TEST_P(SetupaidOnX11, ALaterFindReplacesTheRememberedWindow) {
    TestWindow& first = openWindow();
    TestWindow& second = openWindow({.netName = "Corvane Helper", .wmName = "Corvane Helper"});
    ASSERT_TRUE(first.ready()) << first.describe();
    ASSERT_TRUE(second.ready()) << second.describe();

    ASSERT_EQ(library_.isGUIRunning(kTitle), 1);
    ASSERT_EQ(library_.isGUIRunning("Corvane Helper"), 1);
    EXPECT_EQ(library_.CloseGUI(), 1);

    EXPECT_EQ(second.process().waitForExit(), 0);
    ASSERT_TRUE(observer_.ping(first.window()));
    ASSERT_TRUE(first.waitForEvent("ping"));
    EXPECT_FALSE(first.hasEvent("delete-window"));
}

TEST_P(SetupaidOnX11, AWindowThatHasGoneMakesCloseFail) {
    TestWindow& program = openWindow();
    ASSERT_TRUE(program.ready()) << program.describe();
    ASSERT_EQ(library_.isGUIRunning(kTitle), 1);

    program.process().terminate();
    ASSERT_TRUE(WaitUntil([&] { return !observer_.windowExists(program.window()); }));

    EXPECT_EQ(library_.CloseGUI(), 0);
    EXPECT_EQ(library_.isGUIRunning(kTitle), 0);
    EXPECT_EQ(library_.CloseGUI(), 0);
}

TEST_P(SetupaidOnX11, CloseFailsWhileTheDisplayIsOutOfReachAndWorksAgainAfter) {
    TestWindow& program = openWindow();
    ASSERT_TRUE(program.ready()) << program.describe();
    ASSERT_EQ(library_.isGUIRunning(kTitle), 1);

    std::string display = std::getenv("DISPLAY");
    ::setenv("DISPLAY", ":32767", 1);
    EXPECT_EQ(library_.isGUIRunning(kTitle), 0);
    EXPECT_EQ(library_.CloseGUI(), 0);
    ::setenv("DISPLAY", display.c_str(), 1);

    EXPECT_EQ(library_.CloseGUI(), 1);
    EXPECT_EQ(program.process().waitForExit(), 0);
}

// The title comes from _NET_WM_NAME when the window has it, else from WM_NAME in whichever
// encoding the program wrote it; Xlib writes the test windows' names.
TEST_P(SetupaidOnX11, ReadsTheTitleFromEitherNameProperty) {
    struct Case {
        TestWindowOptions window;
        const char* title;
        int32_t expected;
    };
    const Case cases[] = {
        {{.netName = "-", .wmName = kTitle, .wmNameType = "STRING"}, kTitle, 1},
        {{.netName = kTitle, .wmName = "Something else"}, kTitle, 1},
        {{.netName = "Something else", .wmName = kTitle}, kTitle, 0},
        {{.netName = "-", .wmName = "Halvex® Corvane", .wmNameType = "STRING"},
         "Halvex® Corvane",
         1},
        // Outside Latin-1, so that compound text switches character sets on the way.
        {{.netName = "-", .wmName = "Halvex™ Corvane", .wmNameType = "COMPOUND_TEXT"},
         "Halvex™ Corvane",
         1},
        {{.netName = "Halvex® Corvane", .wmName = "-"}, "Halvex(R) Corvane", 0},
        {{.netName = "", .wmName = ""}, "", 0},
        {{.netName = "-", .wmName = "-"}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("_NET_WM_NAME \"") + c.window.netName + "\", WM_NAME \"" +
                     c.window.wmName + "\" as " + c.window.wmNameType);
        TestWindow& window = openWindow(c.window);
        ASSERT_TRUE(window.ready()) << window.describe();
        EXPECT_EQ(library_.isGUIRunning(c.title), c.expected);
        window.process().terminate();
    }
}

TEST_P(SetupaidOnX11, ProbeAnswersAndClosesLikeAnInstaller) {
    TestWindow& program = openWindow();
    ASSERT_TRUE(program.ready()) << program.describe();

    ChildProcess probe;
    ASSERT_TRUE(probe.start({SETUPAID_PROBE_PATH, "--close", kTitle}, temp_.path() / "found.txt"));
    EXPECT_EQ(probe.waitForExit(), 0);
    EXPECT_EQ(ReadFile(temp_.path() / "found.txt"),
              "isGUIRunning(\"Halvex(R) Corvane\") = 1\nisMultipleUsers() = 0\nCloseGUI() = 1\n");
    EXPECT_EQ(program.process().waitForExit(), 0);

    ASSERT_TRUE(probe.start({SETUPAID_PROBE_PATH, "--close", kTitle}, temp_.path() / "gone.txt"));
    EXPECT_EQ(probe.waitForExit(), 1);
    EXPECT_EQ(ReadFile(temp_.path() / "gone.txt"),
              "isGUIRunning(\"Halvex(R) Corvane\") = 0\nisMultipleUsers() = 0\n");
}

INSTANTIATE_TEST_SUITE_P(Desktops, SetupaidOnX11,
                         ::testing::Values(Desktop::Bare, Desktop::Openbox),
                         [](const ::testing::TestParamInfo<Desktop>& info) {
                             return info.param == Desktop::Bare ? "Bare" : "Openbox";
                         });

} // namespace
} // namespace setupaid_test
