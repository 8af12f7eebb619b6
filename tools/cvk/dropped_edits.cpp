// Comparing an open workspace with a fresh one of its map file, subsystem by subsystem.
#include "tools/cvk/dropped_edits.h"

#include "client/workspace_changes.h"
#include "platform/com/errorinfo.h"
#include "tools/cvk/engine_client.h"
#include "tools/cvk/session.h"

#include <algorithm>

namespace cvktool {
namespace {

using cvkclient::WorkspaceSnapshot;

// A fresh workspace of the same map file and components, read on a server of its own: the
// one that holds `workspace` keeps one workspace at a time.
HRESULT ReadDefaults(const WorkspaceSnapshot& workspace, WorkspaceSnapshot* defaults) {
    cvk::ComPtr<IServer> server;
    std::string what;
    CVK_RETURN_IF_FAILED(CreateServer(&server, &what));
    cvk::ComPtr<IWorkspace> fresh;
    CVK_RETURN_IF_FAILED(
        server->NewWorkspace(workspace.mask, Wide(workspace.mapFile).get(), fresh.put()));
    const HRESULT hr = cvkclient::ReadWorkspace(fresh.get(), defaults);
    server->CloseWorkspace(fresh.get());
    return hr;
}

// A setting only flagged for review is not the user's edit, and dropping CMOS keeps the flag.
bool HasCmosEdits(const cvkclient::WorkspaceChanges& changes) {
    return std::any_of(changes.cmos.begin(), changes.cmos.end(), [](const auto* setting) {
        return setting->currentChoice != setting->defaultChoice || setting->locked ||
               setting->hidden;
    });
}

} // namespace

LONG SubsystemsWithEdits(IWorkspace* workspace) {
    WorkspaceSnapshot current, defaults;
    if (FAILED(cvkclient::ReadWorkspace(workspace, &current)) ||
        FAILED(ReadDefaults(current, &defaults))) {
        SetErrorInfo(0, nullptr);
        return 0;
    }
    const cvkclient::WorkspaceChanges changes = cvkclient::ListChanges(current, defaults);
    LONG mask = 0;
    if (HasCmosEdits(changes))
        mask |= SUBSYS_CMOS;
    if (!changes.smbios.empty())
        mask |= SUBSYS_SMBIOS;
    if (!changes.thermal.empty())
        mask |= SUBSYS_ENVCTL;
    if (!changes.modules.empty() || changes.flashPartSize || changes.logo)
        mask |= SUBSYS_FLEX;
    return mask;
}

} // namespace cvktool
