// The flash part size chosen under "Firmware Hub Size".
#pragma once

#include "engine/include/cvkserver.h"

// Bytes of a firmware hub of `megabits` (3, 4 or 8 on the menu).
constexpr LONG FirmwareHubBytes(int megabits) {
    return static_cast<LONG>(megabits) * 1024 * 1024 / 8;
}

// Puts the workspace's flash part size; "Not able to set FWHSize" when there is no workspace
// or module object, or the engine refuses. True when set.
bool SetFirmwareHubSize(IWorkspace* workspace, int megabits);
