// The installer support against the real program: corvane runs on an X display with a demo
// workspace, is found by its title and asked to close, and closes through its normal shut-down
// with its save prompt, answered through the program's answers file. With and without a window
// manager.
// gtest first: Xlib defines macros (None, Bool, Status) that clash with gtest's own names.
#include <gtest/gtest.h>

#include "tests/installer/x11_test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace setupaid_test {
namespace {

enum class Desktop { Bare, Openbox };

// Longer than the splash window stays up, so that keys go to the main window.
constexpr auto kSplashTime = std::chrono::milliseconds(1500);

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class CorvaneOnX11 : public ::testing::TestWithParam<Desktop> {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) {
            if (InteropRequired())
                FAIL() << "no X display: run the window tests under xvfb-run";
            GTEST_SKIP() << "no X display";
        }
        xdotool_ = FindInPath("xdotool");
        if (xdotool_.empty()) {
            if (InteropRequired())
                FAIL() << "xdotool is not installed (scripts/setup.sh installs it)";
            GTEST_SKIP() << "xdotool is not installed";
        }
        ASSERT_TRUE(observer_.connected()) << "cannot open the X display";
        ASSERT_FALSE(temp_.path().empty());
        // The program's registration, settings and answers all live in the scratch folder.
        ::setenv("CORVANE_REGISTRY", (temp_.path() / "registry").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (temp_.path() / "config").c_str(), 1);
        ::setenv("CORVANE_MESSAGE_ANSWERS", answersPath().c_str(), 1);
        ::setenv("CORVANE_MESSAGE_LOG", logPath().c_str(), 1);
        ::unsetenv("QT_QPA_PLATFORM");
        for (const char* library : {CVKSERVER_PATH, MODWEAVE_PATH})
            ASSERT_EQ(run({CVKREG_PATH, library}), 0) << "cannot register " << library;
        if (GetParam() == Desktop::Openbox) {
            startWindowManager();
            if (IsSkipped() || HasFatalFailure())
                return;
        } else {
            ASSERT_TRUE(WaitUntil([&] { return !observer_.windowManagerRunning(); }))
                << "a window manager is already running on this display";
        }
        ASSERT_TRUE(library_.loaded()) << "cannot load " << SETUPAID_PATH;
    }

    void TearDown() override {
        program_.terminate();
        for (const char* name : {"CORVANE_MESSAGE_ANSWERS", "CORVANE_MESSAGE_LOG"})
            ::unsetenv(name);
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

    std::filesystem::path answersPath() const { return temp_.path() / "answers"; }
    std::filesystem::path logPath() const { return temp_.path() / "questions"; }
    std::vector<std::string> questions() const { return Lines(ReadFile(logPath())); }

    void writeAnswers(const std::vector<std::string>& answers) {
        std::ofstream out(answersPath());
        for (const std::string& answer : answers)
            out << answer << '\n';
    }

    // Runs a helper program to its end; its exit status, or -1.
    int run(const std::vector<std::string>& argv) {
        ChildProcess process;
        if (!process.start(argv, temp_.path() / "tools.log"))
            return -1;
        return process.waitForExit();
    }

    // Starts the program and waits until installer support finds its main window.
    void startProgram(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{CORVANE_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ASSERT_TRUE(program_.start(argv, temp_.path() / "corvane.log"));
        ASSERT_TRUE(WaitUntil([&] { return library_.isGUIRunning(kTitle) == 1; }))
            << "no window titled " << kTitle << ": " << describe();
        std::this_thread::sleep_for(kSplashTime);
    }

    // Gives the visible window whose title is exactly `title` the keyboard focus, once it is
    // up, and types the keys as the keyboard would (XTEST: what the program receives is what a
    // user's typing gives, not events sent to a window).
    int sendKeys(const std::string& title, const std::vector<std::string>& keys) {
        int focused = run({xdotool_, "search", "--sync", "--onlyvisible", "--name",
                           "^" + EscapeRegex(title) + "$", "windowfocus", "--sync"});
        if (focused != 0)
            return focused;
        std::vector<std::string> argv{xdotool_, "key", "--clearmodifiers", "--delay", "150"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        return run(argv);
    }

    bool windowShown(const std::string& title) {
        return run({xdotool_, "search", "--onlyvisible", "--name",
                    "^" + EscapeRegex(title) + "$"}) == 0;
    }

    // New on the demo board through "Create A Workspace": Browse (answered with the map file
    // from the answers file), then OK, as a user does with the keyboard.
    void createDemoWorkspace() {
        ASSERT_EQ(sendKeys(kTitle, {"ctrl+n"}), 0);
        ASSERT_EQ(sendKeys("Create A Workspace", {"Tab", "space", "Return"}), 0);
        ASSERT_TRUE(WaitUntil([&] { return !windowShown("Create A Workspace"); })) << describe();
    }

    static std::string EscapeRegex(const std::string& text) {
        std::string escaped;
        for (char c : text) {
            if (std::string_view("()[]{}.*+?^$|\\").find(c) != std::string_view::npos)
                escaped += '\\';
            escaped += c;
        }
        return escaped;
    }

    std::string describe() const {
        return "\nquestions:\n" + ReadFile(logPath()) + "program output:\n" +
               ReadFile(temp_.path() / "corvane.log");
    }

    TempDir temp_;
    Observer observer_;
    ChildProcess windowManager_;
    ChildProcess program_;
    SetupaidLibrary library_{SETUPAID_PATH};
    std::string xdotool_;
};

TEST_P(CorvaneOnX11, ModifiedWorkspaceClosesThroughItsSavePrompt) {
    const std::string saved = (temp_.path() / "saved.cvw").string();
    writeAnswers({DEMO_MAP_PATH, "Cancel", "Yes", saved});
    startProgram({});
    createDemoWorkspace();
    ASSERT_FALSE(HasFatalFailure());

    // Cancel on the save prompt keeps the program running with its workspace.
    ASSERT_EQ(library_.isGUIRunning(kTitle), 1);
    EXPECT_EQ(library_.isMultipleUsers(), 0);
    EXPECT_NE(library_.CloseGUI(), 0);
    ASSERT_TRUE(WaitUntil([&] { return questions().size() >= 2; })) << describe();
    EXPECT_EQ(program_.waitForExit(std::chrono::milliseconds(500)), -1) << "closed on Cancel";
    EXPECT_EQ(library_.isGUIRunning(kTitle), 1);

    // Asked again, Yes saves the workspace under the chosen name and the program ends.
    EXPECT_NE(library_.CloseGUI(), 0);
    EXPECT_EQ(program_.waitForExit(), 0) << describe();
    const std::vector<std::string> expected{
        "chooser\t\t" + std::string(DEMO_MAP_PATH),
        "message\tSave changes to Untitled1?\tCancel",
        "message\tSave changes to Untitled1?\tYes",
    };
    const std::vector<std::string> asked = questions();
    ASSERT_EQ(asked.size(), 4u) << describe();
    EXPECT_EQ(std::vector<std::string>(asked.begin(), asked.begin() + 3), expected);
    EXPECT_TRUE(asked[3].starts_with("chooser\t")) << asked[3];
    EXPECT_TRUE(asked[3].ends_with("\t" + saved)) << asked[3];
    // The saved file is a compound file, the workspace file's container.
    EXPECT_EQ(ReadFile(saved).substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));

    // The gone window makes a later close request fail.
    EXPECT_TRUE(WaitUntil([&] { return library_.CloseGUI() == 0; }));
    EXPECT_EQ(library_.isGUIRunning(kTitle), 0);
}

TEST_P(CorvaneOnX11, UnchangedWorkspaceClosesWithoutAsking) {
    const std::string saved = (temp_.path() / "demo.cvw").string();
    writeAnswers({DEMO_MAP_PATH, "Yes", saved});
    startProgram({});
    createDemoWorkspace();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(library_.isGUIRunning(kTitle), 1);
    ASSERT_NE(library_.CloseGUI(), 0);
    ASSERT_EQ(program_.waitForExit(), 0) << describe();
    ASSERT_EQ(questions().size(), 3u) << describe();

    // The saved demo workspace, opened from the command line, has nothing to save.
    std::filesystem::remove(logPath());
    writeAnswers({});
    startProgram({saved});
    EXPECT_NE(library_.CloseGUI(), 0);
    EXPECT_EQ(program_.waitForExit(), 0) << describe();
    EXPECT_TRUE(questions().empty()) << describe();
}

INSTANTIATE_TEST_SUITE_P(Desktops, CorvaneOnX11, ::testing::Values(Desktop::Bare, Desktop::Openbox),
                         [](const ::testing::TestParamInfo<Desktop>& info) {
                             return info.param == Desktop::Bare ? "Bare" : "Openbox";
                         });

} // namespace
} // namespace setupaid_test
