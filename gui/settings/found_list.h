// CFoundList: settings from all groups in one list, each with its group path: the changed
// settings, the settings needing review, or what a search found. A row is not edited here:
// double-click or Enter asks for the setting to be shown in its group.
#pragma once

#include "client/setting_search.h"
#include "gui/common/tree_list.h"
#include "gui/settings/settings_index.h"

#include <vector>

class CFoundList : public CTreeListCtrl {
    Q_OBJECT
public:
    enum Column { ItemColumn, ValueColumn, NoteColumn, GroupColumn };
    // Searches can find every setting of a board; more rows than this help no one and cost a
    // keystroke its speed.
    static constexpr int kMostFound = 200;

    explicit CFoundList(QWidget* parent);

    // The CMOS settings that differ from a fresh workspace (another choice than the default,
    // locked, hidden or needing review), or only those needing review.
    void ShowChanged(CSettingsIndex& index, bool reviewOnly);
    // What a search found (at most kMostFound are shown).
    void ShowFound(CSettingsIndex& index, const std::vector<cvkclient::FoundSetting>& found);
    void Clear() { clear(); }

    // The place of a row; null for none.
    const CSettingPlace* PlaceAt(const QTreeWidgetItem* item) const { return RowItem::Of(item); }
    void OnEndEdit(QTreeWidgetItem*, int, const QString&) override {}

Q_SIGNALS:
    void placeChosen(const CSettingPlace& place);
    void escapePressed();

protected:
    QString TipAt(QTreeWidgetItem* item, int column) const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    using RowItem = CDataItem<CSettingPlace>;

    void SetHeader(const QString& note);
    QTreeWidgetItem* AddRow(CSettingPlace place, const QStringList& texts);
    QTreeWidgetItem* AddCmos(CSettingsIndex& index, const cvkclient::CmosSetting& setting,
                             const QString& note);
    void ChooseRow(QTreeWidgetItem* item);
    void FitColumns();
};
