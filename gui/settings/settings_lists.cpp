// The system-information, SMBIOS and thermal lists.
#include "gui/settings/settings_lists.h"

#include "client/smbios_text.h"
#include "engine/include/engine_status.h"
#include "gui/common/engine_call.h"
#include "gui/common/icons.h"
#include "gui/common/message_box.h"
#include "gui/common/message_text.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/settings/setting_edits.h"
#include "gui/settings/warning_dlg.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QToolTip>

#include <utility>

namespace {

constexpr int kTextWidth = 180;
constexpr int kMarkWidth = 26;
// Names wider than this are cut off rather than pushing the values out of sight.
constexpr int kMaxNameWidth = 420;
// The tip of a system-information row.
constexpr int kTipRole = Qt::UserRole + 1;
constexpr int kBoldWeight = 700;

} // namespace

void CDefaultMarks::Show(QTreeWidgetItem* item, const QString& key, bool prompt) const {
    if (defaults_.isEmpty())
        return;
    const auto fallback = defaults_.constFind(key);
    const bool changed = fallback == defaults_.constEnd() ||
                         fallback->value != item->text(valueColumn_) || fallback->prompt != prompt;
    for (int column : {itemColumn_, valueColumn_}) {
        QFont font = item->font(column);
        font.setWeight(static_cast<QFont::Weight>(changed ? kBoldWeight : QFont::Normal));
        item->setFont(column, font);
    }
}

bool CDefaultMarks::IsShown(const QTreeWidgetItem* item) const {
    return item && item->font(valueColumn_).weight() == kBoldWeight;
}

QString CDefaultMarks::TipOf(const QTreeWidgetItem* item, const QString& key) const {
    const auto fallback = defaults_.constFind(key);
    if (!IsShown(item) || fallback == defaults_.constEnd())
        return {};
    return fallback->value.isEmpty()
               ? QStringLiteral("Changed from the default (empty)")
               : QStringLiteral("Changed from the default: %1").arg(fallback->value);
}

CSystemInfoList::CSystemInfoList(QWidget* parent) : CTreeListCtrl(parent) {
    setObjectName(QStringLiteral("systemInfoList"));
    SetupColumns();
}

void CSystemInfoList::SetupColumns() {
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Item"), QStringLiteral("Value")});
    setColumnWidth(LabelColumn, kTextWidth);
}

void CSystemInfoList::Fill(IWorkspace* workspace) {
    clear();
    if (!workspace)
        return;
    struct Fact {
        const char* label;
        HRESULT (IWorkspace::*getter)(BSTR*);
        const char* tip;
    };
    static const Fact kFacts[] = {
        {"Cvk BIOS File", &IWorkspace::get_MapFilePath, "Corvane BIOS file used in this workspace"},
        {"BIOS ID", &IWorkspace::get_BIOSID, "BIOS ID of the BIOS used in this workspace"},
        {"BIOS Build Date", &IWorkspace::get_BIOSBuildDate,
         "Build date of the BIOS used in this workspace"},
    };
    cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
        for (const Fact& fact : kFacts) {
            auto* item = new QTreeWidgetItem(this);
            item->setText(LabelColumn, QString::fromLatin1(fact.label));
            item->setText(ValueColumn, GetText(workspace, fact.getter));
            item->setData(LabelColumn, kTipRole, QString::fromLatin1(fact.tip));
        }
    });
}

QString CSystemInfoList::TipAt(QTreeWidgetItem* item, int column) const {
    Q_UNUSED(column);
    return item ? item->data(LabelColumn, kTipRole).toString() : QString();
}

CSmbiosList::CSmbiosList(CCvkDoc* doc, QWidget* parent) : CTreeListCtrl(parent), doc_(doc) {
    setObjectName(QStringLiteral("smbiosList"));
    SetupColumns();
}

CSmbiosList::~CSmbiosList() {
    Clear();
}

