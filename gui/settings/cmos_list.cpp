// The CMOS settings list.
#include "gui/settings/cmos_list.h"

#include "gui/common/engine_call.h"
#include "gui/common/icons.h"
#include "gui/common/message_box.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/settings/warning_dlg.h"
#include "gui/shell/cvk_app.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QToolTip>

namespace {

constexpr int kMarkWidth = 26;
constexpr int kTextWidth = 180;
constexpr int kBoldWeight = 700;
constexpr int kRowRole = Qt::UserRole + 1;

// A name that begins with blanks is shown indented by exactly five.
QString DisplayName(const QString& name) {
    if (!name.startsWith(QLatin1Char(' ')))
        return name;
    qsizetype blanks = 0;
    while (blanks < name.size() && name.at(blanks) == QLatin1Char(' '))
        ++blanks;
    return QString(5, QLatin1Char(' ')) + name.mid(blanks);
}

bool IsDefault(IChoiceNode* choice) {
    return GetBool(choice, &IChoiceNode::get_Default);
}

QString ChoiceText(IChoiceNode* choice) {
    const QString name = GetText(choice, &IChoiceNode::get_Name);
    return IsDefault(choice) ? name + QLatin1Char('*') : name;
}

} // namespace

CCmosList::CCmosList(CCvkDoc* doc, CCvkApp* app, QWidget* parent)
    : CTreeListCtrl(parent), doc_(doc), app_(app) {
    setObjectName(QStringLiteral("cmosList"));
    SetupColumns();
}

CCmosList::~CCmosList() {
    Clear();
}

void CCmosList::SetupColumns() {
    setColumnCount(6);
    QTreeWidgetItem* header = headerItem();
    header->setText(ItemColumn, QStringLiteral("Item"));
    header->setText(ValueColumn, QStringLiteral("Value"));
    for (int column : {HiddenColumn, AdvancedColumn, LockColumn, HideColumn})
        header->setText(column, QStringLiteral(""));
    header->setIcon(AdvancedColumn, cvkgui::icons::Advanced());
    header->setIcon(LockColumn, cvkgui::icons::Lock());
    header->setIcon(HideColumn, cvkgui::icons::Hide());
    setColumnWidth(HiddenColumn, 0);
    setColumnHidden(HiddenColumn, true);
    for (int column : {AdvancedColumn, LockColumn, HideColumn}) {
        setColumnWidth(column, kMarkWidth);
        header->setTextAlignment(column, Qt::AlignCenter);
        this->header()->setSectionResizeMode(column, QHeaderView::Fixed);
    }
    setColumnWidth(ItemColumn, kTextWidth);
    setColumnWidth(ValueColumn, kTextWidth);
}

void CCmosList::Clear() {
    QToolTip::hideText();
    clear();
    rows_.clear();
    group_.reset();
}

cvk::ComPtr<ICmos> CCmosList::Cmos() const {
    cvk::ComPtr<IWorkspace> workspace = doc_->GetWorkspace();
    if (!workspace)
        throw CEngineError(E_POINTER);
    cvk::ComPtr<ICmos> cmos = GetObject(workspace.get(), &IWorkspace::get_Cmos);
    if (!cmos)
        throw CEngineError(E_POINTER);
    return cmos;
}

CCmosList::Row* CCmosList::RowOf(const QTreeWidgetItem* item) const {
    if (!item)
        return nullptr;
    return reinterpret_cast<Row*>(item->data(HiddenColumn, kRowRole).value<quintptr>());
}

ISettingNode* CCmosList::SettingAt(const QTreeWidgetItem* item) const {
    const Row* row = RowOf(item);
    return row ? row->setting.get() : nullptr;
}

void CCmosList::Fill(IGroupNode* group) {
    Clear();
    doc_->ResetSecondPane();
    if (!group)
        return;
    group_ = cvk::ComPtr<IGroupNode>(group);
    try {
        if (!GetBool(group, &IGroupNode::get_HasSettings))
            return;
        std::vector<std::unique_ptr<Row>> rows;
        cvk::ComPtr<ISettingList> settings = GetObject(group, &IGroupNode::get_SettingList);
        if (settings) {
            ForEachInList(settings.get(), &ISettingList::GetFirst, &ISettingList::GetNext,
                          [&](const cvk::ComPtr<ISettingNode>& setting) {
                              auto row = std::make_unique<Row>();
                              row->setting = setting;
                              row->help = GetText(setting.get(), &ISettingNode::get_HelpString);
                              if (row->help.isEmpty())
                                  row->help = cvkgui::text::kHintEdit;
                              cvk::ComPtr<IChoiceList> choices =
                                  GetObject(setting.get(), &ISettingNode::get_ChoiceList);
                              if (choices)
                                  ForEachInList(choices.get(), &IChoiceList::GetFirst,
                                                &IChoiceList::GetNext,
                                                [&](const cvk::ComPtr<IChoiceNode>& choice) {
                                                    row->choices.append(ChoiceText(choice.get()));
                                                });
                              rows.push_back(std::move(row));
                          });
        }
        setUpdatesEnabled(false);
        for (auto& row : rows)
            AddRow(std::move(row));
        setUpdatesEnabled(true);
    } catch (const std::exception&) {
        setUpdatesEnabled(true);
        CMessageBox::Error(cvkgui::text::kOperationFailed);
    }
}

