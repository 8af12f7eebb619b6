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
    void SetDefaults(CDefaultValues defaults) { defaults_ = std::move(defaults); }
    void Fill(ISmbiosList* list);
    // True when the row is shown as differing from its default.
    bool IsMarkedChanged(const QTreeWidgetItem* item) const;
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
    const CDefaultValue* DefaultOf(const QTreeWidgetItem* item) const;
    void ShowChangedMark(QTreeWidgetItem* item);

    CCvkDoc* doc_;
    CDefaultValues defaults_;
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
    void SetDefaults(CDefaultValues defaults) { defaults_ = std::move(defaults); }
    void Fill(IThermGroup* group);
    // True when the row is shown as differing from its default.
    bool IsMarkedChanged(const QTreeWidgetItem* item) const;
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
    const CDefaultValue* DefaultOf(const QTreeWidgetItem* item) const;
    void ShowChangedMark(QTreeWidgetItem* item);

    CCvkDoc* doc_;
    CPreferences& prefs_;
    CDefaultValues defaults_;
};