void CSmbiosList::SetupColumns() {
    setColumnCount(4);
    setHeaderLabels(
        {QStringLiteral(""), QStringLiteral(""), QStringLiteral("Item"), QStringLiteral("Value")});
    headerItem()->setIcon(PromptColumn, cvkgui::icons::Prompt());
    setColumnHidden(HiddenColumn, true);
    setColumnWidth(PromptColumn, kMarkWidth);
    setColumnWidth(ItemColumn, kTextWidth);
}

void CSmbiosList::Clear() {
    QToolTip::hideText();
    clear();
}

ISmbiosNode* CSmbiosList::NodeAt(const QTreeWidgetItem* item) const {
    const Row* row = RowOf(item);
    return row ? row->node.get() : nullptr;
}

void CSmbiosList::Fill(ISmbiosList* list) {
    Clear();
    if (!list)
        return;
    cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
        ForEachInList(list, &ISmbiosList::GetFirst, &ISmbiosList::GetNext,
                      [&](const cvk::ComPtr<ISmbiosNode>& node) {
                          Row row{node, GetText(node.get(), &ISmbiosNode::get_HelpString),
                                  GetText(node.get(), &ISmbiosNode::get_IniKeyword)};
                          if (row.help.isEmpty())
                              row.help = cvkgui::text::kHintEdit;
                          auto* item = new RowItem(std::move(row));
                          addTopLevelItem(item);
                          if (GetBool(node.get(), &ISmbiosNode::get_Prompt))
                              item->setIcon(PromptColumn, cvkgui::icons::Prompt());
                          item->setText(ItemColumn,
                                        GetText(node.get(), &ISmbiosNode::get_DisplayName));
                          item->setText(ValueColumn, GetText(node.get(), &ISmbiosNode::get_Value));
                          ShowChangedMark(item);
                      });
        FitColumnToContents(ItemColumn, kTextWidth, kMaxNameWidth);
    });
}

void CSmbiosList::BeginEdit() {
    BeginEditOf(currentItem());
}

void CSmbiosList::BeginEditOf(QTreeWidgetItem* item) {
    Row* row = RowOf(item);
    if (!row)
        return;
    const bool read =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            const bool prompt = GetBool(row->node.get(), &ISmbiosNode::get_Prompt);
            const QString name = GetText(row->node.get(), &ISmbiosNode::get_DisplayName);
            doc_->SetStatusText(cvkgui::text::kSmbiosProvide.arg(
                prompt ? cvkgui::text::kSmbiosPromptString : cvkgui::text::kSmbiosString, name));
        });
    if (!read)
        return;
    EditCell(item, ValueColumn, {});
}

void CSmbiosList::OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) {
    Row* row = RowOf(item);
    if (!row || column != ValueColumn)
        return;
    doc_->SetStatusText(cvkgui::text::kHintEdit);
    // An empty text is not handed to the engine; the cell goes on showing the stored value.
    if (text.isEmpty())
        return;
    std::string name;
    if (!cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            name = GetText(row->node.get(), &ISmbiosNode::get_DisplayName).toStdString();
        }))
        return;
    const std::u16string_view value(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::size_t>(text.size()));
    // A control character is refused (line breaks pass: the INI writer makes them blanks) and
    // the cell goes on showing the stored value; characters the code page lacks are warned of.
    if (const std::string refusal = cvkclient::SmbiosControlRefusal(name, value);
        !refusal.empty()) {
        CMessageBox::Error(cvkgui::WarningParagraphs({}, {refusal}));
        return;
    }
    const std::string outside = cvkclient::SmbiosCodePageWarning(name, value);
    const bool stored =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            ISmbiosNode* node = row->node.get();
            const SmbiosState before = CaptureSmbios(node);
            const HRESULT hr = node->put_Value(ToBstr(text).get());
            const bool cut = hr == E_SMBIOS_VALUE_CUT || hr == E_SMBIOS_PROMPT_CUT;
            if (!cut)
                ThrowIfFailed(hr);
            // A value stored cut short is an edit as well.
            RecordSmbiosEdit(doc_, cvkgui::edit::kEditValue, before, CaptureSmbios(node));
            if (cut) {
                cvkgui::ShowError(cvkgui::text::kSmbiosTruncated);
                item->setText(ValueColumn, GetText(node, &ISmbiosNode::get_Value));
                return;
            }
            item->setText(ValueColumn, text);
        });
    ShowChangedMark(item);
    if (!stored)
        return;
    if (!outside.empty())
        CMessageBox::Exclamation(cvkgui::WarningParagraphs({}, {outside}));
    doc_->RefreshModifiedFlag();
}

