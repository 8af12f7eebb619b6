// The CMOS settings list.
#include "gui/settings/cmos_list.h"

#include "gui/common/engine_call.h"
#include "gui/common/icons.h"
#include "gui/common/message_box.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/settings/setting_edits.h"
#include "gui/settings/warning_dlg.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QScopeGuard>
#include <QStyle>
#include <QToolTip>

#include <utility>
#include <vector>

namespace {

constexpr int kMarkWidth = 26;
constexpr int kTextWidth = 180;
// Names wider than this are cut off rather than pushing the values out of sight.
constexpr int kMaxNameWidth = 420;
constexpr int kBoldWeight = 700;
// Bits past the 256 bytes of the CMOS image address nothing.
constexpr LONG kImageBits = 256 * 8;

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

CCmosList::CCmosList(CCvkDoc* doc, CPreferences& prefs, QWidget* parent)
    : CTreeListCtrl(parent), doc_(doc), prefs_(prefs) {
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
    cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
        if (!GetBool(group, &IGroupNode::get_HasSettings))
            return;
        std::vector<Row> rows;
        cvk::ComPtr<ISettingList> settings = GetObject(group, &IGroupNode::get_SettingList);
        if (settings) {
            ForEachInList(settings.get(), &ISettingList::GetFirst, &ISettingList::GetNext,
                          [&](const cvk::ComPtr<ISettingNode>& setting) {
                              Row row;
                              row.setting = setting;
                              row.help = GetText(setting.get(), &ISettingNode::get_HelpString);
                              if (row.help.isEmpty())
                                  row.help = cvkgui::text::kHintEdit;
                              cvk::ComPtr<IChoiceList> choices =
                                  GetObject(setting.get(), &ISettingNode::get_ChoiceList);
                              if (choices)
                                  ForEachInList(choices.get(), &IChoiceList::GetFirst,
                                                &IChoiceList::GetNext,
                                                [&](const cvk::ComPtr<IChoiceNode>& choice) {
                                                    row.choices.append(ChoiceText(choice.get()));
                                                });
                              rows.push_back(std::move(row));
                          });
        }
        setUpdatesEnabled(false);
        const auto updatesBack = qScopeGuard([this] { setUpdatesEnabled(true); });
        for (Row& row : rows)
            AddRow(std::move(row));
        FitColumnToContents(ItemColumn, kTextWidth, kMaxNameWidth);
    });
}

void CCmosList::AddRow(Row row) {
    cvk::ComPtr<ISettingNode> setting = row.setting;
    auto* item = new RowItem(std::move(row));
    item->setText(ItemColumn, DisplayName(GetText(setting.get(), &ISettingNode::get_Name)));
    ShowValue(item, *RowOf(item));
    addTopLevelItem(item);
    ShowMarks(item, *RowOf(item));
    if (GetBool(setting.get(), &ISettingNode::get_NeedsReview)) {
        QFont bold = font();
        bold.setWeight(static_cast<QFont::Weight>(kBoldWeight));
        for (int column = 0; column < columnCount(); ++column)
            item->setFont(column, bold);
    }
}

void CCmosList::ShowValue(QTreeWidgetItem* item, Row& row) {
    ISettingNode* setting = row.setting.get();
    const cvk::ComPtr<IChoiceNode> current = CurrentChoiceOf(setting);
    // A setting without a place in the image is not written, with or without a choice.
    row.leftOutOfIni = !current && GetLong(setting, &ISettingNode::get_BitOffset) != 0;
    QFont font = item->font(ValueColumn);
    font.setItalic(row.leftOutOfIni);
    item->setFont(ValueColumn, font);
    if (row.leftOutOfIni) {
        item->setText(ValueColumn, cvkgui::text::kNoCurrentChoiceValue);
        item->setIcon(ValueColumn, style()->standardIcon(QStyle::SP_MessageBoxCritical));
        return;
    }
    item->setText(ValueColumn, current ? ChoiceText(current.get()) : QString());
    item->setIcon(ValueColumn, QIcon());
}

bool CCmosList::IsLeftOutOfIni(const QTreeWidgetItem* item) const {
    const Row* row = RowOf(item);
    return row && row->leftOutOfIni;
}

void CCmosList::WarnOutsideImage(ISettingNode* setting) {
    const LONG offset = GetLong(setting, &ISettingNode::get_BitOffset);
    if (offset < kImageBits)
        return;
    CMessageBox::Exclamation(cvkgui::text::kOutsideCmosImage.arg(
        GetText(setting, &ISettingNode::get_Name).trimmed(), QString::number(offset)));
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

void CCmosList::ToggleMark(QTreeWidgetItem* item, HRESULT (ISettingNode::*get)(VARIANT_BOOL*),
                           HRESULT (ISettingNode::*put)(VARIANT_BOOL),
                           HRESULT (ICmos::*count)(LONG*), HRESULT (ICmos::*limit)(LONG*),
                           const QString& limitMessage, const QString& markName,
                           const QString& unmarkName) {
    Row* row = RowOf(item);
    if (!row)
        return;
    cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
        ISettingNode* setting = row->setting.get();
        const bool marked = GetBool(setting, get);
        if (!marked) {
            cvk::ComPtr<ICmos> cmos = Cmos();
            if (GetLong(cmos.get(), count) + 1 > GetLong(cmos.get(), limit)) {
                cvkgui::ShowError(limitMessage);
                return;
            }
        }
        const CmosState before = CaptureSetting(setting);
        ThrowIfFailed((setting->*put)(ToVariantBool(!marked)));
        RecordCmosEdit(doc_, marked ? unmarkName : markName, before, CaptureSetting(setting));
        ShowMarks(item, *row);
    });
}

