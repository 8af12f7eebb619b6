// The workspace document: its operations and their failure messages.
#include "gui/document/cvk_doc.h"

#include "client/workspace_changes.h"
#include "engine/include/engine_status.h"
#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"
#include "gui/common/wait_cursor.h"
#include "gui/compare/build_comparison.h"
#include "gui/compare/update_preview_dlg.h"
#include "gui/document/workspace_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>

#include <functional>
#include <memory>
#include <utility>

namespace {

QString JoinFolder(const QString& folder, const QString& name) {
    if (folder.isEmpty())
        return name;
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The components of `mask` by the names the components dialog gives them.
QStringList ComponentNames(LONG mask) {
    static const struct {
        LONG bit;
        const char* name;
    } kNames[] = {{SUBSYS_CMOS, "CMOS"},
                  {SUBSYS_SMBIOS, "SMBIOS"},
                  {SUBSYS_ENVCTL, "Halvex(R) Thermaline"},
                  {SUBSYS_FLEX, "Flex Modules"}};
    QStringList names;
    for (const auto& entry : kNames)
        if (mask & entry.bit)
            names << QString::fromLatin1(entry.name);
    return names;
}

// Asks before components that hold the user's edits are taken out with them; true to go on.
// When the edits cannot be read the question is not asked: it is an aid, not a gate.
bool ConfirmDroppedEdits(IWorkspace* workspace, LONG dropped) {
    LONG edited = 0;
    if (FAILED(cvkclient::ReadComponentsWithEdits(workspace, &edited)))
        return true;
    const QStringList names = ComponentNames(edited & dropped);
    if (names.isEmpty())
        return true;
    const QString text = cvkgui::text::kDropEditedComponents.arg(names.join(QStringLiteral(", ")));
    return CMessageBox::Show(QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

} // namespace

CCvkDoc::CCvkDoc(CGuiHost* host) : host_(host) {
    connect(&history_, &CEditHistory::changed, this, [this] {
        engineFlagTrusted_ = false;
        SetModifiedFlag(!history_.atSavedState());
    });
}

CCvkDoc::~CCvkDoc() {
    ReleaseWorkspace();
}

void CCvkDoc::ReleaseWorkspace() {
    currentItem_ = nullptr;
    // The recorded edits hold the workspace's objects: they go first.
    const QSignalBlocker quiet(&history_);
    history_.Reset(true);
    workspace_.reset();
}

template <class Call> void CCvkDoc::WithWaitCursor(Call&& call) {
    CWaitCursor wait;
    std::forward<Call>(call)();
}

bool CCvkDoc::TakeWorkspace(HRESULT wrongFile, const QString& wrongFileMessage,
                            const std::function<HRESULT(IServer*, IWorkspace**)>& call) {
    const bool taken = cvkgui::GuardOperation(
        [&](HRESULT status) {
            cvkgui::ShowError(status == wrongFile ? wrongFileMessage : cvkgui::text::kFailedOpen);
        },
        [&] {
            cvk::ComPtr<IServer> server = GetServer();
            WithWaitCursor([&] { ThrowIfFailed(call(server.get(), workspace_.put())); });
            if (!workspace_)
                throw CEngineError(E_POINTER);
        });
    if (!taken)
        workspace_.reset();
    return taken;
}

bool CCvkDoc::OnNewDocument() {
    CPreferences& prefs = host_->preferences();
    CCreateWorkspaceDlg dialog(host_, host_->dialogParent());
    if (!dialog.Initialise() || dialog.exec() != QDialog::Accepted)
        return false;
    prefs.lastBiosFile = dialog.biosFile();
    SetTitle(cvkgui::text::kUntitled + QString::number(host_->NextUntitledNumber()));
    biosFilePath_ = dialog.biosFile();
    const bool created = TakeWorkspace(
        E_IMAGE_FORMAT, cvkgui::text::kNotMapFile, [&](IServer* server, IWorkspace** workspace) {
            return server->NewWorkspace(dialog.mask(), ToBstr(biosFilePath_).get(), workspace);
        });
    if (!created)
        return false;
    engineFlagTrusted_ = true;
    cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        setModified(GetBool(workspace_.get(), &IWorkspace::get_RequiresSave));
    });
    if (!prefs.cvwDefaultDir.isEmpty())
        SetPathName(JoinFolder(prefs.cvwDefaultDir, title_), false);
    return true;
}

bool CCvkDoc::OnOpenDocument(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        cvkgui::ShowError(cvkgui::text::kFailedOpen);
        return false;
    }
    workspacePath_ = path;
    const bool opened =
        TakeWorkspace(STG_E_FILEALREADYEXISTS, cvkgui::text::kNotWorkspaceFile,
                      [&](IServer* server, IWorkspace** workspace) {
                          return server->OpenWorkspace(ToBstr(path).get(), workspace);
                      });
    if (!opened)
        return false;
    SetPathName(path, false);
    engineFlagTrusted_ = true;
    setModified(false);
    return true;
}

