// The carry-over preview of Update Workspace to a Different BIOS File.
#include "gui/compare/update_preview_dlg.h"

#include "gui/common/strings.h"
#include "gui/compare/build_comparison.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr const char* kSectionTitles[] = {"Settings that will need review",
                                          "Settings added by the new BIOS file",
                                          "Settings removed by the new BIOS file"};

} // namespace

CUpdatePreviewDlg::CUpdatePreviewDlg(const CBuildComparison& comparison, bool resetsModules,
                                     QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(cvkgui::text::kUpdatePreviewTitle);
    setObjectName(QStringLiteral("updatePreviewDialog"));
    auto* layout = new QVBoxLayout(this);
    const cvkclient::BuildDiff& diff = comparison.diff();
    std::size_t review = 0;
    for (const cvkclient::SettingDiff& setting : diff.settings)
        review += setting.review;
    auto* summary = new QLabel(cvkgui::text::kUpdatePreviewSummary
                                   .arg(cvkgui::DescribeBuild(comparison.old().id),
                                        cvkgui::DescribeBuild(comparison.fresh().id))
                                   .arg(review)
                                   .arg(diff.Count(cvkclient::SettingChange::kAdded))
                                   .arg(diff.Count(cvkclient::SettingChange::kRemoved)),
                               this);
    summary->setObjectName(QStringLiteral("summaryLabel"));
    summary->setWordWrap(true);
    layout->addWidget(summary);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("previewTree"));
    tree_->setHeaderLabels({QStringLiteral("Setting"), QStringLiteral("Keyword")});
    tree_->setRootIsDecorated(true);
    tree_->setMinimumSize(560, 320);
    layout->addWidget(tree_);
    if (resetsModules) {
        auto* note = new QLabel(cvkgui::text::kModulesWillReset, this);
        note->setObjectName(QStringLiteral("modulesNote"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Fill(comparison);
}

QTreeWidgetItem* CUpdatePreviewDlg::section(Section section) const {
    return tree_->topLevelItem(section);
}

void CUpdatePreviewDlg::Fill(const CBuildComparison& comparison) {
    QTreeWidgetItem* sections[kSectionCount] = {};
    for (int i = 0; i < kSectionCount; ++i)
        sections[i] = new QTreeWidgetItem(tree_);
    auto add = [](QTreeWidgetItem* section, const cvkclient::CmosSetting& setting) {
        auto* row = new QTreeWidgetItem(section);
        row->setText(0, cvkgui::JoinedPath(setting.FullPath()));
        row->setText(1, cvkgui::FromUtf8(setting.keyword));
    };
    // The carry-over flags settings of the new build only, so a removed one is never flagged.
    for (const cvkclient::SettingDiff& setting : comparison.diff().settings) {
        if (setting.review && setting.fresh)
            add(sections[kReview], *setting.fresh);
        if (setting.change == cvkclient::SettingChange::kAdded)
            add(sections[kAdded], *setting.fresh);
        else if (setting.change == cvkclient::SettingChange::kRemoved)
            add(sections[kRemoved], *setting.old);
    }
    for (int i = 0; i < kSectionCount; ++i) {
        sections[i]->setText(0, QStringLiteral("%1 (%2)")
                                    .arg(QString::fromLatin1(kSectionTitles[i]))
                                    .arg(sections[i]->childCount()));
        sections[i]->setFirstColumnSpanned(true);
        sections[i]->setExpanded(true);
    }
    tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree_->header()->setStretchLastSection(false);
    tree_->resizeColumnToContents(1);
}
