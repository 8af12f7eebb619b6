// Listing a workspace's differences from the defaults of its build.
#include "client/workspace_changes.h"

#include "platform/com/errorinfo.h"

#include <algorithm>
#include <map>

namespace cvkclient {
namespace {

void ListSmbios(const WorkspaceSnapshot& workspace, const WorkspaceSnapshot& defaults,
                WorkspaceChanges* changes) {
    std::map<std::string, const SmbiosValue*> fresh;
    for (const SmbiosValue& value : defaults.smbios)
        fresh.emplace(value.key, &value);
    for (const SmbiosValue& value : workspace.smbios) {
        const auto found = fresh.find(value.key);
        if (found == fresh.end() || found->second->value != value.value ||
            found->second->prompt != value.prompt)
            changes->smbios.push_back(&value);
    }
}

void ListThermal(const WorkspaceSnapshot& workspace, const WorkspaceSnapshot& defaults,
                 WorkspaceChanges* changes) {
    std::map<Path, const ThermalValue*> fresh;
    for (const ThermalValue& value : defaults.thermal)
        fresh.emplace(value.path, &value);
    for (const ThermalValue& value : workspace.thermal) {
        const auto found = fresh.find(value.path);
        const ThermalValue* original = found == fresh.end() ? nullptr : found->second;
        if (!original || original->value != value.value)
            changes->thermal.push_back({&value, original});
    }
}

bool SameLogo(const LogoInfo& a, const LogoInfo& b) {
    return a.image == b.image && a.displayBadge == b.displayBadge && a.badgeX == b.badgeX &&
           a.badgeY == b.badgeY;
}

} // namespace

bool IsChanged(const CmosSetting& setting) {
    return setting.currentChoice != setting.defaultChoice || setting.locked || setting.hidden ||
           setting.needsReview;
}

WorkspaceChanges ListChanges(const WorkspaceSnapshot& workspace,
                             const WorkspaceSnapshot& defaults) {
    WorkspaceChanges changes;
    if (workspace.cmos)
        for (const CmosSetting& setting : workspace.cmos->settings)
            if (IsChanged(setting))
                changes.cmos.push_back(&setting);
    ListSmbios(workspace, defaults, &changes);
    ListThermal(workspace, defaults, &changes);
    if (workspace.modules)
        for (const ModuleInfo& module : *workspace.modules)
            if (module.in != module.isDefault)
                changes.modules.push_back(&module);
    if (workspace.mask & SUBSYS_FLEX) {
        if (workspace.flashPartSize != defaults.flashPartSize)
            changes.flashPartSize = workspace.flashPartSize;
        if (workspace.logo && (!defaults.logo || !SameLogo(*workspace.logo, *defaults.logo)))
            changes.logo = workspace.logo;
    }
    return changes;
}

LONG ComponentsWithEdits(const WorkspaceChanges& changes) {
    const bool cmosEdits =
        std::any_of(changes.cmos.begin(), changes.cmos.end(), [](const CmosSetting* setting) {
            return setting->currentChoice != setting->defaultChoice || setting->locked ||
                   setting->hidden;
        });
    LONG mask = 0;
    if (cmosEdits)
        mask |= SUBSYS_CMOS;
    if (!changes.smbios.empty())
        mask |= SUBSYS_SMBIOS;
    if (!changes.thermal.empty())
        mask |= SUBSYS_ENVCTL;
    if (!changes.modules.empty() || changes.flashPartSize || changes.logo)
        mask |= SUBSYS_FLEX;
    return mask;
}

HRESULT ReadComponentsWithEdits(IWorkspace* workspace, LONG* mask) {
    *mask = 0;
    WorkspaceSnapshot current, defaults;
    CVK_RETURN_IF_FAILED(ReadWorkspace(workspace, &current));
    CVK_RETURN_IF_FAILED(ReadFreshWorkspaceAside(current.mapFile, current.mask, &defaults));
    *mask = ComponentsWithEdits(ListChanges(current, defaults));
    return S_OK;
}

} // namespace cvkclient
