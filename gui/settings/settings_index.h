// CSettingsIndex: the open workspace read into plain values for the views that look across all
// groups (the changed-settings filters and the search), with where each setting is shown.
#pragma once

#include "client/setting_search.h"
#include "client/workspace_snapshot.h"
#include "gui/settings/wsp_tree_view.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class CCvkDoc;

// Where a setting is shown: the tree item of its group and its row in that group's list.
struct CSettingPlace {
    TreeItemKind kind = TreeItemKind::CmosGroup;
    // CMOS: the group's index in tree order below the root group; -1 for the root group.
    int cmosGroup = -1;
    // Thermal: the names of the groups below the root group.
    cvkclient::Path thermGroups;
    int row = 0;
};

class CSettingsIndex {
public:
    explicit CSettingsIndex(CCvkDoc* doc) : doc_(doc) {}

    // The workspace as it is now, read once and kept until Invalidate. Throws CEngineError.
    const cvkclient::WorkspaceSnapshot& Snapshot();
    // The search over Snapshot(), built with it.
    const cvkclient::SettingSearch& Search();
    // The SMBIOS strings and thermal values of a fresh workspace of the same map file, read
    // again only when the map file or the components change. Throws CEngineError.
    const cvkclient::WorkspaceSnapshot& Defaults();
    // The workspace may have changed: the next Snapshot() reads it again.
    void Invalidate();

    CSettingPlace PlaceOf(const cvkclient::CmosSetting& setting);
    CSettingPlace PlaceOf(const cvkclient::ThermalValue& value);
    CSettingPlace PlaceOf(const cvkclient::SmbiosValue& value);
    // The group path as the tree shows it, from the root group's name down.
    QString GroupTextOf(const cvkclient::CmosSetting& setting);
    QString GroupTextOf(const cvkclient::ThermalValue& value);

private:
    void Read();

    CCvkDoc* doc_;
    std::optional<cvkclient::WorkspaceSnapshot> snapshot_;
    std::unique_ptr<cvkclient::SettingSearch> search_;
    // Each setting's row in its group's list, in snapshot order.
    std::vector<int> cmosRows_;
    std::vector<int> thermRows_;
    QString cmosRoot_;
    QString thermRoot_;
    std::optional<cvkclient::WorkspaceSnapshot> defaults_;
    std::string defaultsMapFile_;
    LONG defaultsMask_ = 0;
};