void CSmbiosList::TogglePrompt(QTreeWidgetItem* item, bool fromMenu) {
    Row* row = RowOf(item);
    if (!row)
        return;
    ISmbiosNode* node = row->node.get();
    const bool toggled =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            const QString name = GetText(node, &ISmbiosNode::get_DisplayName);
            const QString placeholder = cvkgui::text::kSmbiosEnter.arg(name);
            const SmbiosState before = CaptureSmbios(node);
            if (!GetBool(node, &ISmbiosNode::get_Prompt)) {
                item->setIcon(PromptColumn, cvkgui::icons::Prompt());
                ThrowIfFailed(node->put_Prompt(VARIANT_TRUE));
                if (GetText(node, &ISmbiosNode::get_Value).trimmed().isEmpty()) {
                    ThrowIfFailed(node->put_Value(ToBstr(placeholder).get()));
                    item->setText(ValueColumn, placeholder);
                }
            } else {
                if (item->text(ValueColumn) == placeholder) {
                    ThrowIfFailed(node->put_Value(ToBstr(QString()).get()));
                    item->setText(ValueColumn, QString());
                }
                ThrowIfFailed(node->put_Prompt(VARIANT_FALSE));
                item->setIcon(PromptColumn, QIcon());
            }
            RecordSmbiosEdit(doc_, cvkgui::edit::kPrompt, before, CaptureSmbios(node));
        });
    ShowChangedMark(item);
    if (!toggled)
        return;
    if (fromMenu)
        doc_->RefreshModifiedFlag();
}

void CSmbiosList::ShowChangedMark(QTreeWidgetItem* item) {
    if (const Row* row = RowOf(item))
        marks_.Show(item, row->key, !item->icon(PromptColumn).isNull());
}

QString CSmbiosList::TipAt(QTreeWidgetItem* item, int column) const {
    const Row* row = RowOf(item);
    if (!row)
        return {};
    const QString changed = column == ValueColumn ? marks_.TipOf(item, row->key) : QString();
    return changed.isEmpty() ? row->help : changed;
}

void CSmbiosList::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = event->reason() == QContextMenuEvent::Mouse
                                ? itemAt(viewport()->mapFromGlobal(event->globalPos()))
                                : currentItem();
    Row* row = RowOf(item);
    if (!row)
        return;
    setCurrentItem(item);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("smbiosRowMenu"));
    QAction* prompt = menu.addAction(QStringLiteral("Prompt"));
    QAction* edit = menu.addAction(QStringLiteral("Edit Value"));
    prompt->setCheckable(true);
    const bool read =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kOperationFailed), [&] {
            prompt->setChecked(GetBool(row->node.get(), &ISmbiosNode::get_Prompt));
        });
    if (!read)
        return;
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == prompt)
        TogglePrompt(item, true);
    else if (chosen == edit)
        BeginEditOf(item);
}

CThermList::CThermList(CCvkDoc* doc, CPreferences& prefs, QWidget* parent)
    : CTreeListCtrl(parent), doc_(doc), prefs_(prefs) {
    setObjectName(QStringLiteral("thermList"));
    SetupColumns();
}

CThermList::~CThermList() {
    Clear();
}

void CThermList::SetupColumns() {
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Item"), QStringLiteral("Value")});
    setColumnWidth(ItemColumn, kTextWidth);
}

void CThermList::Clear() {
    QToolTip::hideText();
    clear();
}

IThermSetting* CThermList::SettingAt(const QTreeWidgetItem* item) const {
    const Row* row = RowOf(item);
    return row ? row->setting.get() : nullptr;
}

