// One short-lived connection to the X server: finds a top-level window by title, asks it to close.
#include "installer/x11_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstddef>
#include <utility>
#include <vector>

namespace setupaid {
namespace {

// Titles are short; a longer property is not one the installer can be looking for.
constexpr long kMaxTitleBytes = 64 * 1024;
// Window managers nest an application window at most a few levels deep inside its frame.
constexpr int kMaxFrameDepth = 3;
constexpr std::size_t kMaxWindowsPerTopLevel = 256;

// Xlib's error handler is process-wide; only errors on our own connection are ours to swallow.
Display* g_trappedDisplay = nullptr;
bool g_errorSeen = false;
XErrorHandler g_previousHandler = nullptr;

int TrapError(Display* display, XErrorEvent* event) {
    if (display == g_trappedDisplay) {
        g_errorSeen = true;
        return 0;
    }
    return g_previousHandler ? g_previousHandler(display, event) : 0;
}

std::string Latin1ToUtf8(const std::string& text) {
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (unsigned char byte : text) {
        if (byte < 0x80) {
            utf8.push_back(static_cast<char>(byte));
            continue;
        }
        utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
        utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
    return utf8;
}

std::vector<Window> ChildrenOf(Display* display, Window window) {
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return {};
    std::vector<Window> list(children, children + count);
    if (children)
        XFree(children);
    return list;
}

} // namespace

X11Session::X11Session() {
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return;
    g_trappedDisplay = display_;
    g_errorSeen = false;
    g_previousHandler = XSetErrorHandler(TrapError);
    // Without the atom on the server no window can carry the property.
    wmState_ = XInternAtom(display_, "WM_STATE", True);
    netWmName_ = XInternAtom(display_, "_NET_WM_NAME", True);
    utf8String_ = XInternAtom(display_, "UTF8_STRING", True);
}

X11Session::~X11Session() {
    if (!display_)
        return;
    XCloseDisplay(display_);
    XSetErrorHandler(g_previousHandler);
    g_trappedDisplay = nullptr;
    g_previousHandler = nullptr;
}

Window X11Session::findTopLevel(std::string_view title) {
    for (int screen = 0; screen < ScreenCount(display_); ++screen) {
        std::vector<Window> topLevels = ChildrenOf(display_, RootWindow(display_, screen));
        // The tree lists children bottom to top; the topmost match is the one a user sees.
        for (auto it = topLevels.rbegin(); it != topLevels.rend(); ++it) {
            Window client = clientOf(*it, title);
            if (client != None)
                return client;
        }
    }
    return None;
}

// A window manager reparents each application window into a frame and marks the application
// window with WM_STATE; that window's title is the one that counts, and it is the one that
// understands WM_DELETE_WINDOW. Without a window manager no window is marked, and the first
// window of the top-level's tree that carries the title is the application's.
Window X11Session::clientOf(Window topLevel, std::string_view title) {
    std::vector<std::pair<Window, int>> queue{{topLevel, 0}};
    Window titled = None;
    for (std::size_t next = 0; next < queue.size() && next < kMaxWindowsPerTopLevel; ++next) {
        auto [window, depth] = queue[next];
        std::string text;
        bool matches = readTitle(window, &text) && text == title;
        if (hasProperty(window, wmState_))
            return matches ? window : None;
        if (matches && titled == None)
            titled = window;
        if (depth >= kMaxFrameDepth)
            continue;
        for (Window child : ChildrenOf(display_, window))
            queue.emplace_back(child, depth + 1);
    }
    return titled;
}

bool X11Session::postClose(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    g_errorSeen = false;
    Status sent = XSendEvent(display_, window, False, NoEventMask, &event);
    // A round trip so that a vanished window shows as an error now; it waits for the server to
    // queue the message, not for the program to act on it.
    XSync(display_, False);
    return sent != 0 && !g_errorSeen;
}

bool X11Session::hasProperty(Window window, Atom property) {
    if (property == None)
        return false;
    Atom type = None;
    int format = 0;
    std::string ignored;
    return readProperty(window, property, &type, &format, &ignored);
}

// The title a window manager shows: _NET_WM_NAME (UTF-8) when set, else the ICCCM WM_NAME.
bool X11Session::readTitle(Window window, std::string* title) {
    Atom type = None;
    int format = 0;
    std::string bytes;
    if (netWmName_ != None && readProperty(window, netWmName_, &type, &format, &bytes) &&
        type == utf8String_ && format == 8) {
        *title = std::move(bytes);
        return true;
    }
    if (!readProperty(window, XA_WM_NAME, &type, &format, &bytes) || format != 8)
        return false;
    return decodeWmName(type, bytes, title);
}

bool X11Session::readProperty(Window window, Atom property, Atom* type, int* format,
                              std::string* bytes) {
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display_, window, property, 0, kMaxTitleBytes / 4, False,
                                    AnyPropertyType, type, format, &count, &remaining, &data);
    if (status != Success) // the window has gone
        return false;
    bool complete = *type != None && remaining == 0;
    if (complete && *format == 8 && data)
        bytes->assign(reinterpret_cast<const char*>(data), count);
    if (data)
        XFree(data);
    return complete;
}

// WM_NAME comes as Latin-1 (STRING), UTF-8 or compound text; Xlib converts the last.
bool X11Session::decodeWmName(Atom type, const std::string& bytes, std::string* title) {
    if (type == XA_STRING) {
        *title = Latin1ToUtf8(bytes);
        return true;
    }
    if (type == utf8String_) {
        *title = bytes;
        return true;
    }
    XTextProperty property{};
    property.value = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
    property.encoding = type;
    property.format = 8;
    property.nitems = bytes.size();
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(display_, &property, &list, &count) < Success || !list)
        return false;
    title->clear();
    for (int i = 0; i < count; ++i)
        title->append(list[i]);
    XFreeStringList(list);
    return true;
}

} // namespace setupaid
