// CCvkRightView: the settings view: five lists of which the one matching the current tree
// item is shown, the workspace window's commands on them, and the mode's hint. Over them, the
// search field; instead of them, the settings across all groups that a filter or a search
// gives.
#pragma once

#include "gui/common/command_ids.h"
#include "gui/common/preferences.h"
#include "gui/settings/settings_index.h"
#include "gui/settings/settings_lists.h"

#include <QWidget>

#include <memory>

class CCmosList;
class CFoundList;
class CSearchBar;
class QLabel;
class CCvkDoc;
class CModuleList;
class QStackedLayout;
struct CTreeItemData;

class CCvkRightView : public QWidget {
    Q_OBJECT
public:
    enum ViewMode {
        ModeCmos = 0,
        ModeSmbios = 1,
        ModeThermal = 2,
        ModeSystemInfo = 3,
        ModeModules = 4,
        ModeNothing = 5,
        ModeFound = 6 // settings across all groups
    };
    // What the view lists: the current group's settings, or settings across all groups.
    enum class Listing { Group, Changed, NeedsReview, Found };

    CCvkRightView(CCvkDoc* doc, CPreferences& prefs, QWidget* parent);

    ViewMode mode() const { return mode_; }
    CCmosList* cmosList() const { return cmos_; }
    CSmbiosList* smbiosList() const { return smbios_; }
    CThermList* thermList() const { return therm_; }
    CSystemInfoList* systemInfoList() const { return systemInfo_; }
    CModuleList* moduleList() const { return modules_; }
    CFoundList* foundList() const { return found_; }
    CSearchBar* searchBar() const { return search_; }
    CSettingsIndex& settingsIndex() { return *index_; }
    QWidget* visibleList() const;
    Listing listing() const { return listing_; }
    bool HasCmos() const;

    // The CMOS settings that differ from a fresh workspace, or those needing review, across
    // all groups; off shows the current group again.
    void ShowChangedOnly(bool on);
    void ShowNeedingReview(bool on);
    // The search field: opened with the keyboard focus, searching as the text changes.
    void OpenSearch();
    void CloseSearch();
    // Shows the setting in its group: the tree goes to the group, the list selects the row.
    void GoToPlace(const CSettingPlace& place);

    bool IsCommandEnabled(Cmd id) const;
    void OnViewCommand(Cmd id);
    // The help context of the mode: CMOS 2, SMBIOS 3, thermal 4, modules 5, else 1.
    int HelpContext() const;
    void TakeFocus();
    // Drops every engine reference the lists hold.
    void Clear();

Q_SIGNALS:
    // The tree is asked to make the group of `place` its current item.
    void placeRequested(const CSettingPlace& place);

private:
    void OnUpdate(QObject* sender, int hint);
    void ShowItem(CTreeItemData* item);
    // Shows the item's values again, keeping the list's selection and scroll position.
    void ShowItemAgain(CTreeItemData* item);
    void SetMode(ViewMode mode);
    void ShowFilter(Listing listing);
    void ShowCurrentGroup();
    void Search(const QString& text);
    void ChooseFound();
    CDefaultValues SmbiosDefaults();
    CDefaultValues ThermDefaults(IThermGroup* group);

    CCvkDoc* doc_;
    CPreferences& prefs_;
    ViewMode mode_ = ModeNothing;
    QStackedLayout* stack_ = nullptr;
    QWidget* empty_ = nullptr;
    CCmosList* cmos_ = nullptr;
    CSmbiosList* smbios_ = nullptr;
    CThermList* therm_ = nullptr;
    CSystemInfoList* systemInfo_ = nullptr;
    CModuleList* modules_ = nullptr;
    CFoundList* found_ = nullptr;
    CSearchBar* search_ = nullptr;
    QLabel* caption_ = nullptr; // what a filter shows, over its list
    std::unique_ptr<CSettingsIndex> index_;
    Listing listing_ = Listing::Group;
};