void CCmosList::AddRow(std::unique_ptr<Row> row) {
    ISettingNode* setting = row->setting.get();
    auto* item = new QTreeWidgetItem();
    item->setData(HiddenColumn, kRowRole,
                  QVariant::fromValue(reinterpret_cast<quintptr>(row.get())));
    item->setText(ItemColumn, DisplayName(GetText(setting, &ISettingNode::get_Name)));
    cvk::ComPtr<IChoiceNode> current = GetObject(setting, &ISettingNode::get_CurrentChoice);
    item->setText(ValueColumn, current ? ChoiceText(current.get()) : QString());
    ShowMarks(item, *row);
    if (GetBool(setting, &ISettingNode::get_NeedsReview)) {
        QFont bold = font();
        bold.setWeight(static_cast<QFont::Weight>(kBoldWeight));
        for (int column = 0; column < columnCount(); ++column)
            item->setFont(column, bold);
    }
    rows_.push_back(std::move(row));
    addTopLevelItem(item);
}

void CCmosList::ShowMarks(QTreeWidgetItem* item, const Row& row) {
    ISettingNode* setting = row.setting.get();
    item->setIcon(AdvancedColumn, GetBool(setting, &ISettingNode::get_Advanced)
                                      ? cvkgui::icons::Advanced()
                                      : cvkgui::icons::Blank());
    item->setIcon(LockColumn,
                  GetBool(setting, &ISettingNode::get_Locked) ? cvkgui::icons::Lock() : QIcon());
    item->setIcon(HideColumn,
                  GetBool(setting, &ISettingNode::get_Hidden) ? cvkgui::icons::Hide() : QIcon());
}

void CCmosList::Refill() {
    cvk::ComPtr<IGroupNode> group = group_;
    Fill(group.get());
}

bool CCmosList::ToggleLockOf(QTreeWidgetItem* item) {
    Row* row = RowOf(item);
    if (!row)
        return false;
    try {
        ISettingNode* setting = row->setting.get();
        if (GetBool(setting, &ISettingNode::get_Locked)) {
            item->setIcon(LockColumn, QIcon());
            ThrowIfFailed(setting->put_Locked(VARIANT_FALSE));
            return true;
        }
        cvk::ComPtr<ICmos> cmos = Cmos();
        if (GetLong(cmos.get(), &ICmos::get_CurNumLockSettings) + 1 >
            GetLong(cmos.get(), &ICmos::get_MaxNumLockSettings)) {
            CMessageBox::Error(cvkgui::text::kMaxLocked);
            return false;
        }
        item->setIcon(LockColumn, cvkgui::icons::Lock());
        ThrowIfFailed(setting->put_Locked(VARIANT_TRUE));
        return true;
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return false;
    }
}

bool CCmosList::ToggleHideOf(QTreeWidgetItem* item) {
    Row* row = RowOf(item);
    if (!row)
        return false;
    try {
        ISettingNode* setting = row->setting.get();
        if (GetBool(setting, &ISettingNode::get_Hidden)) {
            item->setIcon(HideColumn, QIcon());
            ThrowIfFailed(setting->put_Hidden(VARIANT_FALSE));
            return true;
        }
        cvk::ComPtr<ICmos> cmos = Cmos();
        if (GetLong(cmos.get(), &ICmos::get_CurNumHideSettings) + 1 >
            GetLong(cmos.get(), &ICmos::get_MaxNumHideSettings)) {
            CMessageBox::Error(cvkgui::text::kMaxHidden);
            return false;
        }
        item->setIcon(HideColumn, cvkgui::icons::Hide());
        ThrowIfFailed(setting->put_Hidden(VARIANT_TRUE));
        return true;
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return false;
    }
}

