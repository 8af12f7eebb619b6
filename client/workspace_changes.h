// What a workspace holds that a fresh workspace of its build does not: the user's own choices.
#pragma once

#include "client/workspace_snapshot.h"

#include <optional>
#include <vector>

namespace cvkclient {

struct ThermalChange {
    const ThermalValue* value = nullptr;
    const ThermalValue* defaultValue = nullptr;
};

struct WorkspaceChanges {
    // Settings whose current choice is not the default, or that are locked, hidden or flagged
    // for review, in tree order.
    std::vector<const CmosSetting*> cmos;
    std::vector<const SmbiosValue*> smbios; // value or prompt flag not the fresh one
    std::vector<ThermalChange> thermal;
    std::vector<const ModuleInfo*> modules; // in or out of the update against its default
    std::optional<LONG> flashPartSize;      // when it is not the build's
    std::optional<LogoInfo> logo;           // when picture or badge are not the build's
};

// True when the setting belongs in WorkspaceChanges::cmos.
bool IsChanged(const CmosSetting& setting);

// Compares `workspace` with `defaults`, a fresh workspace of the same map file. Both must
// outlive the result.
WorkspaceChanges ListChanges(const WorkspaceSnapshot& workspace, const WorkspaceSnapshot& defaults);

} // namespace cvkclient
