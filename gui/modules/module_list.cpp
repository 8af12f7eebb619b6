// The module list.
#include "gui/modules/module_list.h"

#include "client/module_selection.h"
#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/common/message_text.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/modules/engine_failure.h"
#include "gui/modules/module_edits.h"
#include "gui/splash/splash_editor.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>

namespace {

constexpr int kTextWidth = 180;
constexpr int kMarkWidth = 26;
constexpr int kDataRole = Qt::UserRole + 1;
constexpr int kSortRole = Qt::UserRole + 2;

const QString kSpaceLine = QStringLiteral("Total Module Space Consumed:  %1%");
const QString kSelectionInvalid =
    QStringLiteral("The change is kept, but the selection is not a valid update; the BIOS file "
                   "cannot be generated until it is mended:");
const QString kSpaceTip =
    QStringLiteral("%1 bytes used, %2 bytes free of %3 bytes of optional module space");

// The two marks of column 1: in the BIOS update, and out of it.
QIcon Mark(bool in) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(1.5, 1.5, 12, 12));
    if (in) {
        painter.setPen(QPen(QColor(0, 128, 0), 2.2));
        painter.drawPolyline(QPolygonF({QPointF(4, 8), QPointF(7, 11), QPointF(12, 4)}));
    }
    return QIcon(pixmap);
}

// Rows sort by text, the size column by number.
class CModuleItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant mine = data(column, kSortRole);
        if (mine.isValid())
            return mine.toLongLong() < other.data(column, kSortRole).toLongLong();
        return QTreeWidgetItem::operator<(other);
    }
};

MODULE_TYPE TypeOf(IFlexModule* module) {
    MODULE_TYPE type = CVK_MOD_TYPE_NORMAL;
    ThrowIfFailed(module->get_Type(&type));
    return type;
}

} // namespace

CModuleList::CModuleList(CCvkDoc* doc, QWidget* parent) : CTreeListCtrl(parent), doc_(doc) {
    setObjectName(QStringLiteral("moduleList"));
    SetupColumns();
    // Dependency rows sit under their module.
    setRootIsDecorated(true);
    setIndentation(16);
    setTreePosition(NameColumn);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, &CModuleList::SortBy);
}

CModuleList::~CModuleList() = default;

void CModuleList::SetupColumns() {
    setColumnCount(5);
    setHeaderLabels({QString(), QString(), QStringLiteral("Module"), QStringLiteral("Status"),
                     QStringLiteral("Size in bytes")});
    setColumnHidden(HiddenColumn, true);
    setColumnWidth(MarkColumn, kMarkWidth);
    headerItem()->setTextAlignment(MarkColumn, Qt::AlignCenter);
    for (int column = NameColumn; column <= SizeColumn; ++column)
        setColumnWidth(column, kTextWidth);
}

CModuleList::Row* CModuleList::RowOf(const QTreeWidgetItem* item) const {
    if (!item)
        return nullptr;
    return reinterpret_cast<Row*>(item->data(HiddenColumn, kDataRole).value<quintptr>());
}

IFlexModule* CModuleList::ModuleAt(const QTreeWidgetItem* item) const {
    Row* row = RowOf(item);
    return row ? row->module.get() : nullptr;
}

void CModuleList::Clear() {
    clear();
    rows_.clear();
    modules_.reset();
    flex_.reset();
}

void CModuleList::Fill(IFlex* flex) {
    Clear();
    flex_ = cvk::ComPtr<IFlex>(flex);
    if (!flex_)
        return;
    cvkgui::GuardOperation(
        [this](HRESULT) { Q_EMIT engineFailed(); },
        [this] {
            ThrowIfFailed(flex_->get_OptionalModuleList(modules_.put()));
            if (modules_) {
                ForEachInList(modules_.get(), &IFlexModuleList::GetFirst, &IFlexModuleList::GetNext,
                              [this](const cvk::ComPtr<IFlexModule>& module) {
                                  // Badges follow the logo by rule; the user never picks one.
                                  if (TypeOf(module.get()) == CVK_MOD_TYPE_BADGE)
                                      return;
                                  QTreeWidgetItem* item = AddRow(nullptr, module);
                                  AddDependencyRows(item, module.get());
                              });
            }
            if (sortColumn_ >= 0)
                sortItems(sortColumn_, sortOrder_);
            UpdateSpaceLine();
        });
}

QTreeWidgetItem* CModuleList::AddRow(QTreeWidgetItem* parent,
                                     const cvk::ComPtr<IFlexModule>& module) {
    const bool in = GetBool(module.get(), &IFlexModule::get_InUpdate);
    const bool required = GetBool(module.get(), &IFlexModule::get_Required);
    const LONG size = GetLong(module.get(), &IFlexModule::get_Size);
    auto* item = parent ? new CModuleItem(parent) : new CModuleItem(this);
    item->setIcon(MarkColumn, Mark(in));
    item->setTextAlignment(MarkColumn, Qt::AlignCenter);
    item->setText(NameColumn, GetText(module.get(), &IFlexModule::get_ShortDescription));
    item->setText(StatusColumn, required ? QStringLiteral("Required") : QString());
    item->setText(SizeColumn, QString::number(size));
    item->setData(SizeColumn, kSortRole, static_cast<qlonglong>(size));
    rows_.push_back(std::make_unique<Row>(Row{module}));
    item->setData(HiddenColumn, kDataRole,
                  QVariant::fromValue(reinterpret_cast<quintptr>(rows_.back().get())));
    return item;
}