void CCmosList::ToggleLockOf(QTreeWidgetItem* item) {
    ToggleMark(item, &ISettingNode::get_Locked, &ISettingNode::put_Locked,
               &ICmos::get_CurNumLockSettings, &ICmos::get_MaxNumLockSettings,
               cvkgui::text::kMaxLocked, cvkgui::edit::kLock, cvkgui::edit::kUnlock);
}

void CCmosList::ToggleHideOf(QTreeWidgetItem* item) {
    ToggleMark(item, &ISettingNode::get_Hidden, &ISettingNode::put_Hidden,
               &ICmos::get_CurNumHideSettings, &ICmos::get_MaxNumHideSettings,
               cvkgui::text::kMaxHidden, cvkgui::edit::kHide, cvkgui::edit::kUnhide);
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
    const bool warned =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            if (prefs_.warnAdvancedCmos &&
                GetBool(row->setting.get(), &ISettingNode::get_Advanced)) {
                CAdvancedWarningDlg warning(prefs_, this);
                warning.exec();
            }
        });
    if (!warned)
        return;
    EditCell(item, ValueColumn, row->choices);
}

void CCmosList::OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) {
    Row* row = RowOf(item);
    if (!row || column != ValueColumn)
        return;
    QString name = text;
    if (name.endsWith(QLatin1Char('*')))
        name.chop(1);
    cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
        ISettingNode* setting = row->setting.get();
        cvk::ComPtr<IChoiceList> choices = GetObject(setting, &ISettingNode::get_ChoiceList);
        cvk::ComPtr<IChoiceNode> chosen;
        if (choices)
            ForEachInList(choices.get(), &IChoiceList::GetFirst, &IChoiceList::GetNext,
                          [&](const cvk::ComPtr<IChoiceNode>& choice) {
                              if (!chosen && GetText(choice.get(), &IChoiceNode::get_Name) == name)
                                  chosen = choice;
                          });
        if (chosen) {
            const CmosState before = CaptureSetting(setting);
            ThrowIfFailed(setting->put_CurrentChoice(chosen.get()));
            RecordCmosEdit(doc_, cvkgui::edit::kEditValue, before, CaptureSetting(setting));
        }
        ShowValue(item, *row);
        if (chosen)
            WarnOutsideImage(setting);
    });
    doc_->SetStatusText(cvkgui::text::kHintCmos);
    doc_->RefreshModifiedFlag();
}

bool CCmosList::RunOnCmos(HRESULT (ICmos::*command)(), const QString& name) {
    return cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
        cvk::ComPtr<ICmos> cmos = Cmos();
        const CmosState before = CaptureCmos(cmos.get());
        ThrowIfFailed((cmos.get()->*command)());
        RecordCmosEdit(doc_, name, before, CaptureCmos(cmos.get()));
    });
}

bool CCmosList::RestoreDefaults() {
    return RunOnCmos(&ICmos::RestoreHalvexDefaults, cvkgui::edit::kResetCmos);
}

bool CCmosList::MarkAllReviewed() {
    return RunOnCmos(&ICmos::ClearAllReviewFlags, cvkgui::edit::kMarkReviewed);
}

bool CCmosList::ClearLockHide() {
    return RunOnCmos(&ICmos::ClearLockHideSettings, cvkgui::edit::kClearLockHide);
}

bool CCmosList::BiosSupportsLockHide() const {
    bool supported = false;
    cvkgui::GuardOperation(cvkgui::Quietly(), [&] {
        supported = GetBool(Cmos().get(), &ICmos::get_BiosSupportsLockHide);
    });
    return supported;
}

bool CCmosList::NeedsReview() const {
    bool needed = false;
    cvkgui::GuardOperation(cvkgui::Quietly(),
                           [&] { needed = GetBool(Cmos().get(), &ICmos::get_NeedsReview); });
    return needed;
}

QString CCmosList::TipAt(QTreeWidgetItem* item, int column) const {
    const Row* row = RowOf(item);
    if (!row)
        return {};
    QString tip = row->help;
    if (row->leftOutOfIni && (column == ItemColumn || column == ValueColumn))
        return cvkgui::text::kNoCurrentChoice;
    const bool read =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            ISettingNode* setting = row->setting.get();
            if (column == AdvancedColumn && GetBool(setting, &ISettingNode::get_Advanced))
                tip = QStringLiteral("Advanced Setting");
            else if (column == LockColumn && GetBool(setting, &ISettingNode::get_Locked))
                tip = QStringLiteral("Locked Setting");
            else if (column == HideColumn && GetBool(setting, &ISettingNode::get_Hidden))
                tip = QStringLiteral("Hidden Setting");
        });
    return read ? tip : QString();
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
    const bool read =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            const bool supported = BiosSupportsLockHide();
            lock->setEnabled(supported);
            hide->setEnabled(supported);
            if (supported) {
                lock->setCheckable(true);
                hide->setCheckable(true);
                lock->setChecked(GetBool(row->setting.get(), &ISettingNode::get_Locked));
                hide->setChecked(GetBool(row->setting.get(), &ISettingNode::get_Hidden));
            }
        });
    if (!read)
        return;
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
