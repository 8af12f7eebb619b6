// The settings view.
#include "gui/settings/cvk_right_view.h"

#include "gui/common/operation_guard.h"

#include "gui/common/engine_call.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/modules/module_edits.h"
#include "gui/modules/module_list.h"
#include "gui/settings/cmos_list.h"
#include "gui/settings/found_list.h"
#include "gui/settings/search_bar.h"
#include "gui/settings/settings_lists.h"
#include "gui/settings/wsp_tree_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <algorithm>

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

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The names of the groups below the thermal tree's root that lead to `wanted`; false when it
// is not in the tree. The engine hands out its own objects, so identity finds the group.
bool ThermPathOf(IThermGroup* group, IThermGroup* wanted, cvkclient::Path* path) {
    if (group == wanted)
        return true;
    if (!GetBool(group, &IThermGroup::get_HasChildren))
        return false;
    cvk::ComPtr<IThermGroupList> children = GetObject(group, &IThermGroup::get_ChildList);
    bool found = false;
    if (children)
        ForEachInList(children.get(), &IThermGroupList::GetFirst, &IThermGroupList::GetNext,
                      [&](const cvk::ComPtr<IThermGroup>& child) {
                          if (found)
                              return;
                          path->push_back(
                              GetText(child.get(), &IThermGroup::get_Name).toStdString());
                          found = ThermPathOf(child.get(), wanted, path);
                          if (!found)
                              path->pop_back();
                      });
    return found;
}

} // namespace

CCvkRightView::CCvkRightView(CCvkDoc* doc, CPreferences& prefs, QWidget* parent)
    : QWidget(parent), doc_(doc), prefs_(prefs) {
    setObjectName(QStringLiteral("settingsView"));
    setFocusPolicy(Qt::StrongFocus);
    index_ = std::make_unique<CSettingsIndex>(doc_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    search_ = new CSearchBar(this);
    search_->hide();
    layout->addWidget(search_);
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("foundCaption"));
    caption_->setContentsMargins(4, 2, 4, 2);
    caption_->hide();
    layout->addWidget(caption_);
    stack_ = new QStackedLayout();
    layout->addLayout(stack_, 1);
    cmos_ = new CCmosList(doc_, prefs, this);
    smbios_ = new CSmbiosList(doc_, this);
    therm_ = new CThermList(doc_, prefs, this);
    systemInfo_ = new CSystemInfoList(this);
    modules_ = new CModuleList(doc_, this);
    found_ = new CFoundList(this);
    connect(modules_, &CModuleList::jpegDefaultDirChanged, this,
            [this](const QString& dir) { prefs_.jpegDefaultDir = dir; });
    connect(modules_, &CModuleList::engineFailed, this, [] { cvkgui::ReportFatal(); });
    empty_ = new QWidget(this);
    // Indexed by ViewMode.
    for (QWidget* page : std::initializer_list<QWidget*>{cmos_, smbios_, therm_, systemInfo_,
                                                         modules_, empty_, found_})
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
    connect(found_, &CTreeListCtrl::tabPressed, this,
            [this] { doc_->UpdateAllViews(this, CCvkDoc::kHintFocusTree); });
    connect(found_, &CFoundList::placeChosen, this, &CCvkRightView::GoToPlace);
    // Esc in the results closes the search, as it does in the field.
    connect(found_, &CFoundList::escapePressed, this, [this] {
        if (listing_ == Listing::Found)
            CloseSearch();
    });
    connect(search_, &CSearchBar::textChanged, this, &CCvkRightView::Search);
    // The user may have edited settings since the field last had the focus.
    connect(search_, &CSearchBar::focused, this, [this] { index_->Invalidate(); });
    connect(search_, &CSearchBar::accepted, this, &CCvkRightView::ChooseFound);
    connect(search_, &CSearchBar::closed, this, &CCvkRightView::CloseSearch);
    connect(search_, &CSearchBar::downPressed, this, [this] {
        if (mode_ == ModeFound)
            found_->setFocus();
    });
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
    index_->Invalidate();
    CTreeItemData* item = doc_->currentItem();
    if (!item)
        return;
    // An edit undone or redone: a list across all groups is read again, as the group's is.
    if (hint == CCvkDoc::kHintRefresh && listing_ == Listing::Found) {
        Search(search_->text());
        return;
    }
    if (hint == CCvkDoc::kHintRefresh && listing_ != Listing::Group) {
        ShowFilter(listing_);
        return;
    }
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
    caption_->setVisible(mode == ModeFound && listing_ != Listing::Found);
    stack_->setCurrentIndex(static_cast<int>(mode));
}

void CCvkRightView::ShowItem(CTreeItemData* item) {
    listing_ = Listing::Group;
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
        smbios_->SetDefaults(SmbiosDefaults());
        smbios_->Fill(ObjectAs<ISmbiosList>(item).get());
        doc_->SetStatusText(cvkgui::text::kHintEdit);
        break;
    case ModeModules:
        modules_->setJpegDefaultDir(prefs_.jpegDefaultDir);
        modules_->Fill(ObjectAs<IFlex>(item).get());
        doc_->SetStatusText(cvkgui::text::kHintModules);
        break;
    case ModeThermal:
        therm_->SetDefaults(ThermDefaults(ObjectAs<IThermGroup>(item).get()));
        therm_->Fill(ObjectAs<IThermGroup>(item).get());
        doc_->SetStatusText(cvkgui::text::kHintEdit);
        break;
    case ModeNothing:
    case ModeFound:
        break;
    }
}

