// The settings view.
#include "gui/settings/cvk_right_view.h"

#include "gui/common/operation_guard.h"

#include "gui/common/engine_call.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/modules/module_edits.h"
#include "gui/modules/module_list.h"
#include "gui/settings/cmos_list.h"
#include "gui/settings/settings_lists.h"
#include "gui/settings/wsp_tree_view.h"

#include <QScrollBar>
#include <QStackedLayout>

namespace {

template <class T> cvk::ComPtr<T> ObjectAs(const CTreeItemData* item) {
    cvk::ComPtr<T> object;
    if (item && item->object)
        item->object.As(&object);
    return object;
}

CCvkRightView::ViewMode ModeOf(TreeItemKind kind) {
    switch (kind) {
    case TreeItemKind::SystemInfo:
        return CCvkRightView::ModeSystemInfo;
    case TreeItemKind::CmosGroup:
        return CCvkRightView::ModeCmos;
    case TreeItemKind::Smbios:
        return CCvkRightView::ModeSmbios;
    case TreeItemKind::Modules:
        return CCvkRightView::ModeModules;
    case TreeItemKind::ThermGroup:
        return CCvkRightView::ModeThermal;
    }
    return CCvkRightView::ModeNothing;
}

} // namespace

CCvkRightView::CCvkRightView(CCvkDoc* doc, CPreferences& prefs, QWidget* parent)
    : QWidget(parent), doc_(doc), prefs_(prefs) {
    setObjectName(QStringLiteral("settingsView"));
    setFocusPolicy(Qt::StrongFocus);
    stack_ = new QStackedLayout(this);
    cmos_ = new CCmosList(doc_, prefs, this);
    smbios_ = new CSmbiosList(doc_, this);
    therm_ = new CThermList(doc_, prefs, this);
    systemInfo_ = new CSystemInfoList(this);
    modules_ = new CModuleList(doc_, this);
    connect(modules_, &CModuleList::jpegDefaultDirChanged, this,
            [this](const QString& dir) { prefs_.jpegDefaultDir = dir; });
    connect(modules_, &CModuleList::engineFailed, this, [] { cvkgui::ReportFatal(); });
    empty_ = new QWidget(this);
    // Indexed by ViewMode.
    for (QWidget* page :
         std::initializer_list<QWidget*>{cmos_, smbios_, therm_, systemInfo_, modules_, empty_})
        stack_->addWidget(page);
    stack_->setCurrentWidget(empty_);
    for (CTreeListCtrl* list :
         std::initializer_list<CTreeListCtrl*>{cmos_, smbios_, therm_, systemInfo_, modules_}) {
        connect(list, &CTreeListCtrl::tabPressed, this,
                [this] { doc_->UpdateAllViews(this, CCvkDoc::kHintFocusTree); });
        connect(list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
            if (mode_ == ModeCmos)
                cmos_->BeginEditOf(item);
            else if (mode_ == ModeSmbios)
                smbios_->BeginEditOf(item);
            else if (mode_ == ModeThermal)
                therm_->BeginEditOf(item);
        });
    }
    connect(doc_, &CCvkDoc::viewsUpdate, this, &CCvkRightView::OnUpdate);
}

QWidget* CCvkRightView::visibleList() const {
    return mode_ == ModeNothing ? nullptr : stack_->currentWidget();
}

void CCvkRightView::OnUpdate(QObject* sender, int hint) {
    if (sender == this)
        return;
    if (hint == CCvkDoc::kHintFocusView) {
        TakeFocus();
        return;
    }
    if (hint == CCvkDoc::kHintFocusTree)
        return;
    CTreeItemData* item = doc_->currentItem();
    if (!item)
        return;
    if (hint == CCvkDoc::kHintRefresh) {
        ShowItemAgain(item);
        return;
    }
    ShowItem(item);
}

void CCvkRightView::ShowItemAgain(CTreeItemData* item) {
    auto* list = qobject_cast<QTreeWidget*>(visibleList());
    QTreeWidgetItem* current = list ? list->currentItem() : nullptr;
    const int row = current && !current->parent() ? list->indexOfTopLevelItem(current) : -1;
    const int scroll = list ? list->verticalScrollBar()->value() : 0;
    ShowItem(item);
    if (!list || list != visibleList())
        return;
    if (row >= 0 && row < list->topLevelItemCount())
        list->setCurrentItem(list->topLevelItem(row));
    list->verticalScrollBar()->setValue(scroll);
}

void CCvkRightView::SetMode(ViewMode mode) {
    mode_ = mode;
    stack_->setCurrentIndex(static_cast<int>(mode));
}

