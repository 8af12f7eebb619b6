// Comparing an open workspace with a fresh one of its map file, subsystem by subsystem.
#include "tools/cvk/dropped_edits.h"

#include "client/workspace_changes.h"
#include "platform/com/errorinfo.h"
#include "tools/cvk/engine_client.h"

namespace cvktool {

LONG SubsystemsWithEdits(IWorkspace* workspace) {
    // The fresh workspace is made on a server of its own: the one that holds `workspace`
    // keeps one workspace at a time.
    cvk::ComPtr<IServer> server;
    std::string what;
    LONG mask = 0;
    if (FAILED(CreateServer(&server, &what)) ||
        FAILED(cvkclient::ReadComponentsWithEdits(workspace, server.get(), &mask))) {
        SetErrorInfo(0, nullptr);
        return 0;
    }
    return mask;
}

} // namespace cvktool
