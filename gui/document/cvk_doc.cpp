// The workspace document: its operations and their failure messages.
#include "gui/document/cvk_doc.h"

#include "engine/include/engine_status.h"
#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/common/strings.h"
#include "gui/document/workspace_dialogs.h"
#include "gui/shell/cvk_app.h"
#include "gui/shell/main_frame.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Shows the wait cursor while a long engine call runs.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString JoinFolder(const QString& folder, const QString& name) {
    if (folder.isEmpty())
        return name;
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

CCvkDoc::CCvkDoc(CCvkApp* app) : app_(app) {}

CCvkDoc::~CCvkDoc() {
    ReleaseWorkspace();
}

void CCvkDoc::ReleaseWorkspace() {
    currentItem_ = nullptr;
    workspace_.reset();
}

bool CCvkDoc::OnNewDocument() {
    CCreateWorkspaceDlg dialog(app_, app_->mainFrame());
    if (!dialog.Initialise() || dialog.exec() != QDialog::Accepted)
        return false;
    app_->setLastBiosFile(dialog.biosFile());
    SetTitle(cvkgui::text::kUntitled + QString::number(app_->NextUntitledNumber()));
    biosFilePath_ = dialog.biosFile();
    try {
        cvk::ComPtr<IServer> server = app_->GetServer();
        if (!server)
            throw CEngineError(E_POINTER);
        WaitCursor wait;
        ThrowIfFailed(
            server->NewWorkspace(dialog.mask(), ToBstr(biosFilePath_).get(), workspace_.put()));
    } catch (const CEngineError& error) {
        workspace_.reset();
        CMessageBox::Error(error.status() == E_IMAGE_FORMAT ? cvkgui::text::kNotMapFile
                                                            : cvkgui::text::kFailedOpen);
        return false;
    }
    if (!workspace_) {
        CMessageBox::Error(cvkgui::text::kFailedOpen);
        return false;
    }
    try {
        setModified(GetBool(workspace_.get(), &IWorkspace::get_RequiresSave));
    } catch (const CEngineError&) {
        app_->ReportFatal();
    }
    if (!app_->cvwDefaultDir().isEmpty())
        SetPathName(JoinFolder(app_->cvwDefaultDir(), title_), false);
    return true;
}

bool CCvkDoc::OnOpenDocument(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        CMessageBox::Error(cvkgui::text::kFailedOpen);
        return false;
    }
    workspacePath_ = path;
    try {
        cvk::ComPtr<IServer> server = app_->GetServer();
        if (!server)
            throw CEngineError(E_POINTER);
        WaitCursor wait;
        ThrowIfFailed(server->OpenWorkspace(ToBstr(path).get(), workspace_.put()));
    } catch (const CEngineError& error) {
        workspace_.reset();
        CMessageBox::Error(error.status() == STG_E_FILEALREADYEXISTS
                               ? cvkgui::text::kNotWorkspaceFile
                               : cvkgui::text::kFailedOpen);
        return false;
    }
    if (!workspace_) {
        CMessageBox::Error(cvkgui::text::kFailedOpen);
        return false;
    }
    SetPathName(path, false);
    setModified(false);
    return true;
}

bool CCvkDoc::OnSaveDocument(const QString& path) {
    workspacePath_ = path;
    try {
        cvk::ComPtr<IServer> server = app_->GetServer();
        if (!server || !workspace_)
            throw CEngineError(E_POINTER);
        {
            WaitCursor wait;
            ThrowIfFailed(server->SaveWorkspace(workspace_.get(), ToBstr(path).get()));
        }
        setModified(GetBool(workspace_.get(), &IWorkspace::get_RequiresSave));
        return true;
    } catch (const CEngineError& error) {
        if (error.status() == STG_E_ACCESSDENIED) {
            CMessageBox::Error(cvkgui::text::kSaveReadOnly);
            return false;
        }
    } catch (const std::exception&) {
    }
    CMessageBox::Error(cvkgui::text::kFailedSave);
    setModified(false);
    app_->PostClose();
    return false;
}

