// setupaid-testwin: a top-level X window standing in for the program that an installer closes.
//
// It logs what happens to it, one line each, to DIR/events: "ready <window id>" once mapped,
// "delete-window" for each WM_DELETE_WINDOW, "ping" for each _CORVANE_TEST_PING message, and
// with --ask-save "save-asked", then "saved" or "not-saved" after DIR/save-answer holds "yes" or
// "no", before "closed". It exits 0 after a close and 3 when left alone for a minute.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

constexpr auto kLifetime = std::chrono::seconds(60);
constexpr int kPollMilliseconds = 20;
constexpr int kExitUsage = 2;
constexpr int kExitAbandoned = 3;

struct Options {
    std::string dir;
    std::string netName = "Halvex(R) Corvane";
    std::string wmName = "Halvex(R) Corvane";
    XICCEncodingStyle wmNameStyle = XUTF8StringStyle;
    bool askSave = false;
};

struct Atoms {
    Atom protocols;
    Atom deleteWindow;
    Atom ping;
};

Options g_options;
auto g_deadline = std::chrono::steady_clock::now() + kLifetime;

void LogEvent(const std::string& line) {
    std::string path = g_options.dir + "/events";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0)
        return;
    std::string text = line + "\n";
    ssize_t written = ::write(fd, text.data(), text.size());
    (void)written;
    ::close(fd);
}

bool ParseStyle(const char* name, XICCEncodingStyle* style) {
    if (std::strcmp(name, "STRING") == 0)
        *style = XStringStyle;
    else if (std::strcmp(name, "COMPOUND_TEXT") == 0)
        *style = XCompoundTextStyle;
    else if (std::strcmp(name, "UTF8_STRING") == 0)
        *style = XUTF8StringStyle;
    else
        return false;
    return true;
}

// --dir DIR [--net-name TEXT] [--wm-name TEXT] [--wm-name-type STRING|COMPOUND_TEXT|UTF8_STRING]
// [--ask-save]; a name given as "-" is left unset.
bool ParseArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--ask-save")
            g_options.askSave = true;
        else if (arg == "--dir" && hasValue)
            g_options.dir = argv[++i];
        else if (arg == "--net-name" && hasValue)
            g_options.netName = argv[++i];
        else if (arg == "--wm-name" && hasValue)
            g_options.wmName = argv[++i];
        else if (arg == "--wm-name-type" && hasValue) {
            if (!ParseStyle(argv[++i], &g_options.wmNameStyle))
                return false;
        } else
            return false;
    }
    return !g_options.dir.empty();
}

void SetTitles(Display* display, Window window) {
    if (g_options.netName != "-") {
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(g_options.netName.data()),
                        static_cast<int>(g_options.netName.size()));
    }
    if (g_options.wmName == "-")
        return;
    // Xlib's own encoder, so that the library's decoding is checked against another writer.
    char* list[] = {g_options.wmName.data()};
    XTextProperty property{};
    if (Xutf8TextListToTextProperty(display, list, 1, g_options.wmNameStyle, &property) < 0)
        return;
    XSetWMName(display, window, &property);
    XFree(property.value);
}

Window CreateWindow(Display* display, const Atoms& atoms) {
    int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 10, 10, 240, 120, 1,
                                        BlackPixel(display, screen), WhitePixel(display, screen));
    XSelectInput(display, window, StructureNotifyMask);
    SetTitles(display, window);
    XClassHint hint{const_cast<char*>("setupaid-testwin"), const_cast<char*>("CorvaneTest")};
    XSetClassHint(display, window, &hint);
    Atom protocols[] = {atoms.deleteWindow};
    XSetWMProtocols(display, window, protocols, 1);
    XMapWindow(display, window);
    return window;
}

bool TimeIsUp() {
    return std::chrono::steady_clock::now() >= g_deadline;
}

// Waits for events without spinning; false when the lifetime is over.
bool WaitForEvent(Display* display) {
    while (!XPending(display)) {
        if (TimeIsUp())
            return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        ::poll(&fd, 1, kPollMilliseconds);
    }
    return true;
}

std::string ReadSaveAnswer() {
    std::ifstream in(g_options.dir + "/save-answer");
    std::string answer;
    in >> answer;
    return answer;
}

// The modal save question: the window keeps serving events while it waits for an answer.
bool AskToSave(Display* display) {
    LogEvent("save-asked");
    for (;;) {
        std::string answer = ReadSaveAnswer();
        if (answer == "yes" || answer == "no") {
            LogEvent(answer == "yes" ? "saved" : "not-saved");
            return true;
        }
        if (TimeIsUp())
            return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        ::poll(&fd, 1, kPollMilliseconds);
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }
}

int Run(Display* display) {
    Atoms atoms{XInternAtom(display, "WM_PROTOCOLS", False),
                XInternAtom(display, "WM_DELETE_WINDOW", False),
                XInternAtom(display, "_CORVANE_TEST_PING", False)};
    Window window = CreateWindow(display, atoms);
    bool mapped = false;
    while (WaitForEvent(display)) {
        XEvent event;
        XNextEvent(display, &event);
        // A window manager may map the window more than once while it frames it.
        if (event.type == MapNotify && event.xmap.window == window && !mapped) {
            mapped = true;
            LogEvent("ready " + std::to_string(window));
            continue;
        }
        if (event.type != ClientMessage)
            continue;
        if (event.xclient.message_type == atoms.ping) {
            LogEvent("ping");
            continue;
        }
        if (event.xclient.message_type != atoms.protocols ||
            static_cast<Atom>(event.xclient.data.l[0]) != atoms.deleteWindow)
            continue;
        LogEvent("delete-window");
        if (g_options.askSave && !AskToSave(display))
            break;
        XDestroyWindow(display, window);
        XSync(display, False);
        LogEvent("closed");
        return 0;
    }
    return kExitAbandoned;
}

} // namespace

int main(int argc, char** argv) {
    if (!ParseArguments(argc, argv)) {
        std::fprintf(stderr, "usage: setupaid-testwin --dir DIR [--net-name TEXT] "
                             "[--wm-name TEXT] [--wm-name-type TYPE] [--ask-save]\n");
        return kExitUsage;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "setupaid-testwin: no X display\n");
        return 1;
    }
    int result = Run(display);
    XCloseDisplay(display);
    return result;
}
