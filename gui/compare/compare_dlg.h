// CCompareBiosDlg: "Compare with BIOS File...": how another map file differs from the
// workspace's, in a tree of the kinds of change with a filter per kind; each row shows the
// setting's old and new state.
#pragma once

#include "engine/include/cvkserver.h"

#include <QDialog>

#include <array>

class CBuildComparison;
class CGuiHost;
class QCheckBox;
class QTreeWidget;
class QTreeWidgetItem;

class CCompareBiosDlg : public QDialog {
    Q_OBJECT
public:
    // The kinds of change, each a branch of the tree with a filter box; a setting changed in
    // several ways appears under each. kOther: renamed, new help text or keyword, or flagged for
    // review alone.
    enum Kind { kAdded, kRemoved, kDefault, kChoices, kMoved, kOther, kKindCount };
    // The tree's columns.
    enum Column { kSettingColumn, kChangeColumn, kReviewColumn, kOldColumn, kNewColumn };

    CCompareBiosDlg(const CBuildComparison& comparison, const QString& oldFile,
                    const QString& newFile, QWidget* parent);

    QTreeWidgetItem* branch(Kind kind) const { return branches_[kind]; }
    QCheckBox* filter(Kind kind) const { return filters_[kind]; }

private:
    void Fill(const CBuildComparison& comparison);
    void ApplyFilters();

    QTreeWidget* tree_ = nullptr;
    std::array<QTreeWidgetItem*, kKindCount> branches_{};
    std::array<QCheckBox*, kKindCount> filters_{};
};

// The Tools command: asks for a map file and shows how it differs from the workspace's own.
// A file that cannot be read as a map file gets a message; nothing is changed either way.
void CompareWithBiosFile(CGuiHost* host, IWorkspace* workspace);
