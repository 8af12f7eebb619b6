// The compare view: the client library's comparison of two builds as a filtered tree.
#include "gui/compare/compare_dlg.h"

#include "gui/common/gui_host.h"
#include "gui/common/message_box.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"
#include "gui/common/wait_cursor.h"
#include "gui/compare/build_comparison.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

using cvkclient::CmosSetting;
using cvkclient::SettingDiff;

struct KindInfo {
    const char* objectName;
    const char* title;
};

constexpr KindInfo kKinds[] = {
    {"filterAdded", "Added"},
    {"filterRemoved", "Removed"},
    {"filterDefault", "Default changed"},
    {"filterChoices", "Choices changed"},
    {"filterMoved", "Moved"},
    {"filterOther", "Other changes"},
};

bool Has(const SettingDiff& diff, const char* what) {
    return std::find(diff.what.begin(), diff.what.end(), what) != diff.what.end();
}

// The kinds under which a setting's change is listed.
std::vector<CCompareBiosDlg::Kind> KindsOf(const SettingDiff& diff) {
    using Kind = CCompareBiosDlg::Kind;
    if (diff.change == cvkclient::SettingChange::kAdded)
        return {Kind::kAdded};
    if (diff.change == cvkclient::SettingChange::kRemoved)
        return {Kind::kRemoved};
    std::vector<Kind> kinds;
    if (Has(diff, "default"))
        kinds.push_back(Kind::kDefault);
    if (Has(diff, "choices"))
        kinds.push_back(Kind::kChoices);
    if (Has(diff, "moved"))
        kinds.push_back(Kind::kMoved);
    if (Has(diff, "name") || Has(diff, "help") || Has(diff, "keyword") || kinds.empty())
        kinds.push_back(Kind::kOther);
    return kinds;
}

QString DefaultOf(const CmosSetting* setting) {
    return setting && setting->Default() ? cvkgui::FromUtf8(*setting->Default()) : QString();
}

QString ChoicesOf(const CmosSetting& setting) {
    QStringList choices;
    for (const std::string& choice : setting.choices)
        choices.append(cvkgui::FromUtf8(choice));
    return choices.join(QStringLiteral(", "));
}

// The old and new state of what the row's kind is about.
std::pair<QString, QString> OldAndNew(const SettingDiff& diff, CCompareBiosDlg::Kind kind) {
    switch (kind) {
    case CCompareBiosDlg::kAdded:
        return {QString(), DefaultOf(diff.fresh)};
    case CCompareBiosDlg::kRemoved:
        return {DefaultOf(diff.old), QString()};
    case CCompareBiosDlg::kDefault:
        return {DefaultOf(diff.old), DefaultOf(diff.fresh)};
    case CCompareBiosDlg::kChoices:
        return {ChoicesOf(*diff.old), ChoicesOf(*diff.fresh)};
    case CCompareBiosDlg::kMoved:
        return {cvkgui::JoinedPath(diff.old->groups), cvkgui::JoinedPath(diff.fresh->groups)};
    default:
        break;
    }
    QStringList before, after;
    auto both = [&](bool changed, const std::string& a, const std::string& b) {
        if (!changed)
            return;
        before.append(cvkgui::FromUtf8(a));
        after.append(cvkgui::FromUtf8(b));
    };
    both(Has(diff, "name"), diff.old->name, diff.fresh->name);
    both(Has(diff, "keyword"), diff.old->keyword, diff.fresh->keyword);
    both(Has(diff, "help"), diff.old->help, diff.fresh->help);
    return {before.join(QStringLiteral("; ")), after.join(QStringLiteral("; "))};
}

QString WhatOf(const SettingDiff& diff) {
    if (diff.change == cvkclient::SettingChange::kAdded)
        return QStringLiteral("added");
    if (diff.change == cvkclient::SettingChange::kRemoved)
        return QStringLiteral("removed");
    if (diff.change == cvkclient::SettingChange::kUnchanged)
        return QStringLiteral("to review");
    QStringList what;
    for (const std::string& word : diff.what)
        what.append(cvkgui::FromUtf8(word));
    return what.join(QStringLiteral(", "));
}

