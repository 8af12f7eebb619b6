// The system-information, SMBIOS and thermal lists.
#include "gui/settings/settings_lists.h"

#include "engine/include/engine_status.h"
#include "gui/common/engine_call.h"
#include "gui/common/icons.h"
#include "gui/common/message_box.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/settings/warning_dlg.h"
#include "gui/shell/cvk_app.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QToolTip>

namespace {

constexpr int kTextWidth = 180;
constexpr int kMarkWidth = 26;
constexpr int kDataRole = Qt::UserRole + 1;

template <class Row> Row* RowFromItem(const QTreeWidgetItem* item) {
    if (!item)
        return nullptr;
    return reinterpret_cast<Row*>(item->data(0, kDataRole).value<quintptr>());
}

template <class Row> void AttachRow(QTreeWidgetItem* item, Row* row) {
    item->setData(0, kDataRole, QVariant::fromValue(reinterpret_cast<quintptr>(row)));
}

} // namespace

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
    try {
        for (const Fact& fact : kFacts) {
            auto* item = new QTreeWidgetItem(this);
            item->setText(LabelColumn, QString::fromLatin1(fact.label));
            item->setText(ValueColumn, GetText(workspace, fact.getter));
            item->setData(LabelColumn, kDataRole, QString::fromLatin1(fact.tip));
        }
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
    }
}

QString CSystemInfoList::TipAt(QTreeWidgetItem* item, int column) const {
    Q_UNUSED(column);
    return item ? item->data(LabelColumn, kDataRole).toString() : QString();
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
    rows_.clear();
}

CSmbiosList::Row* CSmbiosList::RowOf(const QTreeWidgetItem* item) const {
    return RowFromItem<Row>(item);
}

ISmbiosNode* CSmbiosList::NodeAt(const QTreeWidgetItem* item) const {
    const Row* row = RowOf(item);
    return row ? row->node.get() : nullptr;
}

void CSmbiosList::Fill(ISmbiosList* list) {
    Clear();
    if (!list)
        return;
    try {
        ForEachInList(list, &ISmbiosList::GetFirst, &ISmbiosList::GetNext,
                      [&](const cvk::ComPtr<ISmbiosNode>& node) {
                          auto row = std::make_unique<Row>();
                          row->node = node;
                          row->help = GetText(node.get(), &ISmbiosNode::get_HelpString);
                          if (row->help.isEmpty())
                              row->help = cvkgui::text::kHintEdit;
                          auto* item = new QTreeWidgetItem(this);
                          AttachRow(item, row.get());
                          if (GetBool(node.get(), &ISmbiosNode::get_Prompt))
                              item->setIcon(PromptColumn, cvkgui::icons::Prompt());
                          item->setText(ItemColumn,
                                        GetText(node.get(), &ISmbiosNode::get_DisplayName));
                          item->setText(ValueColumn, GetText(node.get(), &ISmbiosNode::get_Value));
                          rows_.push_back(std::move(row));
                      });
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
    }
}

void CSmbiosList::BeginEdit() {
    BeginEditOf(currentItem());
}

void CSmbiosList::BeginEditOf(QTreeWidgetItem* item) {
    Row* row = RowOf(item);
    if (!row)
        return;
    try {
        const bool prompt = GetBool(row->node.get(), &ISmbiosNode::get_Prompt);
        const QString name = GetText(row->node.get(), &ISmbiosNode::get_DisplayName);
        doc_->SetStatusText(cvkgui::text::kSmbiosProvide.arg(
            prompt ? cvkgui::text::kSmbiosPromptString : cvkgui::text::kSmbiosString, name));
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return;
    }
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
    const HRESULT hr = row->node->put_Value(ToBstr(text).get());
    try {
        if (hr == E_SMBIOS_VALUE_CUT || hr == E_SMBIOS_PROMPT_CUT) {
            CMessageBox::Error(cvkgui::text::kSmbiosTruncated);
            item->setText(ValueColumn, GetText(row->node.get(), &ISmbiosNode::get_Value));
        } else {
            ThrowIfFailed(hr);
            item->setText(ValueColumn, text);
        }
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return;
    }
    doc_->RefreshModifiedFlag();
}

void CSmbiosList::TogglePrompt(QTreeWidgetItem* item, bool fromMenu) {
    Row* row = RowOf(item);
    if (!row)
        return;
    ISmbiosNode* node = row->node.get();
    try {
        const QString name = GetText(node, &ISmbiosNode::get_DisplayName);
        const QString placeholder = cvkgui::text::kSmbiosEnter.arg(name);
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
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return;
    }
    if (fromMenu)
        doc_->RefreshModifiedFlag();
}