void CCmosList::ToggleLock() {
    ToggleLockOf(currentItem());
}

void CCmosList::ToggleHide() {
    ToggleHideOf(currentItem());
}

void CCmosList::BeginEdit() {
    BeginEditOf(currentItem());
}

void CCmosList::BeginEditOf(QTreeWidgetItem* item) {
    Row* row = RowOf(item);
    if (!row)
        return;
    doc_->SetStatusText(cvkgui::text::kHintCmosSelect);
    try {
        if (app_->warnAdvancedCmos() && GetBool(row->setting.get(), &ISettingNode::get_Advanced)) {
            CAdvancedWarningDlg warning(app_, this);
            warning.exec();
        }
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return;
    }
    EditCell(item, ValueColumn, row->choices);
}

void CCmosList::OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) {
    Row* row = RowOf(item);
    if (!row || column != ValueColumn)
        return;
    QString name = text;
    if (name.endsWith(QLatin1Char('*')))
        name.chop(1);
    try {
        ISettingNode* setting = row->setting.get();
        cvk::ComPtr<IChoiceList> choices = GetObject(setting, &ISettingNode::get_ChoiceList);
        cvk::ComPtr<IChoiceNode> chosen;
        if (choices)
            ForEachInList(choices.get(), &IChoiceList::GetFirst, &IChoiceList::GetNext,
                          [&](const cvk::ComPtr<IChoiceNode>& choice) {
                              if (!chosen && GetText(choice.get(), &IChoiceNode::get_Name) == name)
                                  chosen = choice;
                          });
        if (chosen)
            ThrowIfFailed(setting->put_CurrentChoice(chosen.get()));
        item->setText(ValueColumn, text);
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
    }
    doc_->SetStatusText(cvkgui::text::kHintCmos);
    doc_->RefreshModifiedFlag();
}

void CCmosList::RestoreDefaults() {
    try {
        ThrowIfFailed(Cmos()->RestoreHalvexDefaults());
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
    }
}

void CCmosList::MarkAllReviewed() {
    try {
        ThrowIfFailed(Cmos()->ClearAllReviewFlags());
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
    }
}

void CCmosList::ClearLockHide() {
    try {
        ThrowIfFailed(Cmos()->ClearLockHideSettings());
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
    }
}

bool CCmosList::BiosSupportsLockHide() const {
    try {
        return GetBool(Cmos().get(), &ICmos::get_BiosSupportsLockHide);
    } catch (const std::exception&) {
        return false;
    }
}

bool CCmosList::NeedsReview() const {
    try {
        return GetBool(Cmos().get(), &ICmos::get_NeedsReview);
    } catch (const std::exception&) {
        return false;
    }
}

QString CCmosList::TipAt(QTreeWidgetItem* item, int column) const {
    const Row* row = RowOf(item);
    if (!row)
        return {};
    try {
        ISettingNode* setting = row->setting.get();
        if (column == AdvancedColumn && GetBool(setting, &ISettingNode::get_Advanced))
            return QStringLiteral("Advanced Setting");
        if (column == LockColumn && GetBool(setting, &ISettingNode::get_Locked))
            return QStringLiteral("Locked Setting");
        if (column == HideColumn && GetBool(setting, &ISettingNode::get_Hidden))
            return QStringLiteral("Hidden Setting");
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return {};
    }
    return row->help;
}

void CCmosList::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = event->reason() == QContextMenuEvent::Mouse
                                ? itemAt(viewport()->mapFromGlobal(event->globalPos()))
                                : currentItem();
    Row* row = RowOf(item);
    if (!row)
        return;
    setCurrentItem(item);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("cmosRowMenu"));
    QAction* lock = menu.addAction(QStringLiteral("Lock"));
    QAction* hide = menu.addAction(QStringLiteral("Hide"));
    QAction* edit = menu.addAction(QStringLiteral("Edit Value"));
    try {
        const bool supported = BiosSupportsLockHide();
        lock->setEnabled(supported);
        hide->setEnabled(supported);
        if (supported) {
            lock->setCheckable(true);
            hide->setCheckable(true);
            lock->setChecked(GetBool(row->setting.get(), &ISettingNode::get_Locked));
            hide->setChecked(GetBool(row->setting.get(), &ISettingNode::get_Hidden));
        }
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return;
    }
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == lock) {
        ToggleLockOf(item);
        doc_->RefreshModifiedFlag();
    } else if (chosen == hide) {
        ToggleHideOf(item);
        doc_->RefreshModifiedFlag();
    } else if (chosen == edit) {
        BeginEditOf(item);
    }
}