QLabel* BuildLabel(const QString& which, const QString& file, const cvkclient::Identification& id,
                   QWidget* parent) {
    auto* label = new QLabel(
        QStringLiteral("%1: %2 - %3").arg(which, file, cvkgui::DescribeBuild(id)), parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

CCompareBiosDlg::CCompareBiosDlg(const CBuildComparison& comparison, const QString& oldFile,
                                 const QString& newFile, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(cvkgui::text::kCompareTitle);
    setObjectName(QStringLiteral("compareBiosDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        BuildLabel(QStringLiteral("Workspace BIOS file"), oldFile, comparison.old().id, this));
    layout->addWidget(
        BuildLabel(QStringLiteral("Compared BIOS file"), newFile, comparison.fresh().id, this));
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("Show:"), this));
    for (int kind = 0; kind < kKindCount; ++kind) {
        filters_[kind] = new QCheckBox(this);
        filters_[kind]->setObjectName(QString::fromLatin1(kKinds[kind].objectName));
        filters_[kind]->setChecked(true);
        connect(filters_[kind], &QCheckBox::toggled, this, &CCompareBiosDlg::ApplyFilters);
        filters->addWidget(filters_[kind]);
    }
    filters->addStretch();
    layout->addLayout(filters);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("compareTree"));
    tree_->setHeaderLabels({QStringLiteral("Setting"), QStringLiteral("Change"),
                            QStringLiteral("Review"), QStringLiteral("Old"),
                            QStringLiteral("New")});
    tree_->setMinimumSize(1040, 420);
    layout->addWidget(tree_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Fill(comparison);
}

void CCompareBiosDlg::Fill(const CBuildComparison& comparison) {
    for (int kind = 0; kind < kKindCount; ++kind) {
        branches_[kind] = new QTreeWidgetItem(tree_);
        branches_[kind]->setFirstColumnSpanned(true);
    }
    for (const SettingDiff& diff : comparison.diff().settings) {
        const CmosSetting& shown = diff.fresh ? *diff.fresh : *diff.old;
        for (Kind kind : KindsOf(diff)) {
            auto* row = new QTreeWidgetItem(branches_[kind]);
            const auto [before, after] = OldAndNew(diff, kind);
            row->setText(kSettingColumn, cvkgui::DescribeSetting(shown));
            row->setText(kChangeColumn, WhatOf(diff));
            row->setText(kOldColumn, before);
            row->setText(kNewColumn, after);
            row->setText(kReviewColumn, diff.review ? QStringLiteral("yes") : QString());
            row->setToolTip(kOldColumn, before);
            row->setToolTip(kNewColumn, after);
        }
    }
    for (int kind = 0; kind < kKindCount; ++kind) {
        const QString title = QStringLiteral("%1 (%2)")
                                  .arg(QString::fromLatin1(kKinds[kind].title))
                                  .arg(branches_[kind]->childCount());
        branches_[kind]->setText(kSettingColumn, title);
        branches_[kind]->setExpanded(true);
        filters_[kind]->setText(title);
    }
    tree_->resizeColumnToContents(kSettingColumn);
    tree_->header()->resizeSection(kChangeColumn, 110);
    tree_->header()->resizeSection(kReviewColumn, 60);
    tree_->header()->resizeSection(kOldColumn, 160);
    tree_->header()->resizeSection(kNewColumn, 160);
}

void CCompareBiosDlg::ApplyFilters() {
    for (int kind = 0; kind < kKindCount; ++kind)
        branches_[kind]->setHidden(!filters_[kind]->isChecked());
}

void CompareWithBiosFile(CGuiHost* host, IWorkspace* workspace) {
    QString oldFile;
    if (!cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
            if (!workspace)
                throw CEngineError(E_POINTER);
            oldFile = GetText(workspace, &IWorkspace::get_MapFilePath);
        }))
        return;
    CFileChooser::Request request;
    request.mode = CFileChooser::Mode::Open;
    request.start = host->preferences().biosDefaultDir;
    request.filter = cvkgui::text::kBiosFilter;
    request.defaultSuffix = QStringLiteral("cvk");
    const QString newFile = CFileChooser::Choose(host->dialogParent(), request);
    if (newFile.isEmpty())
        return;
    std::unique_ptr<CBuildComparison> comparison;
    const bool read =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kCompareFailed), [&] {
            CWaitCursor wait;
            comparison = CBuildComparison::OfMapFiles(oldFile, newFile);
        });
    if (!read)
        return;
    CCompareBiosDlg dialog(*comparison, oldFile, newFile, host->dialogParent());
    dialog.exec();
}
