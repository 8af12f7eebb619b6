// One short-lived connection to the X server: finds a top-level window by title, asks it to close.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <string_view>

namespace setupaid {

// Opens the display named by DISPLAY for the length of one call. While it is open, protocol
// errors on it are trapped instead of reaching Xlib's default handler, which would end the
// installer's process when a window vanishes between two requests.
class X11Session {
public:
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool connected() const { return display_ != nullptr; }

    // The application window whose title is exactly `title`, topmost first; None when there is
    // none. Works whether or not a window manager has put the windows into frames.
    Window findTopLevel(std::string_view title);

    // Queues WM_DELETE_WINDOW for the window without waiting for it to act; false when the
    // request failed, as it does for a window that no longer exists.
    bool postClose(Window window);

private:
    Window clientOf(Window topLevel, std::string_view title);
    bool hasProperty(Window window, Atom property);
    bool readTitle(Window window, std::string* title);
    bool readProperty(Window window, Atom property, Atom* type, int* format, std::string* bytes);
    bool decodeWmName(Atom type, const std::string& bytes, std::string* title);

    Display* display_ = nullptr;
    Atom wmState_ = None;
    Atom netWmName_ = None;
    Atom utf8String_ = None;
};

} // namespace setupaid
