// The other lists of the settings view: system information, SMBIOS strings and thermal
// settings.
#pragma once

#include "engine/include/cvkserver.h"
#include "gui/common/preferences.h"
#include "gui/common/tree_list.h"
#include "platform/com/comptr.h"

#include <QHash>

class CCvkDoc;

// A value as a fresh workspace of the same map file holds it. The SMBIOS and thermal lists
// show in bold the values that differ from theirs.
struct CDefaultValue {
    QString value;
    bool prompt = false;
};
// SMBIOS strings by INI keyword; thermal settings of the shown group by name. Empty when the
// defaults are not known: then nothing is marked.
using CDefaultValues = QHash<QString, CDefaultValue>;

// The defaults a list marks its values against: a value that differs is shown in bold, name and
// value, with the default in the value's tip.
class CDefaultMarks {
public:
    CDefaultMarks(int itemColumn, int valueColumn)
        : itemColumn_(itemColumn), valueColumn_(valueColumn) {}
    void Set(CDefaultValues defaults) { defaults_ = std::move(defaults); }
    // Marks the row of `key` when its value or prompt is not the default's.
    void Show(QTreeWidgetItem* item, const QString& key, bool prompt) const;
    bool IsShown(const QTreeWidgetItem* item) const;
    // The value's tip of a marked row; empty for none.
    QString TipOf(const QTreeWidgetItem* item, const QString& key) const;

private:
    int itemColumn_;
    int valueColumn_;
    CDefaultValues defaults_;
};

// Read-only facts about the workspace's BIOS: file, ID and build date.
class CSystemInfoList : public CTreeListCtrl {
    Q_OBJECT
public:
    enum Column { LabelColumn, ValueColumn };

    explicit CSystemInfoList(QWidget* parent);
    void SetupColumns();
    void Fill(IWorkspace* workspace);
    void Clear() { clear(); }
    void OnEndEdit(QTreeWidgetItem*, int, const QString&) override {}

protected:
    QString TipAt(QTreeWidgetItem* item, int column) const override;
};

// The workspace's SMBIOS strings: a prompt mark, the name, and the value edited in place.
class CSmbiosList : public CTreeListCtrl {
    Q_OBJECT
public:
    enum Column { HiddenColumn, PromptColumn, ItemColumn, ValueColumn };

    CSmbiosList(CCvkDoc* doc, QWidget* parent);
    ~CSmbiosList() override;
    void SetupColumns();
    // The defaults the next Fill marks changed values against.
    void SetDefaults(CDefaultValues defaults) { marks_.Set(std::move(defaults)); }
    void Fill(ISmbiosList* list);
    // True when the row is shown as differing from its default.
    bool IsMarkedChanged(const QTreeWidgetItem* item) const { return marks_.IsShown(item); }
    void Clear();
    // Edits the value of the selected row.
    void BeginEdit();
    void BeginEditOf(QTreeWidgetItem* item);
    // Turns the selected row's prompt on or off; `fromMenu` refreshes the modified flag.
    void TogglePrompt(QTreeWidgetItem* item, bool fromMenu);
    ISmbiosNode* NodeAt(const QTreeWidgetItem* item) const;
    void OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) override;

protected:
    QString TipAt(QTreeWidgetItem* item, int column) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Row {
        cvk::ComPtr<ISmbiosNode> node;
        QString help;
        QString key;
    };
    using RowItem = CDataItem<Row>;
    static Row* RowOf(const QTreeWidgetItem* item) { return RowItem::Of(item); }
    void ShowChangedMark(QTreeWidgetItem* item);

    CCvkDoc* doc_;
    CDefaultMarks marks_{ItemColumn, ValueColumn};
};

// The settings of one thermal group, edited with a drop-down of their choices or as text.
class CThermList : public CTreeListCtrl {
    Q_OBJECT
public:
    enum Column { ItemColumn, ValueColumn };

    CThermList(CCvkDoc* doc, CPreferences& prefs, QWidget* parent);
    ~CThermList() override;
    void SetupColumns();
    // The defaults the next Fill marks changed values against.
    void SetDefaults(CDefaultValues defaults) { marks_.Set(std::move(defaults)); }
    void Fill(IThermGroup* group);
    // True when the row is shown as differing from its default.
    bool IsMarkedChanged(const QTreeWidgetItem* item) const { return marks_.IsShown(item); }
    void Clear();
    void BeginEdit();
    void BeginEditOf(QTreeWidgetItem* item);
    IThermSetting* SettingAt(const QTreeWidgetItem* item) const;
    void OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) override;

protected:
    QString TipAt(QTreeWidgetItem* item, int column) const override;

private:
    struct Row {
        cvk::ComPtr<IThermSetting> setting;
        QString help;
        QStringList choices;
    };
    using RowItem = CDataItem<Row>;
    static Row* RowOf(const QTreeWidgetItem* item) { return RowItem::Of(item); }
    void ShowChangedMark(QTreeWidgetItem* item);

    CCvkDoc* doc_;
    CPreferences& prefs_;
    CDefaultMarks marks_{ItemColumn, ValueColumn};
};