void CCvkRightView::ShowItem(CTreeItemData* item) {
    const ViewMode mode = ModeOf(item->kind);
    SetMode(mode);
    switch (mode) {
    case ModeCmos:
        cmos_->Fill(ObjectAs<IGroupNode>(item).get());
        doc_->SetStatusText(cvkgui::text::kHintCmos);
        break;
    case ModeSystemInfo:
        systemInfo_->Fill(ObjectAs<IWorkspace>(item).get());
        doc_->SetStatusText(cvkgui::text::kHintEdit);
        break;
    case ModeSmbios:
        smbios_->Fill(ObjectAs<ISmbiosList>(item).get());
        doc_->SetStatusText(cvkgui::text::kHintEdit);
        break;
    case ModeModules:
        modules_->setJpegDefaultDir(prefs_.jpegDefaultDir);
        modules_->Fill(ObjectAs<IFlex>(item).get());
        doc_->SetStatusText(cvkgui::text::kHintModules);
        break;
    case ModeThermal:
        therm_->Fill(ObjectAs<IThermGroup>(item).get());
        doc_->SetStatusText(cvkgui::text::kHintEdit);
        break;
    case ModeNothing:
        break;
    }
}

void CCvkRightView::TakeFocus() {
    if (QWidget* list = visibleList())
        list->setFocus();
    else
        setFocus();
}

void CCvkRightView::Clear() {
    cmos_->Clear();
    smbios_->Clear();
    therm_->Clear();
    systemInfo_->Clear();
    modules_->Clear();
    SetMode(ModeNothing);
}

bool CCvkRightView::IsCommandEnabled(Cmd id) const {
    switch (id) {
    case Cmd::Lock:
    case Cmd::Hide:
    case Cmd::ClearLockHide:
        return mode_ == ModeCmos && cmos_->BiosSupportsLockHide();
    case Cmd::ResetDefaults:
        return mode_ == ModeCmos || mode_ == ModeModules;
    case Cmd::MarkReviewed:
        return mode_ == ModeCmos && cmos_->NeedsReview();
    case Cmd::Prompt:
        return mode_ == ModeSmbios;
    case Cmd::EditValue:
        return mode_ == ModeCmos || mode_ == ModeSmbios || mode_ == ModeThermal;
    case Cmd::FwhSize3:
    case Cmd::FwhSize4:
    case Cmd::FwhSize8:
        return true;
    default:
        return false;
    }
}

void CCvkRightView::OnViewCommand(Cmd id) {
    if (!IsCommandEnabled(id))
        return;
    bool refill = false;
    switch (id) {
    case Cmd::Lock:
        cmos_->ToggleLock();
        break;
    case Cmd::Hide:
        cmos_->ToggleHide();
        break;
    case Cmd::EditValue:
        if (mode_ == ModeCmos)
            cmos_->BeginEdit();
        else if (mode_ == ModeSmbios)
            smbios_->BeginEdit();
        else if (mode_ == ModeThermal)
            therm_->BeginEdit();
        break;
    case Cmd::Prompt:
        smbios_->TogglePrompt(smbios_->currentItem(), false);
        break;
    case Cmd::ResetDefaults:
        if (mode_ == ModeCmos) {
            // A change of the whole CMOS marks the workspace modified at once (the history
            // has recorded it when any value changed), so that closing asks to save it.
            if (cmos_->RestoreDefaults())
                doc_->RefreshModifiedFlag();
        } else {
            modules_->RestoreDefaults();
        }
        refill = true;
        break;
    case Cmd::MarkReviewed:
        cmos_->MarkAllReviewed();
        refill = true;
        break;
    case Cmd::ClearLockHide:
        if (cmos_->ClearLockHide())
            doc_->RefreshModifiedFlag();
        refill = true;
        break;
    case Cmd::FwhSize3:
    case Cmd::FwhSize4:
    case Cmd::FwhSize8:
        if (ChangeFirmwareHubSize(doc_, FirmwareHubMegabits(id)))
            doc_->RefreshModifiedFlag();
        if (mode_ == ModeModules)
            modules_->RefreshSpaceLine();
        break;
    default:
        break;
    }
    if (refill)
        doc_->UpdateAllViews(nullptr, CCvkDoc::kHintShowCurrent);
}

int CCvkRightView::HelpContext() const {
    switch (mode_) {
    case ModeCmos:
        return 2;
    case ModeSmbios:
        return 3;
    case ModeThermal:
        return 4;
    case ModeModules:
        return 5;
    default:
        return 1;
    }
}
