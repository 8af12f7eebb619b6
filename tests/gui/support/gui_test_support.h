// Shared helpers of the window tests: component registration, a started program with its
// message boxes and file choosers answered, modal dialogs driven, and boards written to disk.
#pragma once

#include "gui/common/message_box.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/cvk_app.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace guitest {

// Registers the engine and the module engine in the store named by CORVANE_REGISTRY.
bool RegisterComponents();

// Runs `act` on the next modal dialog once it is up.
void WhenModal(std::function<void(QWidget*)> act);
// Runs `act` on the next modal dialog whose object name is `name`, while another may still be up.
void WhenModalNamed(const QString& name, std::function<void(QWidget*)> act);

// Selects each tree item of `kind` in turn, in tree order, until `stop` says so; returns the
// item it stopped at, or null when it went through them all.
QTreeWidgetItem* SelectEachTreeItem(CWspTreeView* tree, TreeItemKind kind,
                                    const std::function<bool(QTreeWidgetItem*)>& stop);

// Selects the first item of `kind` in the workspace tree (breadth first) after which `list`
// shows at least `minRows` rows; null when none does.
QTreeWidgetItem* ShowTreeItem(CWspTreeView* tree, TreeItemKind kind, int minRows = 0,
                              const QTreeWidget* list = nullptr);

// Writes a map file made from the demo board with the given lock and hide limits.
bool WriteBoard(const QString& path, int maxLocked, int maxHidden);

// A started program: settings in a scratch folder, every message box and file chooser answered
// from queues, with what was shown kept for the test to check.
class Program {
public:
    Program();
    ~Program();

    // InitInstance with these arguments.
    bool Start(const QStringList& arguments = {});
    CCvkApp* app() const { return app_.get(); }

    // Message boxes: the texts shown, and the answers given in order (Ok or the first button
    // when none is queued).
    std::vector<CMessageBox::Request> messages;
    std::deque<QMessageBox::StandardButton> answers;
    QStringList messageTexts() const;
    // File choosers: the requests seen, and the paths answered in order (empty: cancel).
    std::vector<CFileChooser::Request> chooserRequests;
    std::deque<QString> chooserAnswers;

    QString Path(const QString& name) const { return dir_.filePath(name); }

    // New on `biosFile` through "Create A Workspace" with Browse; true when a document opened.
    bool NewWorkspace(const QString& biosFile);
    // Closes the main window, answering No to any save question, and flushes deletions.
    void Shutdown();

private:
    QTemporaryDir dir_;
    std::unique_ptr<CCvkApp> app_;
};

} // namespace guitest