void CModuleList::ForEachDependency(IFlexModule* module,
                                    const std::function<void(IFlexModule*)>& visit) const {
    if (!GetBool(module, &IFlexModule::get_HasDepModules))
        return;
    cvk::ComPtr<IFlexDependencyList> dependencies =
        GetObject(module, &IFlexModule::get_DepModuleList);
    LONG handle = 0;
    ThrowIfFailed(dependencies->GetFirst(&handle));
    while (!GetBool(dependencies.get(), &IFlexDependencyList::get_EOL)) {
        cvk::ComPtr<IFlexModule> needed;
        ThrowIfFailed(modules_->GetModule(handle, needed.put()));
        if (needed)
            visit(needed.get());
        ThrowIfFailed(dependencies->GetNext(&handle));
    }
}

void CModuleList::AddDependencyRows(QTreeWidgetItem* item, IFlexModule* module) {
    ForEachDependency(module, [this, item](IFlexModule* needed) {
        AddRow(item, cvk::ComPtr<IFlexModule>(needed));
    });
    item->setExpanded(true);
}

void CModuleList::Refill() {
    const int current = currentItem() ? indexOfTopLevelItem(currentItem()) : -1;
    cvk::ComPtr<IFlex> flex = flex_;
    Fill(flex.get());
    if (current >= 0 && current < topLevelItemCount())
        setCurrentItem(topLevelItem(current));
}

void CModuleList::SortBy(int column) {
    if (column != NameColumn && column != SizeColumn)
        return;
    sortOrder_ = column == sortColumn_ && sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                           : Qt::AscendingOrder;
    sortColumn_ = column;
    sortItems(sortColumn_, sortOrder_);
    header()->setSortIndicator(sortColumn_, sortOrder_);
    header()->setSortIndicatorShown(true);
}

void CModuleList::UpdateSpaceLine() {
    if (!flex_)
        return;
    const LONG max = GetLong(flex_.get(), &IFlex::get_MaxOptionalModuleSpace);
    const LONG selected = GetLong(flex_.get(), &IFlex::get_NumOptionalModuleBytesSelected);
    const LONG left = GetLong(flex_.get(), &IFlex::get_CurrentOptionalModuleSpace);
    // With no optional space at all, any selection takes all of it.
    const qint64 percent = max > 0 ? qint64(selected) * 100 / max : (selected > 0 ? 100 : 0);
    const QColor colour = left > 0 ? QColor(Qt::black) : QColor(255, 0, 0);
    Q_EMIT spaceLineChanged(kSpaceLine.arg(percent), colour,
                            kSpaceTip.arg(selected).arg(left).arg(max));
}

void CModuleList::RestoreDefaults() {
    if (!flex_)
        return;
    cvkgui::GuardOperation([this](HRESULT) { Q_EMIT engineFailed(); },
                           [this] {
                               const FlexState before = CaptureFlex(flex_.get());
                               ThrowIfFailed(flex_->RestoreHalvexDefaults());
                               RecordFlexEdit(doc_, cvkgui::edit::kRestoreModules, before,
                                              CaptureFlex(flex_.get()));
                           });
}

void CModuleList::RefreshSpaceLine() {
    cvkgui::GuardOperation([this](HRESULT) { Q_EMIT engineFailed(); },
                           [this] { UpdateSpaceLine(); });
}

QMenu* CModuleList::CreateRowMenu(QTreeWidgetItem* item) {
    IFlexModule* module = ModuleAt(item);
    if (!module)
        return nullptr;
    if (!doc_ || !doc_->hasWorkspace()) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return nullptr;
    }
    QMenu* menu = nullptr;
    const auto build = [&] {
        const bool logo = TypeOf(module) == CVK_MOD_TYPE_LOGO;
        menu = new QMenu(this);
        menu->setObjectName(QStringLiteral("moduleMenu"));
        QAction* in = menu->addAction(QStringLiteral("In BIOS File"));
        in->setObjectName(QStringLiteral("inBiosFile"));
        in->setCheckable(true);
        in->setChecked(GetBool(module, &IFlexModule::get_InUpdate));
        in->setEnabled(!GetBool(module, &IFlexModule::get_Required));
        QAction* edit = menu->addAction(QStringLiteral("Edit Module"));
        edit->setObjectName(QStringLiteral("editModule"));
        edit->setEnabled(logo && GetBool(module, &IFlexModule::get_UserUpdateable));
        QPersistentModelIndex index = indexFromItem(item);
        auto run = [this, index](MenuCommand command) {
            if (QTreeWidgetItem* target = itemFromIndex(index))
                RunCommand(target, command);
        };
        connect(in, &QAction::triggered, this, [run] { run(kInBiosFile); });
        connect(edit, &QAction::triggered, this, [run] { run(kEditModule); });
        if (logo) {
            QAction* remove = menu->addAction(QStringLiteral("Remove JPG "));
            remove->setObjectName(QStringLiteral("removeJpg"));
            remove->setEnabled(GetBool(module, &IFlexModule::get_ContainsUserData));
            connect(remove, &QAction::triggered, this, [run] { run(kRemoveJpg); });
        }
    };
    if (cvkgui::GuardOperation([](HRESULT) { ShowEngineFailure(); }, build))
        return menu;
    delete menu;
    return nullptr;
}

