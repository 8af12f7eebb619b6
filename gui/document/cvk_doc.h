// CCvkDoc: the GUI's handle on the one open engine workspace: new, open, save, close, the
// modified flag, the current tree item, and the workspace-wide changes.
#pragma once

#include "engine/include/cvkserver.h"
#include "gui/common/gui_host.h"
#include "gui/document/edit_history.h"
#include "platform/com/comptr.h"

#include <QObject>
#include <QString>

#include <functional>

struct CTreeItemData;

class CCvkDoc : public QObject {
    Q_OBJECT
public:
    // View update hints.
    static constexpr int kHintShowCurrent = 0; // show the current item again
    static constexpr int kHintStructure = 1;   // the workspace's structure changed
    static constexpr int kHintFocusView = 2;   // keyboard focus to the settings view
    static constexpr int kHintFocusTree = 3;   // keyboard focus to the tree
    static constexpr int kHintRefresh = 4;     // values changed: show them, keep the selection

    explicit CCvkDoc(CGuiHost* host);
    ~CCvkDoc() override;

    // Creates a workspace through "Create A Workspace"; false when none was created.
    bool OnNewDocument();
    // Opens a workspace file; false (after the message) when it cannot be opened.
    bool OnOpenDocument(const QString& path);
    // Saves to `path`; false (after the message) on failure.
    bool OnSaveDocument(const QString& path);
    // Saves to `path`, asking for a name first when it is empty. `replace` makes the saved
    // path the document's path.
    bool DoSave(const QString& path, bool replace = true);
    // Save: asks for a name when the workspace has no file yet, or its file is missing or
    // read-only.
    bool DoFileSave();
    // The save-changes question when modified; false when the user cancelled or the save failed.
    bool SaveModified();
    // Closes the workspace and the document's window.
    void OnCloseDocument();

    // Commands.
    void OnFileSave() { DoFileSave(); }
    void OnFileSaveAs() { DoSave(QString()); }
    void OnFileClose();
    void OnAddRemoveComponents();
    void OnUpdateBios();
    // Undo and redo of the last edit; the views then show what the engine holds.
    void OnEditUndo();
    void OnEditRedo();
    // The edits of the open workspace: every edit of the views is recorded here.
    CEditHistory* history() { return &history_; }

    cvk::ComPtr<IWorkspace> GetWorkspace() const { return workspace_; }
    // The engine's server; CEngineError (E_POINTER) when there is none.
    cvk::ComPtr<IServer> GetServer() const { return host_->Server(); }
    CGuiHost* host() const { return host_; }
    bool hasWorkspace() const { return static_cast<bool>(workspace_); }
    CTreeItemData* currentItem() const { return currentItem_; }
    void SetCurrentItem(CTreeItemData* item);
    // Forgets the current item without updating the views (the tree is about to be emptied).
    void ClearCurrentItem() { currentItem_ = nullptr; }
    // Reads the engine's save flag unless the document is already modified. Once the history
    // has moved the engine's flag says only that something changed since the save, so the
    // history decides.
    void RefreshModifiedFlag();
    // The views' status-bar texts, passed on to the main window through the signals below.
    void SetStatusText(const QString& text);
    void ResetSecondPane();

    bool isModified() const { return modified_; }
    // Sets the flag for a change the history does not record (or for a save): undoing can no
    // longer return to the saved state.
    void setModified(bool modified);
    QString title() const { return title_; }
    QString pathName() const { return pathName_; }
    QString workspacePath() const { return workspacePath_; }
    QString biosFilePath() const { return biosFilePath_; }

    void UpdateAllViews(QObject* sender, int hint);

Q_SIGNALS:
    void viewsUpdate(QObject* sender, int hint);
    void titleChanged(const QString& title);
    void modifiedChanged(bool modified);
    void closed();
    // The message pane's text and the text of another status-bar pane.
    void statusTextChanged(const QString& text);
    void paneTextChanged(int pane, const QString& text);

private:
    void SetPathName(const QString& path, bool addToRecentList);
    void SetTitle(const QString& title);
    QString ChooseSavePath() const;
    // The carry-over preview of an update to `newFile`; true when the user goes on. Says
    // whether the workspace has modules (the update resets them).
    bool ConfirmCarryOver(const QString& newFile, bool* hasModules);
    void ReleaseWorkspace();
    // Creates or opens the workspace through `call`; on failure shows `wrongFileMessage` for the
    // status `wrongFile` and "Failed to open workspace" for any other, and returns false.
    bool TakeWorkspace(HRESULT wrongFile, const QString& wrongFileMessage,
                       const std::function<HRESULT(IServer*, IWorkspace**)>& call);
    // Runs an engine call with the wait cursor.
    template <class Call> void WithWaitCursor(Call&& call);
    void SetModifiedFlag(bool modified);
    // The engine's save flag when it can be trusted; false when reading it failed.
    bool ReadEngineModifiedFlag();
    void StepHistory(bool undo);
    // The workspace changed as a whole: what was recorded no longer applies.
    void ForgetHistory();

    CGuiHost* host_;
    CTreeItemData* currentItem_ = nullptr;
    cvk::ComPtr<IWorkspace> workspace_;
    QString workspacePath_;
    QString biosFilePath_;
    QString title_;
    QString pathName_;
    bool modified_ = false;
    bool closed_ = false;
    CEditHistory history_;
    // The engine's save flag tells the document's state: nothing was undone or redone since
    // the workspace was opened, created or saved.
    bool engineFlagTrusted_ = true;
};
