// Warnings about what an INI file will not carry, so that the user can mend the workspace.
#pragma once

#include "engine/include/cvkserver.h"

namespace cvktool {

// Prints on stderr what the INI file written with `mask` will not carry as the user expects:
// each setting without a current choice with the settings of its menu that the INI writer's
// walk leaves out, and boot positions that name the same device. The exit status does not
// change.
void WarnAboutIniFile(IWorkspace* workspace, LONG mask);

// The boot position warnings alone, after an edit of CMOS choices.
void WarnBootClashes(IWorkspace* workspace);

// Warns when the BIOS allows more locked and hidden settings than the INI file's lock/hide
// table holds: every INI write of the workspace then fails.
void WarnLockHideTableTooSmall(IWorkspace* workspace);

} // namespace cvktool
