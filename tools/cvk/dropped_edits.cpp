// Comparing an open workspace with a fresh one of its map file, subsystem by subsystem.
#include "tools/cvk/dropped_edits.h"

#include "client/workspace_changes.h"
#include "platform/com/errorinfo.h"

namespace cvktool {

LONG SubsystemsWithEdits(IWorkspace* workspace) {
    LONG mask = 0;
    if (FAILED(cvkclient::ReadComponentsWithEdits(workspace, &mask))) {
        SetErrorInfo(0, nullptr);
        return 0;
    }
    return mask;
}

} // namespace cvktool
