// The open workspace read for the views across all groups.
#include "gui/settings/settings_index.h"

#include "gui/common/engine_call.h"
#include "gui/document/cvk_doc.h"
#include "platform/com/com.h"

namespace {

constexpr LONG kDefaultsParts = SUBSYS_SMBIOS | SUBSYS_ENVCTL;

QString JoinGroups(const QString& root, const cvkclient::Path& groups) {
    QStringList names{root};
    for (const std::string& name : groups)
        names.append(QString::fromStdString(name));
    return names.join(QStringLiteral(" > "));
}

// Settings of one group come one after the other: each one's row follows the one before it
// in the same group.
template <class Item, class SameGroup>
std::vector<int> RowsOf(const std::vector<Item>& items, const SameGroup& sameGroup) {
    std::vector<int> rows;
    rows.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        rows.push_back(i > 0 && sameGroup(items[i - 1], items[i]) ? rows.back() + 1 : 0);
    return rows;
}

template <class Tree, class Group>
QString RootName(IWorkspace* workspace, HRESULT (IWorkspace::*part)(Tree**),
                 HRESULT (Group::*name)(BSTR*)) {
    cvk::ComPtr<Tree> tree = GetObject(workspace, part);
    if (!tree)
        return {};
    cvk::ComPtr<Group> root = GetObject(tree.get(), &Tree::get_DataTree);
    return root ? GetText(root.get(), name) : QString();
}

} // namespace

void CSettingsIndex::Invalidate() {
    search_.reset();
    snapshot_.reset();
}

void CSettingsIndex::Read() {
    cvk::ComPtr<IWorkspace> workspace = doc_->GetWorkspace();
    if (!workspace)
        throw CEngineError(E_POINTER);
    cvkclient::WorkspaceSnapshot read;
    ThrowIfFailed(cvkclient::ReadWorkspace(workspace.get(), &read));
    cmosRoot_ = read.cmos ? RootName(workspace.get(), &IWorkspace::get_Cmos, &IGroupNode::get_Name)
                          : QString();
    thermRoot_ = (read.mask & SUBSYS_ENVCTL)
                     ? RootName(workspace.get(), &IWorkspace::get_Therm, &IThermGroup::get_Name)
                     : QString();
    cmosRows_ = read.cmos ? RowsOf(read.cmos->settings,
                                   [](const auto& a, const auto& b) { return a.group == b.group; })
                          : std::vector<int>();
    thermRows_ = RowsOf(read.thermal, [](const auto& a, const auto& b) {
        return cvkclient::Path(a.path.begin(), a.path.end() - 1) ==
               cvkclient::Path(b.path.begin(), b.path.end() - 1);
    });
    snapshot_ = std::move(read);
    search_ = std::make_unique<cvkclient::SettingSearch>(*snapshot_);
}

const cvkclient::WorkspaceSnapshot& CSettingsIndex::Snapshot() {
    if (!snapshot_)
        Read();
    return *snapshot_;
}

const cvkclient::SettingSearch& CSettingsIndex::Search() {
    Snapshot();
    return *search_;
}

const cvkclient::WorkspaceSnapshot& CSettingsIndex::Defaults() {
    cvk::ComPtr<IWorkspace> workspace = doc_->GetWorkspace();
    if (!workspace)
        throw CEngineError(E_POINTER);
    const std::string mapFile =
        GetText(workspace.get(), &IWorkspace::get_MapFilePath).toStdString();
    const LONG mask = GetLong(workspace.get(), &IWorkspace::get_SubsystemMask) & kDefaultsParts;
    if (defaults_ && mapFile == defaultsMapFile_ && mask == defaultsMask_)
        return *defaults_;
    defaults_.reset();
    cvkclient::WorkspaceSnapshot fresh;
    if (mask != 0)
        ThrowIfFailed(cvkclient::ReadFreshWorkspaceAside(mapFile, mask, &fresh));
    defaults_ = std::move(fresh);
    defaultsMapFile_ = mapFile;
    defaultsMask_ = mask;
    return *defaults_;
}

CSettingPlace CSettingsIndex::PlaceOf(const cvkclient::CmosSetting& setting) {
    const auto index = static_cast<std::size_t>(&setting - Snapshot().cmos->settings.data());
    CSettingPlace place;
    place.kind = TreeItemKind::CmosGroup;
    place.cmosGroup = setting.group;
    place.row = cmosRows_.at(index);
    return place;
}

CSettingPlace CSettingsIndex::PlaceOf(const cvkclient::ThermalValue& value) {
    const auto index = static_cast<std::size_t>(&value - Snapshot().thermal.data());
    CSettingPlace place;
    place.kind = TreeItemKind::ThermGroup;
    place.thermGroups.assign(value.path.begin(), value.path.end() - 1);
    place.row = thermRows_.at(index);
    return place;
}

CSettingPlace CSettingsIndex::PlaceOf(const cvkclient::SmbiosValue& value) {
    CSettingPlace place;
    place.kind = TreeItemKind::Smbios;
    place.row = static_cast<int>(&value - Snapshot().smbios.data());
    return place;
}

QString CSettingsIndex::GroupTextOf(const cvkclient::CmosSetting& setting) {
    Snapshot();
    return JoinGroups(cmosRoot_, setting.groups);
}

QString CSettingsIndex::GroupTextOf(const cvkclient::ThermalValue& value) {
    Snapshot();
    return JoinGroups(thermRoot_, cvkclient::Path(value.path.begin(), value.path.end() - 1));
}
