// Installer support exports: find the running Corvane program by title and ask it to close.
#pragma once

#include <stdint.h>

#define SETUPAID_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// 1 when a top-level window with exactly this UTF-8 title exists (the window is then remembered
// for CloseGUI), else 0; also 0 when no X display can be reached.
SETUPAID_EXPORT int32_t isGUIRunning(const char* title);

// Queues a close request to the remembered window and returns at once: non-zero when it was
// queued, 0 when the window has gone or the display cannot be reached; 1 when no window was
// ever found, without doing anything.
SETUPAID_EXPORT int32_t CloseGUI(void);

// 1 when other users are counted as running the program; nothing counts them, so always 0.
SETUPAID_EXPORT int32_t isMultipleUsers(void);

// The shapes of the exports, for installers that load the library with dlopen.
typedef int32_t (*SetupaidIsGUIRunning)(const char* title);
typedef int32_t (*SetupaidCloseGUI)(void);
typedef int32_t (*SetupaidIsMultipleUsers)(void);

#ifdef __cplusplus
}
#endif
