// Helpers of the installer-support tests: child processes, test windows, a window manager.
#include "tests/installer/x11_test_support.h"

#include <X11/Xatom.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace setupaid_test {
namespace {

constexpr auto kPollStep = std::chrono::milliseconds(10);

// Windows of the test vanish while the observer looks at them; that is expected.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds patience) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollStep);
    }
}

bool InteropRequired() {
    const char* value = std::getenv("CORVANE_REQUIRE_INTEROP");
    return value && std::string(value) == "1";
}

std::string FindInPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::filesystem::path candidate = std::filesystem::path(folder) / program;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "setupaid-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

ChildProcess::~ChildProcess() {
    terminate();
}

bool ChildProcess::start(const std::vector<std::string>& argv, const std::filesystem::path& log) {
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ < 0)
        return false;
    if (pid_ == 0) {
        int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
        }
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return true;
}

int ChildProcess::waitForExit(std::chrono::milliseconds patience) {
    int status = 0;
    bool ended =
        pid_ > 0 && WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, patience);
    if (!ended)
        return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::terminate() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    if (waitForExit() == -1 && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

SetupaidLibrary::SetupaidLibrary(const char* path) {
    handle_ = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        return;
    isGUIRunning = reinterpret_cast<SetupaidIsGUIRunning>(::dlsym(handle_, "isGUIRunning"));
    CloseGUI = reinterpret_cast<SetupaidCloseGUI>(::dlsym(handle_, "CloseGUI"));
    isMultipleUsers =
        reinterpret_cast<SetupaidIsMultipleUsers>(::dlsym(handle_, "isMultipleUsers"));
}

SetupaidLibrary::~SetupaidLibrary() {
    if (handle_)
        ::dlclose(handle_);
}

Observer::Observer() {
    XSetErrorHandler(IgnoreXError);
    display_ = XOpenDisplay(nullptr);
}

Observer::~Observer() {
    if (display_)
        XCloseDisplay(display_);
}

bool Observer::windowExists(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) != 0;
}

Window Observer::windowProperty(Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &remaining, &data) != Success)
        return None;
    Window value = None;
    if (type == XA_WINDOW && format == 32 && count == 1)
        value = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return value;
}

// A running manager names a window of its own on the root, and that window names itself;
// a manager that has gone leaves the root's property pointing at nothing.
bool Observer::windowManagerRunning() {
    Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
    Window supporting = windowProperty(DefaultRootWindow(display_), check);
    return supporting != None && windowProperty(supporting, check) == supporting;
}

bool Observer::windowManagerFramesWindows() {
    Window root = DefaultRootWindow(display_);
    Window probe = XCreateSimpleWindow(display_, root, 0, 0, 16, 16, 0, 0, 0);
    bool framed = WaitUntil([&] {
        Window treeRoot = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display_, probe, &treeRoot, &parent, &children, &count) && children)
            XFree(children);
        if (parent != root)
            return true;
        XMapWindow(display_, probe); // again, in case the manager dropped the last request
        XSync(display_, False);
        return false;
    });
    XDestroyWindow(display_, probe);
    XSync(display_, False);
    return framed;
}

bool Observer::ping(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "_CORVANE_TEST_PING", False);
    event.xclient.format = 32;
    Status sent = XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
    return sent != 0;
}

TestWindow::TestWindow(const std::filesystem::path& dir, const TestWindowOptions& options)
    : dir_(dir) {
    std::filesystem::create_directories(dir_);
    std::vector<std::string> argv{SETUPAID_TESTWIN_PATH, "--dir",          dir_.string(),
                                  "--net-name",          options.netName,  "--wm-name",
                                  options.wmName,        "--wm-name-type", options.wmNameType};
    if (options.askSave)
        argv.push_back("--ask-save");
    if (!process_.start(argv, dir_ / "output.log"))
        return;
    if (!WaitUntil([&] { return !events().empty(); }))
        return;
    std::string first = events().front();
    if (first.rfind("ready ", 0) == 0)
        window_ = static_cast<Window>(std::stoul(first.substr(6)));
}

std::vector<std::string> TestWindow::events() const {
    std::ifstream in(dir_ / "events");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

bool TestWindow::hasEvent(const std::string& event) const {
    for (const std::string& line : events())
        if (line == event)
            return true;
    return false;
}

bool TestWindow::waitForEvent(const std::string& event) {
    return WaitUntil([&] { return hasEvent(event); });
}

std::string TestWindow::describe() const {
    std::ifstream output(dir_ / "output.log");
    std::string text = "test window events:";
    for (const std::string& line : events())
        text += " [" + line + "]";
    return text + "; output: " +
           std::string(std::istreambuf_iterator<char>(output), std::istreambuf_iterator<char>());
}

// Written to a side file and renamed, so the window never reads half an answer.
void TestWindow::answerSave(const std::string& answer) {
    std::filesystem::path partial = dir_ / "save-answer.partial";
    std::ofstream(partial) << answer << "\n";
    std::filesystem::rename(partial, dir_ / "save-answer");
}

} // namespace setupaid_test