CDefaultValues CCvkRightView::SmbiosDefaults() {
    CDefaultValues defaults;
    // The marks are an aid: without the defaults the list is shown unmarked.
    cvkgui::GuardOperation(cvkgui::Quietly(), [&] {
        for (const cvkclient::SmbiosValue& value : index_->Defaults().smbios)
            defaults.insert(Text(value.key), {Text(value.value), value.prompt});
    });
    return defaults;
}

CDefaultValues CCvkRightView::ThermDefaults(IThermGroup* group) {
    CDefaultValues defaults;
    if (!group)
        return defaults;
    cvkgui::GuardOperation(cvkgui::Quietly(), [&] {
        cvk::ComPtr<ITherm> therm = GetObject(doc_->GetWorkspace().get(), &IWorkspace::get_Therm);
        cvk::ComPtr<IThermGroup> root =
            therm ? GetObject(therm.get(), &ITherm::get_DataTree) : cvk::ComPtr<IThermGroup>();
        cvkclient::Path path;
        if (!root || !ThermPathOf(root.get(), group, &path))
            return;
        for (const cvkclient::ThermalValue& value : index_->Defaults().thermal)
            if (value.path.size() == path.size() + 1 &&
                std::equal(path.begin(), path.end(), value.path.begin()))
                defaults.insert(Text(value.path.back()), {Text(value.value), false});
    });
    return defaults;
}

bool CCvkRightView::HasCmos() const {
    bool has = false;
    cvkgui::GuardOperation(cvkgui::Quietly(), [&] {
        cvk::ComPtr<IWorkspace> workspace = doc_->GetWorkspace();
        has = workspace &&
              (GetLong(workspace.get(), &IWorkspace::get_SubsystemMask) & SUBSYS_CMOS) != 0;
    });
    return has;
}

void CCvkRightView::ShowCurrentGroup() {
    listing_ = Listing::Group;
    if (CTreeItemData* item = doc_->currentItem())
        ShowItem(item);
    else
        SetMode(ModeNothing);
}

void CCvkRightView::ShowChangedOnly(bool on) {
    ShowFilter(on ? Listing::Changed : Listing::Group);
}

void CCvkRightView::ShowNeedingReview(bool on) {
    ShowFilter(on ? Listing::NeedsReview : Listing::Group);
}

void CCvkRightView::ShowFilter(Listing listing) {
    if (listing == Listing::Group) {
        ShowCurrentGroup();
        return;
    }
    index_->Invalidate();
    const bool shown =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            found_->ShowChanged(*index_, listing == Listing::NeedsReview);
        });
    if (!shown) {
        ShowCurrentGroup();
        return;
    }
    listing_ = listing;
    const int count = found_->topLevelItemCount();
    caption_->setText(listing == Listing::Changed
                          ? QStringLiteral("Changed settings in all groups: %1").arg(count)
                          : QStringLiteral("Settings needing review in all groups: %1").arg(count));
    SetMode(ModeFound);
    doc_->ResetSecondPane();
    doc_->SetStatusText(cvkgui::text::kHintFound);
}

void CCvkRightView::OpenSearch() {
    index_->Invalidate();
    search_->Open();
    Search(search_->text());
}

void CCvkRightView::CloseSearch() {
    search_->hide();
    if (listing_ == Listing::Found)
        ShowCurrentGroup();
    TakeFocus();
}

void CCvkRightView::Search(const QString& text) {
    if (text.isEmpty()) {
        search_->ShowCount(0, 0);
        if (listing_ == Listing::Found)
            ShowCurrentGroup();
        return;
    }
    std::size_t count = 0;
    const bool searched =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            const std::vector<cvkclient::FoundSetting> found =
                index_->Search().FindFirst(text.toStdString(), CFoundList::kMostFound, &count);
            found_->ShowFound(*index_, found);
        });
    if (!searched)
        return;
    listing_ = Listing::Found;
    SetMode(ModeFound);
    const int shown = static_cast<int>(std::min<std::size_t>(count, CFoundList::kMostFound));
    search_->ShowCount(static_cast<int>(count), shown);
    doc_->SetStatusText(cvkgui::text::kHintFound);
}

void CCvkRightView::ChooseFound() {
    if (mode_ != ModeFound)
        return;
    QTreeWidgetItem* item = found_->currentItem();
    if (!item && found_->topLevelItemCount() > 0)
        item = found_->topLevelItem(0);
    if (const CSettingPlace* place = found_->PlaceAt(item))
        GoToPlace(*place);
}

void CCvkRightView::GoToPlace(const CSettingPlace& place) {
    const CSettingPlace chosen = place; // the found list is emptied on the way
    Q_EMIT placeRequested(chosen);
    // The tree was at the group already: nothing told the view to show it.
    if (mode_ == ModeFound)
        ShowCurrentGroup();
    if (mode_ != ModeOf(chosen.kind))
        return;
    auto* list = static_cast<QTreeWidget*>(visibleList());
    if (!list || chosen.row >= list->topLevelItemCount())
        return;
    QTreeWidgetItem* row = list->topLevelItem(chosen.row);
    list->setCurrentItem(row);
    list->scrollToItem(row);
    list->setFocus();
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
    found_->Clear();
    index_->Invalidate();
    listing_ = Listing::Group;
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
