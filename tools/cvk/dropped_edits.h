// Which subsystems of a workspace hold the user's edits, so that `cvk components` can say
// which edits a change of components throws away.
#pragma once

#include "engine/include/cvkserver.h"

namespace cvktool {

// The subsystem bits of the open workspace whose values differ from a fresh workspace of its
// map file: changed, locked or hidden CMOS settings, SMBIOS strings and prompt flags, thermal
// values, the module selection, flash part size and logo. 0 when they cannot be read.
LONG SubsystemsWithEdits(IWorkspace* workspace);

} // namespace cvktool
