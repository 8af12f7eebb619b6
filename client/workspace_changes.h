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

// The subsystem bits whose values hold the user's edits: changed, locked or hidden CMOS
// settings (a flag for review alone is not an edit), SMBIOS strings and prompt flags, thermal
// values, the module selection, flash part size and logo.
LONG ComponentsWithEdits(const WorkspaceChanges& changes);

// The same for an open workspace, compared with a fresh workspace of its map file made on a
// server of its own.
HRESULT ReadComponentsWithEdits(IWorkspace* workspace, LONG* mask);

// Compares `workspace` with `defaults`, a fresh workspace of the same map file. Both must
// outlive the result.
WorkspaceChanges ListChanges(const WorkspaceSnapshot& workspace, const WorkspaceSnapshot& defaults);

} // namespace cvkclient