void CModuleList::contextMenuEvent(QContextMenuEvent* event) {
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    QTreeWidgetItem* item = keyboard ? currentItem() : itemAt(event->pos());
    if (!item)
        return;
    setCurrentItem(item);
    QMenu* menu = CreateRowMenu(item);
    if (!menu)
        return;
    // The keyboard's menu key opens the menu where the pointer is, as the platform reports it.
    menu->exec(keyboard ? QCursor::pos() : event->globalPos());
    menu->deleteLater();
}

void CModuleList::RunCommand(QTreeWidgetItem* item, MenuCommand command) {
    cvk::ComPtr<IFlexModule> module(ModuleAt(item));
    if (!module)
        return;
    cvkgui::GuardOperation(
        [](HRESULT) { ShowEngineFailure(); },
        [&] {
            // The list may be filled again by the command: the flex object is held for the record.
            const cvk::ComPtr<IFlex> flex = flex_;
            const FlexState before = flex ? CaptureFlex(flex.get()) : FlexState();
            const std::vector<std::string> problems = SelectionProblems();
            QString name;
            bool stored = false;
            switch (command) {
            case kInBiosFile:
                ToggleInBiosFile(item, module.get());
                name = cvkgui::edit::kInBiosFile;
                break;
            case kEditModule:
                stored = EditLogo(module.get());
                name = cvkgui::edit::kSplashScreen;
                break;
            case kRemoveJpg:
                RemovePicture(module.get());
                name = cvkgui::edit::kRemoveJpg;
                break;
            }
            const bool recorded =
                flex && RecordFlexEdit(doc_, name, before, CaptureFlex(flex.get()));
            // A picture read again from the same file is a change that the record cannot tell.
            if (stored && !recorded && doc_)
                doc_->setModified(true);
            UpdateSpaceLine();
            WarnOfNewProblems(problems);
        });
}

std::vector<std::string> CModuleList::SelectionProblems() const {
    std::vector<std::string> problems;
    if (flex_)
        ThrowIfFailed(cvkclient::ExplainInvalidSelection(flex_.get(), &problems));
    return problems;
}

void CModuleList::WarnOfNewProblems(const std::vector<std::string>& before) const {
    // The edit is kept; the user is told once per new fault what to take out, not again on
    // every click while mending it.
    const std::vector<std::string> after = SelectionProblems();
    if (!after.empty() && after != before)
        CMessageBox::Exclamation(cvkgui::WarningParagraphs(kSelectionInvalid, after));
}

void CModuleList::ToggleInBiosFile(QTreeWidgetItem* item, IFlexModule* module) {
    if (GetBool(module, &IFlexModule::get_InUpdate)) {
        if (!GetBool(module, &IFlexModule::get_Required)) {
            ThrowIfFailed(module->put_InUpdate(VARIANT_FALSE));
            item->setIcon(MarkColumn, Mark(false));
        }
    } else {
        ThrowIfFailed(module->put_InUpdate(VARIANT_TRUE));
        item->setIcon(MarkColumn, Mark(true));
        if (GetBool(module, &IFlexModule::get_HasDepModules)) {
            // One level only: what the dependencies need is the engine's to judge.
            ForEachDependency(module, [](IFlexModule* needed) {
                if (!GetBool(needed, &IFlexModule::get_InUpdate))
                    ThrowIfFailed(needed->put_InUpdate(VARIANT_TRUE));
            });
            Refill();
        }
    }
}

bool CModuleList::EditLogo(IFlexModule* module) {
    if (TypeOf(module) != CVK_MOD_TYPE_LOGO)
        return false;
    cvk::ComPtr<IFlexLogoModule> logo;
    ThrowIfFailed(module->QueryInterface(IFlexLogoModule::iid, logo.put_void()));
    bool stored = false;
    {
        CSplashEditor editor(logo.get(), jpegDefaultDir_, window());
        editor.exec();
        stored = editor.stored();
        if (editor.jpegDefaultDir() != jpegDefaultDir_) {
            jpegDefaultDir_ = editor.jpegDefaultDir();
            Q_EMIT jpegDefaultDirChanged(jpegDefaultDir_);
        }
    }
    Refill();
    return stored;
}

void CModuleList::RemovePicture(IFlexModule* module) {
    cvk::ComPtr<IFlexLogoModule> logo;
    ThrowIfFailed(module->QueryInterface(IFlexLogoModule::iid, logo.put_void()));
    ThrowIfFailed(logo->SetImage(ToBstr(QString()).get(), 0, 0));
    Refill();
}
