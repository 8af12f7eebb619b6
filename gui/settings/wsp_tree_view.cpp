// The workspace tree.
#include "gui/settings/wsp_tree_view.h"

#include "gui/common/engine_call.h"
#include "gui/common/operation_guard.h"
#include "gui/document/cvk_doc.h"
#include "gui/document/workspace_dialogs.h"
#include "gui/settings/settings_index.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <utility>

namespace {

bool Contains(LONG mask, LONG part) {
    return part != 0 && (mask & part) == part;
}

template <class T> cvk::ComPtr<IUnknown> AsUnknown(const cvk::ComPtr<T>& object) {
    return cvk::ComPtr<IUnknown>(object.get());
}

} // namespace

CWspTreeView::CWspTreeView(CCvkDoc* doc, QWidget* parent) : QTreeWidget(parent), doc_(doc) {
    setObjectName(QStringLiteral("workspaceTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(doc_, &CCvkDoc::viewsUpdate, this, &CWspTreeView::OnUpdate);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
}

CWspTreeView::~CWspTreeView() {
    Clear();
}

void CWspTreeView::Clear() {
    building_ = true;
    clear();
    building_ = false;
    built_ = false;
}

void CWspTreeView::OnUpdate(QObject* sender, int hint) {
    if (sender == this)
        return;
    if (hint == CCvkDoc::kHintStructure) {
        doc_->ClearCurrentItem();
        Clear();
    }
    if (hint == CCvkDoc::kHintFocusTree) {
        setFocus();
        return;
    }
    if (!built_ && !building_ && doc_->hasWorkspace())
        Build();
}

QTreeWidgetItem* CWspTreeView::AddItem(QTreeWidgetItem* parent, const QString& text,
                                       TreeItemKind kind, cvk::ComPtr<IUnknown> object) {
    auto* item = new ItemData(CTreeItemData{kind, std::move(object)});
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    item->setText(0, text);
    return item;
}

void CWspTreeView::AddCmosGroup(QTreeWidgetItem* parent, IGroupNode* group) {
    QTreeWidgetItem* item = AddItem(parent, GetText(group, &IGroupNode::get_Name),
                                    TreeItemKind::CmosGroup, cvk::ComPtr<IUnknown>(group));
    if (!GetBool(group, &IGroupNode::get_HasChildren))
        return;
    cvk::ComPtr<IGroupList> children = GetObject(group, &IGroupNode::get_ChildList);
    if (!children)
        return;
    ForEachInList(children.get(), &IGroupList::GetFirst, &IGroupList::GetNext,
                  [&](const cvk::ComPtr<IGroupNode>& child) { AddCmosGroup(item, child.get()); });
}

void CWspTreeView::AddThermGroup(QTreeWidgetItem* parent, IThermGroup* group) {
    QTreeWidgetItem* item = AddItem(parent, GetText(group, &IThermGroup::get_Name),
                                    TreeItemKind::ThermGroup, cvk::ComPtr<IUnknown>(group));
    if (!GetBool(group, &IThermGroup::get_HasChildren))
        return;
    cvk::ComPtr<IThermGroupList> children = GetObject(group, &IThermGroup::get_ChildList);
    if (!children)
        return;
    ForEachInList(children.get(), &IThermGroupList::GetFirst, &IThermGroupList::GetNext,
                  [&](const cvk::ComPtr<IThermGroup>& child) { AddThermGroup(item, child.get()); });
}

void CWspTreeView::Build() {
    building_ = true;
    QTreeWidgetItem* mySystem = nullptr;
    const bool built = cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        cvk::ComPtr<IWorkspace> workspace = doc_->GetWorkspace();
        const CSubsystemMasks masks = CSubsystemMasks::Read(doc_->GetServer().get());
        const LONG mask = GetLong(workspace.get(), &IWorkspace::get_SubsystemMask);
        mySystem = AddItem(nullptr, QStringLiteral("My System"), TreeItemKind::SystemInfo,
                           AsUnknown(workspace));
        if (Contains(mask, masks.cmos)) {
            cvk::ComPtr<ICmos> cmos;
            cvk::ComPtr<IGroupNode> root;
            if (SUCCEEDED(workspace->get_Cmos(cmos.put())) && cmos &&
                SUCCEEDED(cmos->get_DataTree(root.put())) && root)
                AddCmosGroup(nullptr, root.get());
        }
        if (Contains(mask, masks.smbios)) {
            cvk::ComPtr<ISmbiosList> smbios;
            workspace->get_SmbiosList(smbios.put());
            AddItem(nullptr, QStringLiteral("SMBIOS"), TreeItemKind::Smbios, AsUnknown(smbios));
        }
        if (Contains(mask, masks.envctl)) {
            cvk::ComPtr<ITherm> therm;
            cvk::ComPtr<IThermGroup> root;
            if (SUCCEEDED(workspace->get_Therm(therm.put())) && therm &&
                SUCCEEDED(therm->get_DataTree(root.put())) && root)
                AddThermGroup(nullptr, root.get());
        }
        if (Contains(mask, masks.flex)) {
            cvk::ComPtr<IFlex> flex;
            workspace->get_Flex(flex.put());
            AddItem(nullptr, QStringLiteral("Flex Modules"), TreeItemKind::Modules,
                    AsUnknown(flex));
        }
    });
    building_ = false;
    if (!built)
        return;
    built_ = true;
    setCurrentItem(mySystem);
    Q_EMIT treeBuilt();
}