QString CSmbiosList::TipAt(QTreeWidgetItem* item, int column) const {
    Q_UNUSED(column);
    const Row* row = RowOf(item);
    return row ? row->help : QString();
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
    try {
        prompt->setChecked(GetBool(row->node.get(), &ISmbiosNode::get_Prompt));
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kOperationFailed);
        return;
    }
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == prompt)
        TogglePrompt(item, true);
    else if (chosen == edit)
        BeginEditOf(item);
}

CThermList::CThermList(CCvkDoc* doc, CCvkApp* app, QWidget* parent)
    : CTreeListCtrl(parent), doc_(doc), app_(app) {
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
    rows_.clear();
}

CThermList::Row* CThermList::RowOf(const QTreeWidgetItem* item) const {
    return RowFromItem<Row>(item);
}

IThermSetting* CThermList::SettingAt(const QTreeWidgetItem* item) const {
    const Row* row = RowOf(item);
    return row ? row->setting.get() : nullptr;
}

void CThermList::Fill(IThermGroup* group) {
    Clear();
    if (!group)
        return;
    try {
        if (!GetBool(group, &IThermGroup::get_HasSettings))
            return;
        cvk::ComPtr<IThermSettingList> settings = GetObject(group, &IThermGroup::get_SettingList);
        if (!settings)
            return;
        ForEachInList(settings.get(), &IThermSettingList::GetFirst, &IThermSettingList::GetNext,
                      [&](const cvk::ComPtr<IThermSetting>& setting) {
                          auto row = std::make_unique<Row>();
                          row->setting = setting;
                          row->help = GetText(setting.get(), &IThermSetting::get_Description);
                          if (row->help.isEmpty())
                              row->help = cvkgui::text::kHintEdit;
                          if (GetBool(setting.get(), &IThermSetting::HasChoices)) {
                              cvk::ComPtr<IThermChoiceList> choices =
                                  GetObject(setting.get(), &IThermSetting::GetChoices);
                              if (choices)
                                  ForEachInList(choices.get(), &IThermChoiceList::GetFirst,
                                                &IThermChoiceList::GetNext,
                                                [&](const cvk::ComPtr<IThermChoice>& choice) {
                                                    row->choices.append(GetVariantText(
                                                        choice.get(), &IThermChoice::get_Value));
                                                });
                          }
                          auto* item = new QTreeWidgetItem(this);
                          AttachRow(item, row.get());
                          item->setText(ItemColumn,
                                        GetText(setting.get(), &IThermSetting::get_Name));
                          item->setText(ValueColumn,
                                        GetVariantText(setting.get(), &IThermSetting::get_Value));
                          rows_.push_back(std::move(row));
                      });
    } catch (const std::exception&) {
        app_->ReportFatal();
    }
}

void CThermList::BeginEdit() {
    BeginEditOf(currentItem());
}

void CThermList::BeginEditOf(QTreeWidgetItem* item) {
    Row* row = RowOf(item);
    if (!row)
        return;
    try {
        if (app_->warnThermal()) {
            CThermalWarningDlg warning(app_, this);
            warning.exec();
        }
        IThermSetting* setting = row->setting.get();
        if (row->choices.isEmpty())
            doc_->SetStatusText(cvkgui::text::kThermEnterBetween.arg(
                GetVariantText(setting, &IThermSetting::get_ValueMin),
                GetVariantText(setting, &IThermSetting::get_ValueMax)));
        else
            doc_->SetStatusText(cvkgui::text::kThermSelect);
    } catch (const std::exception&) {
        app_->ReportFatal();
        return;
    }
    EditCell(item, ValueColumn, row->choices);
}

void CThermList::OnEndEdit(QTreeWidgetItem* item, int column, const QString& text) {
    Row* row = RowOf(item);
    if (!row || column != ValueColumn)
        return;
    doc_->SetStatusText(cvkgui::text::kHintEdit);
    IThermSetting* setting = row->setting.get();
    try {
        // The engine converts the text to the setting's own type and checks it.
        const cvk::Variant value = cvk::Variant::FromText(text.toStdU16String());
        if (FAILED(setting->put_Value(value.get()))) {
            if (row->choices.isEmpty())
                CMessageBox::Error(cvkgui::text::kThermMustBeBetween.arg(
                    GetVariantText(setting, &IThermSetting::get_ValueMin),
                    GetVariantText(setting, &IThermSetting::get_ValueMax)));
        }
        item->setText(ValueColumn, GetVariantText(setting, &IThermSetting::get_Value));
    } catch (const std::exception&) {
        app_->ReportFatal();
        return;
    }
    doc_->RefreshModifiedFlag();
}

QString CThermList::TipAt(QTreeWidgetItem* item, int column) const {
    Q_UNUSED(column);
    const Row* row = RowOf(item);
    return row ? row->help : QString();
}
