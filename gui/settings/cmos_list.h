// CCmosList: the settings of one CMOS group: advanced, lock and hide marks, the current
// choice edited with a drop-down, "*" beside the default choice, bold rows for review.
#pragma once

#include "engine/include/cvkserver.h"
#include "gui/common/preferences.h"
#include "gui/common/tree_list.h"
#include "platform/com/comptr.h"

class CCvkDoc;

class CCmosList : public CTreeListCtrl {
    Q_OBJECT
public:
    enum Column { HiddenColumn, AdvancedColumn, LockColumn, HideColumn, ItemColumn, ValueColumn };

    CCmosList(CCvkDoc* doc, CPreferences& prefs, QWidget* parent);
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
    // Whole-CMOS commands, recorded as edits; false when the engine failed (after the message).
    bool RestoreDefaults();
    bool MarkAllReviewed();
    bool ClearLockHide();
    // Enabling tests; false when they cannot be answered.
    bool BiosSupportsLockHide() const;
    bool NeedsReview() const;

    void OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) override;
    // The setting a row shows; null for none.
    ISettingNode* SettingAt(const QTreeWidgetItem* item) const;
    // True when the row is marked as having no current choice.
    bool IsLeftOutOfIni(const QTreeWidgetItem* item) const;

protected:
    QString TipAt(QTreeWidgetItem* item, int column) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Row {
        cvk::ComPtr<ISettingNode> setting;
        QString help;
        QStringList choices;
        // Without a current choice the INI file leaves it and the rest of its menu out.
        bool leftOutOfIni = false;
    };

    using RowItem = CDataItem<Row>;

    cvk::ComPtr<ICmos> Cmos() const;
    static Row* RowOf(const QTreeWidgetItem* item) { return RowItem::Of(item); }
    void AddRow(Row row);
    void ShowMarks(QTreeWidgetItem* item, const Row& row);
    void ShowValue(QTreeWidgetItem* item, Row& row);
    // Says so when the setting's place lies past the CMOS image.
    void WarnOutsideImage(ISettingNode* setting);
    // Lock and hide change the engine's marks, and the row then shows what the engine holds
    // (hiding a setting unlocks it).
    void ToggleLockOf(QTreeWidgetItem* item);
    void ToggleHideOf(QTreeWidgetItem* item);
    void ToggleMark(QTreeWidgetItem* item, HRESULT (ISettingNode::*get)(VARIANT_BOOL*),
                    HRESULT (ISettingNode::*put)(VARIANT_BOOL), HRESULT (ICmos::*count)(LONG*),
                    HRESULT (ICmos::*limit)(LONG*), const QString& limitMessage,
                    const QString& markName, const QString& unmarkName);
    // Runs a whole-CMOS command and records it as the edit `name`.
    bool RunOnCmos(HRESULT (ICmos::*command)(), const QString& name);
    void Refill();

    CCvkDoc* doc_;
    CPreferences& prefs_;
    cvk::ComPtr<IGroupNode> group_;
};