bool CCvkDoc::OnSaveDocument(const QString& path) {
    workspacePath_ = path;
    // A read-only target is the user's to fix; any other failure ends the program in the
    // orderly way, since the workspace may no longer be in a state worth saving.
    return cvkgui::GuardOperation(
        [this](HRESULT status) {
            if (status == STG_E_ACCESSDENIED) {
                cvkgui::ShowError(cvkgui::text::kSaveReadOnly);
                return;
            }
            cvkgui::ShowError(cvkgui::text::kFailedSave);
            setModified(false);
            cvkgui::RequestOrderlyClose();
        },
        [&] {
            cvk::ComPtr<IServer> server = GetServer();
            if (!workspace_)
                throw CEngineError(E_POINTER);
            WithWaitCursor([&] {
                ThrowIfFailed(server->SaveWorkspace(workspace_.get(), ToBstr(path).get()));
            });
            engineFlagTrusted_ = true;
            setModified(GetBool(workspace_.get(), &IWorkspace::get_RequiresSave));
        });
}

QString CCvkDoc::ChooseSavePath() const {
    CFileChooser::Request request;
    request.mode = CFileChooser::Mode::Save;
    request.filter = cvkgui::text::kWorkspaceFilter;
    request.defaultSuffix = QStringLiteral("cvw");
    if (!pathName_.isEmpty())
        request.start = pathName_;
    else
        request.start = JoinFolder(host_->preferences().cvwDefaultDir, title_);
    return CFileChooser::Choose(host_->dialogParent(), request);
}

bool CCvkDoc::DoSave(const QString& path, bool replace) {
    const bool asked = path.isEmpty();
    const QString target = asked ? ChooseSavePath() : path;
    if (target.isEmpty())
        return false;
    // A failed save removes only a file that it created itself: a file that was there before
    // stays, since the engine replaces a file only once the new one is complete.
    const bool existed = QFileInfo::exists(target);
    if (!OnSaveDocument(target)) {
        if (asked && !existed && QFileInfo::exists(target))
            QFile::remove(target);
        return false;
    }
    if (replace)
        SetPathName(target, true);
    return true;
}

bool CCvkDoc::DoFileSave() {
    if (pathName_.isEmpty() || !QFileInfo::exists(pathName_) || IsReadOnlyFile(pathName_))
        return DoSave(QString());
    return DoSave(pathName_);
}

bool CCvkDoc::SaveModified() {
    if (!modified_)
        return true;
    const QString name = pathName_.isEmpty() ? title_ : QFileInfo(pathName_).fileName();
    const auto answer =
        CMessageBox::Show(QMessageBox::Question, cvkgui::text::kSaveChanges.arg(name),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes)
        return DoFileSave();
    return true;
}

void CCvkDoc::OnFileClose() {
    if (!SaveModified())
        return;
    OnCloseDocument();
}

void CCvkDoc::OnCloseDocument() {
    if (closed_)
        return;
    closed_ = true;
    bool closedCleanly = true;
    if (workspace_) {
        currentItem_ = nullptr;
        {
            const QSignalBlocker quiet(&history_);
            history_.Reset(true);
        }
        closedCleanly = cvkgui::GuardOperation(cvkgui::Quietly(), [&] {
            ThrowIfFailed(GetServer()->CloseWorkspace(workspace_.get()));
        });
        workspace_.reset();
    }
    // The views drop their engine references and the window goes.
    Q_EMIT closed();
    ResetSecondPane();
    if (!closedCleanly) {
        cvkgui::ShowError(cvkgui::text::kFailedClose);
        cvkgui::RequestOrderlyClose();
    }
}

void CCvkDoc::OnAddRemoveComponents() {
    if (!workspace_)
        return;
    cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        CAddRemoveComponentsDlg dialog(host_, workspace_.get(), host_->dialogParent());
        dialog.Initialise();
        if (dialog.exec() != QDialog::Accepted)
            return;
        const LONG before = GetLong(workspace_.get(), &IWorkspace::get_SubsystemMask);
        if (!ConfirmDroppedEdits(workspace_.get(), before & ~dialog.mask()))
            return;
        if (!dialog.flexChecked())
            ResetSecondPane();
        ThrowIfFailed(GetServer()->ChangeWorkspace(workspace_.get(), dialog.mask()));
        if (GetLong(workspace_.get(), &IWorkspace::get_SubsystemMask) != before)
            ForgetHistory();
        UpdateAllViews(nullptr, kHintStructure);
    });
}

