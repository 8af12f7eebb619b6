// CCvkRightView: the settings view: five lists of which the one matching the current tree
// item is shown, the workspace window's commands on them, and the mode's hint.
#pragma once

#include "gui/common/command_ids.h"
#include "gui/common/preferences.h"

#include <QWidget>

class CCmosList;
class CCvkDoc;
class CModuleList;
class CSmbiosList;
class CSystemInfoList;
class CThermList;
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
        ModeNothing = 5
    };

    CCvkRightView(CCvkDoc* doc, CPreferences& prefs, QWidget* parent);

    ViewMode mode() const { return mode_; }
    CCmosList* cmosList() const { return cmos_; }
    CSmbiosList* smbiosList() const { return smbios_; }
    CThermList* thermList() const { return therm_; }
    CSystemInfoList* systemInfoList() const { return systemInfo_; }
    CModuleList* moduleList() const { return modules_; }
    QWidget* visibleList() const;

    bool IsCommandEnabled(Cmd id) const;
    void OnViewCommand(Cmd id);
    // The help context of the mode: CMOS 2, SMBIOS 3, thermal 4, modules 5, else 1.
    int HelpContext() const;
    void TakeFocus();
    // Drops every engine reference the lists hold.
    void Clear();

private:
    void OnUpdate(QObject* sender, int hint);
    void ShowItem(CTreeItemData* item);
    // Shows the item's values again, keeping the list's selection and scroll position.
    void ShowItemAgain(CTreeItemData* item);
    void SetMode(ViewMode mode);

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
};