void CThermList::Fill(IThermGroup* group) {
    Clear();
    if (!group)
        return;
    cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        if (!GetBool(group, &IThermGroup::get_HasSettings))
            return;
        cvk::ComPtr<IThermSettingList> settings = GetObject(group, &IThermGroup::get_SettingList);
        if (!settings)
            return;
        ForEachInList(settings.get(), &IThermSettingList::GetFirst, &IThermSettingList::GetNext,
                      [&](const cvk::ComPtr<IThermSetting>& setting) {
                          Row row;
                          row.setting = setting;
                          row.help = GetText(setting.get(), &IThermSetting::get_Description);
                          if (row.help.isEmpty())
                              row.help = cvkgui::text::kHintEdit;
                          if (GetBool(setting.get(), &IThermSetting::HasChoices)) {
                              cvk::ComPtr<IThermChoiceList> choices =
                                  GetObject(setting.get(), &IThermSetting::GetChoices);
                              if (choices)
                                  ForEachInList(choices.get(), &IThermChoiceList::GetFirst,
                                                &IThermChoiceList::GetNext,
                                                [&](const cvk::ComPtr<IThermChoice>& choice) {
                                                    row.choices.append(GetVariantText(
                                                        choice.get(), &IThermChoice::get_Value));
                                                });
                          }
                          auto* item = new RowItem(std::move(row));
                          addTopLevelItem(item);
                          item->setText(ItemColumn,
                                        GetText(setting.get(), &IThermSetting::get_Name));
                          item->setText(ValueColumn,
                                        GetVariantText(setting.get(), &IThermSetting::get_Value));
                          ShowChangedMark(item);
                      });
        FitColumnToContents(ItemColumn, kTextWidth, kMaxNameWidth);
    });
}

void CThermList::BeginEdit() {
    BeginEditOf(currentItem());
}

void CThermList::BeginEditOf(QTreeWidgetItem* item) {
    Row* row = RowOf(item);
    if (!row)
        return;
    const bool ready = cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        if (prefs_.warnThermal) {
            CThermalWarningDlg warning(prefs_, this);
            warning.exec();
        }
        IThermSetting* setting = row->setting.get();
        if (row->choices.isEmpty())
            doc_->SetStatusText(cvkgui::text::kThermEnterBetween.arg(
                GetVariantText(setting, &IThermSetting::get_ValueMin),
                GetVariantText(setting, &IThermSetting::get_ValueMax)));
        else
            doc_->SetStatusText(cvkgui::text::kThermSelect);
    });
    if (!ready)
        return;
    EditCell(item, ValueColumn, row->choices);
}

void CThermList::OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) {
    Row* row = RowOf(item);
    if (!row || column != ValueColumn)
        return;
    doc_->SetStatusText(cvkgui::text::kHintEdit);
    IThermSetting* setting = row->setting.get();
    const bool stored = cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        // The engine converts the text to the setting's own type and checks it.
        const cvk::Variant value = cvk::Variant::FromText(text.toStdU16String());
        const ThermState before = CaptureTherm(setting);
        const HRESULT hr = setting->put_Value(value.get());
        RecordThermEdit(doc_, before, CaptureTherm(setting));
        if (FAILED(hr)) {
            if (row->choices.isEmpty())
                cvkgui::ShowError(cvkgui::text::kThermMustBeBetween.arg(
                    GetVariantText(setting, &IThermSetting::get_ValueMin),
                    GetVariantText(setting, &IThermSetting::get_ValueMax)));
        }
        item->setText(ValueColumn, GetVariantText(setting, &IThermSetting::get_Value));
    });
    ShowChangedMark(item);
    if (!stored)
        return;
    doc_->RefreshModifiedFlag();
}

void CThermList::ShowChangedMark(QTreeWidgetItem* item) {
    if (RowOf(item))
        marks_.Show(item, item->text(ItemColumn), false);
}

QString CThermList::TipAt(QTreeWidgetItem* item, int column) const {
    const Row* row = RowOf(item);
    if (!row)
        return {};
    const QString changed =
        column == ValueColumn ? marks_.TipOf(item, item->text(ItemColumn)) : QString();
    return changed.isEmpty() ? row->help : changed;
}