QString CCvkDoc::ChooseSavePath() const {
    CFileChooser::Request request;
    request.mode = CFileChooser::Mode::Save;
    request.filter = cvkgui::text::kWorkspaceFilter;
    request.defaultSuffix = QStringLiteral("cvw");
    if (!pathName_.isEmpty())
        request.start = pathName_;
    else
        request.start = JoinFolder(app_->cvwDefaultDir(), title_);
    return CFileChooser::Choose(app_->mainFrame(), request);
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
    bool failed = false;
    if (workspace_) {
        currentItem_ = nullptr;
        try {
            cvk::ComPtr<IServer> server = app_->GetServer();
            if (!server)
                throw CEngineError(E_POINTER);
            ThrowIfFailed(server->CloseWorkspace(workspace_.get()));
        } catch (const std::exception&) {
            failed = true;
        }
        workspace_.reset();
    }
    // The views drop their engine references and the window goes.
    Q_EMIT closed();
    ResetSecondPane();
    if (failed) {
        CMessageBox::Error(cvkgui::text::kFailedClose);
        app_->PostClose();
    }
}

void CCvkDoc::OnAddRemoveComponents() {
    if (!workspace_)
        return;
    try {
        CAddRemoveComponentsDlg dialog(app_, workspace_.get(), app_->mainFrame());
        dialog.Initialise();
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (!dialog.flexChecked())
            ResetSecondPane();
        cvk::ComPtr<IServer> server = app_->GetServer();
        if (!server)
            throw CEngineError(E_POINTER);
        ThrowIfFailed(server->ChangeWorkspace(workspace_.get(), dialog.mask()));
        UpdateAllViews(nullptr, kHintStructure);
    } catch (const std::exception&) {
        app_->ReportFatal();
    }
}

void CCvkDoc::OnUpdateBios() {
    if (!workspace_)
        return;
    QString newFile;
    try {
        CUpdateBiosDlg dialog(GetText(workspace_.get(), &IWorkspace::get_MapFilePath),
                              app_->biosDefaultDir(), app_->mainFrame());
        if (dialog.exec() != QDialog::Accepted)
            return;
        newFile = dialog.newBiosFile();
    } catch (const CEngineError&) {
        CMessageBox::Error(cvkgui::text::kFailedChangeBios);
        return;
    }
    try {
        cvk::ComPtr<IServer> server = app_->GetServer();
        if (!server)
            throw CEngineError(E_POINTER);
        {
            WaitCursor wait;
            ThrowIfFailed(server->UpdateWorkspace(workspace_.get(), ToBstr(newFile).get()));
        }
        biosFilePath_ = newFile;
        UpdateAllViews(nullptr, kHintStructure);
        ResetSecondPane();
    } catch (const CEngineError& error) {
        CMessageBox::Error(error.status() == E_LIMITS_EXCEEDED ? cvkgui::text::kFewerLockHide
                                                               : cvkgui::text::kFailedChangeBios);
    } catch (const std::exception&) {
        CMessageBox::Error(cvkgui::text::kFailedChangeBios);
        app_->PostClose();
    }
}

void CCvkDoc::SetCurrentItem(CTreeItemData* item) {
    currentItem_ = item;
    if (workspace_ && !modified_) {
        try {
            setModified(GetBool(workspace_.get(), &IWorkspace::get_RequiresSave));
        } catch (const CEngineError&) {
            app_->ReportFatal();
            return;
        }
    }
    UpdateAllViews(nullptr, kHintShowCurrent);
}

void CCvkDoc::RefreshModifiedFlag() {
    if (!workspace_ || modified_)
        return;
    try {
        setModified(GetBool(workspace_.get(), &IWorkspace::get_RequiresSave));
    } catch (const CEngineError&) {
        app_->ReportFatal();
    }
}

void CCvkDoc::SetStatusText(const QString& text) const {
    if (CMainFrame* frame = app_->mainFrame())
        frame->SetMessageText(text);
}

void CCvkDoc::ResetSecondPane() const {
    if (CMainFrame* frame = app_->mainFrame())
        frame->SetPaneText(1, QStringLiteral(" "));
}

void CCvkDoc::setModified(bool modified) {
    if (modified_ == modified)
        return;
    modified_ = modified;
    Q_EMIT modifiedChanged(modified);
}

void CCvkDoc::SetPathName(const QString& path, bool addToRecentList) {
    pathName_ = path;
    SetTitle(QFileInfo(path).fileName());
    if (addToRecentList)
        app_->AddToRecentFileList(path);
}

void CCvkDoc::SetTitle(const QString& title) {
    title_ = title;
    Q_EMIT titleChanged(title);
}

void CCvkDoc::UpdateAllViews(QObject* sender, int hint) {
    Q_EMIT viewsUpdate(sender, hint);
}
