// CMainFrame: the main window: menus, tool bar, status bar, the workspace windows, command
// routing and enabling, dropped files, and the close sequence.
#pragma once

#include "gui/shell/commands.h"

#include <QMainWindow>

#include <array>
#include <memory>

class CCvkApp;
class CCvkDoc;
class CChildFrame;
class QColor;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CCvkApp* app);
    ~CMainFrame() override;

    QAction* action(Cmd id) const { return actions_[static_cast<int>(id)]; }
    QToolBar* toolBar() const { return toolBar_; }
    QMdiArea* mdiArea() const { return mdiArea_; }

    // Shows a new document in its own workspace window, opened maximised.
    CChildFrame* CreateChildFrame(std::unique_ptr<CCvkDoc> doc);
    QList<CChildFrame*> childFrames() const;
    CChildFrame* activeChildFrame() const;
    CCvkDoc* activeDocument() const;

    // The message pane (pane 0) and the other panes of the status bar.
    void SetMessageText(const QString& text);
    QString messageText() const;
    void SetPaneText(int pane, const QString& text);
    // A pane other than the message pane, with the text's colour and the pane's tip.
    void SetPaneText(int pane, const QString& text, const QColor& colour, const QString& tip);
    QString paneText(int pane) const;

    // Recomputes which commands are enabled, as the idle update handlers would.
    void UpdateCommandUI();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    void RebuildRecentFileMenu();
    void OnCommand(Cmd id);
    void OnEditCommand(Cmd id);
    void OnOpen();
    void OnAbout();
    void OnHelp();
    bool IsViewCommandEnabled(Cmd id) const;
    void UpdateEditCommands();
    // Undo and Redo, with the names of the edits they would take back or make again.
    void UpdateUndoCommands();

    CCvkApp* app_;
    std::array<QAction*, static_cast<int>(Cmd::kCount)> actions_{};
    QMdiArea* mdiArea_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentActions_;
    std::array<QLabel*, 5> panes_{};
    // An enabling test that failed has reported it once; the window is closing.
    bool enablingFailed_ = false;
};
