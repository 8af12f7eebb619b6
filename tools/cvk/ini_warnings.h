// Warnings about what an INI file will not carry, so that the user can mend the workspace.
#pragma once

#include "engine/include/cvkserver.h"

namespace cvktool {

// The INI writer walks a menu's settings in order and stops at one without a current choice
// (its default matches none of its answers): the settings after it in that menu, with their
// locks and hides, are left out of the image. Prints a warning on stderr naming each such
// setting and the settings left out; the exit status does not change.
void WarnSettingsLeftOutOfIni(IWorkspace* workspace, LONG mask);

// Warns when the BIOS allows more locked and hidden settings than the INI file's lock/hide
// table holds: every INI write of the workspace then fails.
void WarnLockHideTableTooSmall(IWorkspace* workspace);

} // namespace cvktool
