// The list of settings from all groups.
#include "gui/settings/found_list.h"

#include "client/workspace_changes.h"

#include <QKeyEvent>
#include <QScopeGuard>

#include <utility>

namespace {

constexpr int kTextWidth = 180;
constexpr int kMinWidth = 80;
constexpr int kMaxNameWidth = 320;
constexpr int kMaxValueWidth = 220;
constexpr int kBoldWeight = 700;

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The current choice as the CMOS list shows it: "*" beside the default.
QString ValueText(const cvkclient::CmosSetting& setting) {
    const std::string* current = setting.Current();
    if (!current)
        return {};
    const QString text = Text(*current);
    return setting.currentChoice == setting.defaultChoice ? text + QLatin1Char('*') : text;
}

// Why a setting is in the changed list, in words.
QString ChangeNote(const cvkclient::CmosSetting& setting) {
    QStringList why;
    if (setting.currentChoice != setting.defaultChoice) {
        const std::string* fallback = setting.Default();
        why.append(fallback ? QStringLiteral("changed from %1").arg(Text(*fallback))
                            : QStringLiteral("no default choice"));
    }
    if (setting.locked)
        why.append(QStringLiteral("locked"));
    if (setting.hidden)
        why.append(QStringLiteral("hidden"));
    if (setting.needsReview)
        why.append(QStringLiteral("needs review"));
    return why.join(QStringLiteral(", "));
}

QString FieldsNote(const std::vector<std::string>& fields) {
    QStringList names;
    for (const std::string& field : fields)
        names.append(Text(field));
    return names.join(QStringLiteral(", "));
}

} // namespace

CFoundList::CFoundList(QWidget* parent) : CTreeListCtrl(parent) {
    setObjectName(QStringLiteral("foundList"));
    setColumnCount(4);
    setColumnWidth(ItemColumn, kTextWidth);
    setColumnWidth(ValueColumn, kTextWidth);
    setColumnWidth(NoteColumn, kTextWidth);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { ChooseRow(item); });
}

void CFoundList::SetHeader(const QString& note) {
    setHeaderLabels(
        {QStringLiteral("Item"), QStringLiteral("Value"), note, QStringLiteral("Group")});
}

QTreeWidgetItem* CFoundList::AddRow(CSettingPlace place, const QStringList& texts) {
    auto* item = new RowItem(std::move(place));
    for (int column = 0; column < texts.size(); ++column)
        item->setText(column, texts.at(column));
    addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* CFoundList::AddCmos(CSettingsIndex& index, const cvkclient::CmosSetting& setting,
                                     const QString& note) {
    QTreeWidgetItem* item =
        AddRow(index.PlaceOf(setting), {Text(setting.name).trimmed(), ValueText(setting), note,
                                        index.GroupTextOf(setting)});
    // Bold, as in the CMOS list, for a setting that needs review.
    if (setting.needsReview) {
        QFont bold = font();
        bold.setWeight(static_cast<QFont::Weight>(kBoldWeight));
        for (int column = 0; column < columnCount(); ++column)
            item->setFont(column, bold);
    }
    return item;
}

void CFoundList::ShowChanged(CSettingsIndex& index, bool reviewOnly) {
    clear();
    SetHeader(QStringLiteral("Changes"));
    const cvkclient::WorkspaceSnapshot& snapshot = index.Snapshot();
    if (!snapshot.cmos)
        return;
    setUpdatesEnabled(false);
    const auto updatesBack = qScopeGuard([this] { setUpdatesEnabled(true); });
    for (const cvkclient::CmosSetting& setting : snapshot.cmos->settings) {
        const bool shown = reviewOnly ? setting.needsReview : cvkclient::IsChanged(setting);
        if (shown)
            AddCmos(index, setting, ChangeNote(setting));
    }
    FitColumns();
}

void CFoundList::FitColumns() {
    // Narrow columns leave the group path room to be read.
    FitColumnToContents(ItemColumn, kMinWidth, kMaxNameWidth);
    FitColumnToContents(ValueColumn, kMinWidth, kMaxValueWidth);
    FitColumnToContents(NoteColumn, kMinWidth, kMaxValueWidth);
}

void CFoundList::ShowFound(CSettingsIndex& index,
                           const std::vector<cvkclient::FoundSetting>& found) {
    clear();
    SetHeader(QStringLiteral("Found In"));
    setUpdatesEnabled(false);
    const auto updatesBack = qScopeGuard([this] { setUpdatesEnabled(true); });
    int shown = 0;
    for (const cvkclient::FoundSetting& hit : found) {
        if (shown++ == kMostFound)
            break;
        const QString note = FieldsNote(hit.fields);
        if (hit.cmos)
            AddCmos(index, *hit.cmos, note);
        else if (hit.thermal)
            AddRow(index.PlaceOf(*hit.thermal),
                   {Text(hit.thermal->path.back()), Text(hit.thermal->value), note,
                    index.GroupTextOf(*hit.thermal)});
        else if (hit.smbios)
            AddRow(index.PlaceOf(*hit.smbios), {Text(hit.smbios->name), Text(hit.smbios->value),
                                                note, QStringLiteral("SMBIOS")});
    }
    FitColumns();
    if (topLevelItemCount() > 0)
        setCurrentItem(topLevelItem(0));
}

void CFoundList::ChooseRow(QTreeWidgetItem* item) {
    if (const CSettingPlace* place = PlaceAt(item))
        Q_EMIT placeChosen(*place);
}

QString CFoundList::TipAt(QTreeWidgetItem* item, int column) const {
    return item ? item->text(column) : QString();
}

void CFoundList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ChooseRow(currentItem());
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT escapePressed();
        return;
    }
    CTreeListCtrl::keyPressEvent(event);
}
