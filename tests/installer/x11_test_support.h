// Helpers of the installer-support tests: child processes, test windows, a window manager.
#pragma once

#include "installer/setupaid.h"

#include <X11/Xlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace setupaid_test {

inline constexpr char kTitle[] = "Halvex(R) Corvane";
inline constexpr auto kPatience = std::chrono::seconds(10);

// Polls the condition every few milliseconds until it holds or the patience runs out.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds patience = kPatience);

bool InteropRequired();
std::string FindInPath(const std::string& program);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A program started with its output in a log file; ended and reaped when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool start(const std::vector<std::string>& argv, const std::filesystem::path& log);
    // The exit status once the program ends by itself; -1 when it is still running at the end
    // of the patience, or ended by a signal.
    int waitForExit(std::chrono::milliseconds patience = kPatience);
    void terminate();
    bool running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

// The library loaded the way an installer loads it, fresh for each test, so that the window
// it remembers starts out as none.
class SetupaidLibrary {
public:
    explicit SetupaidLibrary(const char* path);
    ~SetupaidLibrary();
    SetupaidLibrary(const SetupaidLibrary&) = delete;
    SetupaidLibrary& operator=(const SetupaidLibrary&) = delete;

    bool loaded() const { return isGUIRunning && CloseGUI && isMultipleUsers; }
    SetupaidIsGUIRunning isGUIRunning = nullptr;
    SetupaidCloseGUI CloseGUI = nullptr;
    SetupaidIsMultipleUsers isMultipleUsers = nullptr;

private:
    void* handle_ = nullptr;
};

// The test's own connection, used to watch windows and the window manager.
class Observer {
public:
    Observer();
    ~Observer();
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    bool connected() const { return display_ != nullptr; }
    bool windowExists(Window window);
    bool windowManagerRunning();
    // Maps a window of its own until the window manager frames it. Openbox names its check
    // window before it handles map requests, and drops those that come in between.
    bool windowManagerFramesWindows();
    // Sends the test window a message it logs as "ping". X delivers one client's events in
    // the order the server handled them, so once the ping is logged, anything CloseGUI sent
    // before it has been logged too.
    bool ping(Window window);

private:
    Window windowProperty(Window window, Atom property);
    Display* display_ = nullptr;
};

struct TestWindowOptions {
    std::string netName = kTitle;
    std::string wmName = kTitle;
    std::string wmNameType = "UTF8_STRING";
    bool askSave = false;
};

// One setupaid-testwin, started and mapped.
class TestWindow {
public:
    TestWindow(const std::filesystem::path& dir, const TestWindowOptions& options = {});
    bool ready() const { return window_ != None; }
    Window window() const { return window_; }
    std::vector<std::string> events() const;
    bool hasEvent(const std::string& event) const;
    bool waitForEvent(const std::string& event);
    void answerSave(const std::string& answer);
    // What the window logged and printed, for failure messages.
    std::string describe() const;
    ChildProcess& process() { return process_; }

private:
    std::filesystem::path dir_;
    ChildProcess process_;
    Window window_ = None;
};

} // namespace setupaid_test
