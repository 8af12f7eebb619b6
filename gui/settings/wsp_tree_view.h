// CWspTreeView: the workspace tree: "My System", the CMOS groups, "SMBIOS", the thermal
// groups and "Flex Modules", each item carrying the engine object its list shows.
#pragma once

#include "gui/common/tree_list.h"
#include "platform/com/comptr.h"
#include "platform/com/unknown.h"

#include <QTreeWidget>

#include <string>
#include <vector>

class CCvkDoc;
struct CSettingPlace;
struct IGroupNode;
struct IThermGroup;

enum class TreeItemKind { SystemInfo = 0, CmosGroup = 1, Smbios = 2, Modules = 4, ThermGroup = 5 };

// What a tree item stands for; owned by its item and released when the tree is emptied.
struct CTreeItemData {
    TreeItemKind kind = TreeItemKind::SystemInfo;
    cvk::ComPtr<IUnknown> object;
};

class CWspTreeView : public QTreeWidget {
    Q_OBJECT
public:
    CWspTreeView(CCvkDoc* doc, QWidget* parent);
    ~CWspTreeView() override;

    bool built() const { return built_; }
    // Empties the tree and releases every item's engine object.
    void Clear();
    CTreeItemData* DataOf(const QTreeWidgetItem* item) const { return ItemData::Of(item); }
    // The width that shows every item's name whole, expanded or not.
    int ContentWidth() const;
    // Makes the group of `place` the current item; false when the tree has no such group.
    bool SelectPlace(const CSettingPlace& place);

Q_SIGNALS:
    // The tree has been built for the workspace.
    void treeBuilt();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void OnUpdate(QObject* sender, int hint);
    void Build();
    QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const QString& text, TreeItemKind kind,
                             cvk::ComPtr<IUnknown> object);
    void AddCmosGroup(QTreeWidgetItem* parent, IGroupNode* group);
    void AddThermGroup(QTreeWidgetItem* parent, IThermGroup* group);
    void OnCurrentItemChanged(QTreeWidgetItem* current);
    QTreeWidgetItem* TopLevelOf(TreeItemKind kind) const;
    QTreeWidgetItem* CmosGroupAt(int index) const;
    QTreeWidgetItem* ThermGroupAt(const std::vector<std::string>& names) const;

    using ItemData = CDataItem<CTreeItemData>;

    CCvkDoc* doc_;
    bool built_ = false;
    bool building_ = false;
};
