// CCmosList: the settings of one CMOS group: advanced, lock and hide marks, the current
// choice edited with a drop-down, "*" beside the default choice, bold rows for review.
#pragma once

#include "engine/include/cvkserver.h"
#include "gui/common/tree_list.h"
#include "platform/com/comptr.h"

#include <memory>
#include <vector>

class CCvkApp;
class CCvkDoc;

class CCmosList : public CTreeListCtrl {
    Q_OBJECT
public:
    enum Column { HiddenColumn, AdvancedColumn, LockColumn, HideColumn, ItemColumn, ValueColumn };

    CCmosList(CCvkDoc* doc, CCvkApp* app, QWidget* parent);
    ~CCmosList() override;

    void SetupColumns();
    // Fills the list with the settings of `group`; the list stays empty for none.
    void Fill(IGroupNode* group);
    void Clear();

    // Commands on the selected row.
    void ToggleLock();
    void ToggleHide();
    void BeginEdit();
    void BeginEditOf(QTreeWidgetItem* item);
    // Whole-CMOS commands.
    void RestoreDefaults();
    void MarkAllReviewed();
    void ClearLockHide();
    // Enabling tests; false when they cannot be answered.
    bool BiosSupportsLockHide() const;
    bool NeedsReview() const;

    void OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) override;
    // The setting a row shows; null for none.
    ISettingNode* SettingAt(const QTreeWidgetItem* item) const;

protected:
    QString TipAt(QTreeWidgetItem* item, int column) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Row {
        cvk::ComPtr<ISettingNode> setting;
        QString help;
        QStringList choices;
    };

    cvk::ComPtr<ICmos> Cmos() const;
    Row* RowOf(const QTreeWidgetItem* item) const;
    void AddRow(std::unique_ptr<Row> row);
    void ShowMarks(QTreeWidgetItem* item, const Row& row);
    bool ToggleLockOf(QTreeWidgetItem* item);
    bool ToggleHideOf(QTreeWidgetItem* item);
    void Refill();

    CCvkDoc* doc_;
    CCvkApp* app_;
    cvk::ComPtr<IGroupNode> group_;
    std::vector<std::unique_ptr<Row>> rows_;
};
