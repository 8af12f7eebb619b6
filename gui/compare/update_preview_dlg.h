// CUpdatePreviewDlg: what an update to another BIOS file will carry over, shown before it acts:
// the settings the update will flag for review, those the new build adds and those it drops.
#pragma once

#include <QDialog>

class CBuildComparison;
class QTreeWidget;
class QTreeWidgetItem;

class CUpdatePreviewDlg : public QDialog {
    Q_OBJECT
public:
    // The sections of the preview's tree, in this order.
    enum Section { kReview, kAdded, kRemoved, kSectionCount };

    // `resetsModules`: the workspace has modules, which the update resets to the new image's.
    CUpdatePreviewDlg(const CBuildComparison& comparison, bool resetsModules, QWidget* parent);

    QTreeWidgetItem* section(Section section) const;

private:
    void Fill(const CBuildComparison& comparison);

    QTreeWidget* tree_ = nullptr;
};