void CCvkDoc::OnUpdateBios() {
    if (!workspace_)
        return;
    QString newFile;
    const bool chosen =
        cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kFailedChangeBios), [&] {
            CUpdateBiosDlg dialog(GetText(workspace_.get(), &IWorkspace::get_MapFilePath),
                                  host_->preferences().biosDefaultDir, host_->dialogParent());
            if (dialog.exec() == QDialog::Accepted)
                newFile = dialog.newBiosFile();
        });
    if (!chosen || newFile.isEmpty())
        return;
    bool hasModules = false;
    if (!ConfirmCarryOver(newFile, &hasModules))
        return;
    // An engine status is the user's to fix; anything else ends the program in the orderly way.
    cvkgui::GuardOperation(
        [this](HRESULT status) {
            if (status == E_LIMITS_EXCEEDED) {
                cvkgui::ShowError(cvkgui::text::kFewerLockHide);
                return;
            }
            // The update may have got part of the way: the recorded edits no longer apply.
            ForgetHistory();
            cvkgui::ShowError(cvkgui::text::kFailedChangeBios);
            if (status == cvkgui::kUnexpectedFailure)
                cvkgui::RequestOrderlyClose();
        },
        [&] {
            cvk::ComPtr<IServer> server = GetServer();
            WithWaitCursor([&] {
                ThrowIfFailed(server->UpdateWorkspace(workspace_.get(), ToBstr(newFile).get()));
            });
            biosFilePath_ = newFile;
            ForgetHistory();
            UpdateAllViews(nullptr, kHintStructure);
            ResetSecondPane();
            // The update makes a new module object from the new flash image, by design.
            if (hasModules)
                CMessageBox::Information(cvkgui::text::kModulesReset);
        });
}

bool CCvkDoc::ConfirmCarryOver(const QString& newFile, bool* hasModules) {
    bool confirmed = false;
    cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kFailedChangeBios), [&] {
        std::unique_ptr<CBuildComparison> comparison;
        WithWaitCursor([&] { comparison = CBuildComparison::OfUpdate(workspace_.get(), newFile); });
        *hasModules = comparison->old().modules.has_value();
        CUpdatePreviewDlg preview(*comparison, *hasModules, host_->dialogParent());
        confirmed = preview.exec() == QDialog::Accepted;
    });
    return confirmed;
}

void CCvkDoc::SetCurrentItem(CTreeItemData* item) {
    currentItem_ = item;
    if (!ReadEngineModifiedFlag())
        return;
    UpdateAllViews(nullptr, kHintShowCurrent);
}

void CCvkDoc::RefreshModifiedFlag() {
    ReadEngineModifiedFlag();
}

bool CCvkDoc::ReadEngineModifiedFlag() {
    if (!workspace_ || modified_ || !engineFlagTrusted_)
        return true;
    return cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        setModified(GetBool(workspace_.get(), &IWorkspace::get_RequiresSave));
    });
}

void CCvkDoc::OnEditUndo() {
    StepHistory(true);
}

void CCvkDoc::OnEditRedo() {
    StepHistory(false);
}

void CCvkDoc::StepHistory(bool undo) {
    if (!workspace_)
        return;
    const bool done = undo ? history_.Undo() : history_.Redo();
    UpdateAllViews(nullptr, kHintRefresh);
    if (!done)
        cvkgui::ShowError(cvkgui::text::kOperationFailed);
}

void CCvkDoc::ForgetHistory() {
    history_.Reset(false);
}

void CCvkDoc::SetStatusText(const QString& text) {
    Q_EMIT statusTextChanged(text);
}

void CCvkDoc::ResetSecondPane() {
    Q_EMIT paneTextChanged(1, QStringLiteral(" "));
}

void CCvkDoc::setModified(bool modified) {
    if (modified)
        history_.MarkUnsaved();
    else
        history_.MarkSaved();
    SetModifiedFlag(modified);
}

void CCvkDoc::SetModifiedFlag(bool modified) {
    if (modified_ == modified)
        return;
    modified_ = modified;
    Q_EMIT modifiedChanged(modified);
}

void CCvkDoc::SetPathName(const QString& path, bool addToRecentList) {
    pathName_ = path;
    SetTitle(QFileInfo(path).fileName());
    if (addToRecentList)
        host_->AddToRecentFileList(path);
}

void CCvkDoc::SetTitle(const QString& title) {
    title_ = title;
    Q_EMIT titleChanged(title);
}

void CCvkDoc::UpdateAllViews(QObject* sender, int hint) {
    Q_EMIT viewsUpdate(sender, hint);
}
