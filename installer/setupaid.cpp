// Installer support exports: find the running Corvane program by title and ask it to close.
#include "installer/setupaid.h"

#include "installer/x11_session.h"

#include <cstring>
#include <new>

namespace {

// The window found last. Set by a successful find and never cleared: a later find that fails
// leaves it, so that CloseGUI still reaches the program found before.
Window g_rememberedWindow = None;
bool g_windowRemembered = false;

// Users other than the caller running the program. Nothing counts them yet.
int32_t g_otherUsers = 0;

// No title, or an empty one, names no program: matching it would pick whatever untitled
// window happens to be on top, and CloseGUI would then close that.
bool NamesAProgram(const char* title) {
    return title && *title;
}

} // namespace

extern "C" int32_t isGUIRunning(const char* title) {
    if (!NamesAProgram(title))
        return 0;
    try {
        setupaid::X11Session session;
        if (!session.connected())
            return 0;
        Window found = session.findTopLevel(std::string_view(title, std::strlen(title)));
        if (found == None)
            return 0;
        g_rememberedWindow = found;
        g_windowRemembered = true;
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

extern "C" int32_t CloseGUI(void) {
    if (!g_windowRemembered)
        return 1;
    try {
        setupaid::X11Session session;
        if (!session.connected())
            return 0;
        return session.postClose(g_rememberedWindow) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

extern "C" int32_t isMultipleUsers(void) {
    return g_otherUsers > 0 ? 1 : 0;
}