int CWspTreeView::ContentWidth() const {
    const QFontMetrics metrics(font());
    // Item text sits between the style's margins; one more indentation step keeps clear of the
    // branch marks.
    constexpr int kTextMargins = 12;
    int widest = 0;
    QList<std::pair<const QTreeWidgetItem*, int>> pending;
    for (int i = 0; i < topLevelItemCount(); ++i)
        pending.append({topLevelItem(i), 1});
    while (!pending.isEmpty()) {
        const auto [item, depth] = pending.takeLast();
        widest = std::max(widest, depth * indentation() + metrics.horizontalAdvance(item->text(0)) +
                                      kTextMargins);
        for (int c = 0; c < item->childCount(); ++c)
            pending.append({item->child(c), depth + 1});
    }
    return widest + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
}

void CWspTreeView::OnCurrentItemChanged(QTreeWidgetItem* current) {
    if (building_ || !current)
        return;
    doc_->SetCurrentItem(DataOf(current));
}

void CWspTreeView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab) {
        doc_->UpdateAllViews(this, CCvkDoc::kHintFocusView);
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

bool CWspTreeView::focusNextPrevChild(bool next) {
    // Tab belongs to the pane switch, not to the focus chain.
    Q_UNUSED(next);
    return false;
}

QTreeWidgetItem* CWspTreeView::TopLevelOf(TreeItemKind kind) const {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (DataOf(topLevelItem(i))->kind == kind)
            return topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* CWspTreeView::CmosGroupAt(int index) const {
    QTreeWidgetItem* root = TopLevelOf(TreeItemKind::CmosGroup);
    if (!root || index < 0)
        return root;
    // The groups below the root in the order they were added: each group before its children.
    int seen = -1;
    QList<QTreeWidgetItem*> pending{root};
    while (!pending.isEmpty()) {
        QTreeWidgetItem* item = pending.takeLast();
        if (seen++ == index)
            return item;
        for (int c = item->childCount() - 1; c >= 0; --c)
            pending.append(item->child(c));
    }
    return nullptr;
}

QTreeWidgetItem* CWspTreeView::ThermGroupAt(const std::vector<std::string>& names) const {
    QTreeWidgetItem* item = TopLevelOf(TreeItemKind::ThermGroup);
    for (const std::string& name : names) {
        QTreeWidgetItem* next = nullptr;
        for (int c = 0; item && c < item->childCount() && !next; ++c)
            if (item->child(c)->text(0) == QString::fromStdString(name))
                next = item->child(c);
        item = next;
    }
    return item;
}

bool CWspTreeView::SelectPlace(const CSettingPlace& place) {
    QTreeWidgetItem* item = nullptr;
    if (place.kind == TreeItemKind::CmosGroup)
        item = CmosGroupAt(place.cmosGroup);
    else if (place.kind == TreeItemKind::ThermGroup)
        item = ThermGroupAt(place.thermGroups);
    else
        item = TopLevelOf(place.kind);
    if (!item)
        return false;
    setCurrentItem(item);
    scrollToItem(item);
    return true;
}
