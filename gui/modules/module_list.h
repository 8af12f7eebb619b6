// CModuleList: the optional modules of a modular BIOS in the settings view: which go into the
// BIOS update, their dependencies, the splash logo's editor, and the space line.
#pragma once

#include "engine/include/cvkserver.h"
#include "gui/common/tree_list.h"
#include "platform/com/comptr.h"

#include <QColor>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCvkDoc;
class QMenu;

class CModuleList : public CTreeListCtrl {
    Q_OBJECT
public:
    enum Column { HiddenColumn, MarkColumn, NameColumn, StatusColumn, SizeColumn };
    // The commands of the row menu.
    enum MenuCommand { kInBiosFile = 32809, kEditModule = 32810, kRemoveJpg = 32840 };

    CModuleList(CCvkDoc* doc, QWidget* parent);
    ~CModuleList() override;
    void SetupColumns();
    // Shows the modules of `flex` (none when it has no module list) and the space line.
    void Fill(IFlex* flex);
    void Clear();
    IFlexModule* ModuleAt(const QTreeWidgetItem* item) const;

    // "Restore Module Defaults"; the caller updates the views.
    void RestoreDefaults();
    // Shows the space line again (after the flash part size changed).
    void RefreshSpaceLine();

    // The row menu of `item`, set up for its module; null (after the message) without a
    // document. The caller owns the menu.
    QMenu* CreateRowMenu(QTreeWidgetItem* item);
    // Carries out a row-menu command on `item`.
    void RunCommand(QTreeWidgetItem* item, MenuCommand command);

    // The picture chooser's start folder, handed to the splash editor.
    void setJpegDefaultDir(const QString& dir) { jpegDefaultDir_ = dir; }
    QString jpegDefaultDir() const { return jpegDefaultDir_; }

    void OnEndEdit(QTreeWidgetItem*, int, const QString&) override {}

Q_SIGNALS:
    // The space line for pane 1 of the status bar: its text, colour and tip.
    void spaceLineChanged(const QString& text, const QColor& colour, const QString& tip);
    // The splash editor stored a new picture folder.
    void jpegDefaultDirChanged(const QString& dir);
    // An engine failure that the program-wide fallback handles.
    void engineFailed();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Row {
        cvk::ComPtr<IFlexModule> module;
    };
    Row* RowOf(const QTreeWidgetItem* item) const;
    void Refill();
    QTreeWidgetItem* AddRow(QTreeWidgetItem* parent, const cvk::ComPtr<IFlexModule>& module);
    // Calls `visit` with each module that `module`'s dependency list names.
    void ForEachDependency(IFlexModule* module,
                           const std::function<void(IFlexModule*)>& visit) const;
    void AddDependencyRows(QTreeWidgetItem* item, IFlexModule* module);
    void ToggleInBiosFile(QTreeWidgetItem* item, IFlexModule* module);
    // True when the editor stored into the logo module.
    bool EditLogo(IFlexModule* module);
    void RemovePicture(IFlexModule* module);
    void UpdateSpaceLine();
    // Why the selection is not a valid update (empty when it is); throws CEngineError.
    std::vector<std::string> SelectionProblems() const;
    // Warns when an edit left faults that were not there before it.
    void WarnOfNewProblems(const std::vector<std::string>& before) const;
    void SortBy(int column);

    CCvkDoc* doc_;
    cvk::ComPtr<IFlex> flex_;
    cvk::ComPtr<IFlexModuleList> modules_;
    std::vector<std::unique_ptr<Row>> rows_;
    QString jpegDefaultDir_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
