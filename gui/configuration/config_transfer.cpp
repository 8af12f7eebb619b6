// Export and import of a workspace's configuration.
#include "gui/configuration/config_transfer.h"

#include "client/edits/config_export.h"
#include "client/edits/edit_list.h"
#include "client/workspace_changes.h"
#include "gui/common/message_box.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"
#include "gui/common/wait_cursor.h"
#include "gui/document/cvk_doc.h"

#include <QStringList>
#include <QTemporaryDir>

namespace {

// The configuration file chosen for the document's workspace; empty without a workspace or when
// the user cancelled.
QString ChooseConfigurationFile(CCvkDoc* doc, CFileChooser::Mode mode) {
    if (!doc->hasWorkspace())
        return {};
    CFileChooser::Request request;
    request.mode = mode;
    request.start = doc->host()->preferences().cvwDefaultDir;
    request.filter = cvkgui::text::kConfigurationFilter;
    request.defaultSuffix = QStringLiteral("json");
    return CFileChooser::Choose(doc->host()->dialogParent(), request);
}

// The warnings of the edits, for the message after the import.
class CollectedLog : public cvkedit::EditLog {
public:
    void Note(const std::string&) override {}
    void Warn(const std::string& message) override {
        lines.append(QString::fromStdString(message));
    }
    void Failure(const std::string& what, HRESULT hr) override {
        cvk::ErrorText error;
        const bool known = cvk::TakeErrorText(&error) && !error.description.empty();
        lines.append(
            QString::fromStdString(what) + QStringLiteral(": ") +
            (known ? QString::fromStdU16String(error.description)
                   : QStringLiteral("error 0x%1").arg(quint32(hr), 8, 16, QLatin1Char('0'))));
    }

    QStringList lines;
};

QString DescribeFailure(const cvkedit::EditFailure& failure) {
    const QString why =
        failure.text.empty()
            ? QStringLiteral("error 0x%1").arg(quint32(failure.status), 8, 16, QLatin1Char('0'))
            : QString::fromStdString(failure.text);
    return QStringLiteral("%1: %2").arg(QString::fromStdString(failure.what), why);
}

// Tries the edits on a copy of the workspace, opened on a server of its own, and lists those
// that cannot be applied. The workspace itself is only saved into the copy.
std::vector<cvkedit::EditFailure> TryOnCopy(CCvkDoc* doc, const cvkedit::EditList& edits) {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw CEngineError(E_FAIL);
    const cvk::Bstr copy = ToBstr(scratch.filePath(QStringLiteral("trial.cvw")));
    ThrowIfFailed(doc->GetServer()->SaveWorkspace(doc->GetWorkspace().get(), copy.get()));
    cvk::ComPtr<IServer> aside;
    ThrowIfFailed(cvkclient::CreateServerAside(&aside));
    cvk::ComPtr<IWorkspace> trial;
    ThrowIfFailed(aside->OpenWorkspace(copy.get(), trial.put()));
    cvkedit::SilentLog quiet;
    std::vector<cvkedit::EditFailure> failures = cvkedit::TryEditList(trial.get(), edits, quiet);
    aside->CloseWorkspace(trial.get());
    return failures;
}

} // namespace

void OnExportConfiguration(CCvkDoc* doc) {
    const QString path = ChooseConfigurationFile(doc, CFileChooser::Mode::Save);
    if (path.isEmpty())
        return;
    cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kExportFailed), [&] {
        CWaitCursor wait;
        cvkclient::WorkspaceSnapshot workspace, defaults;
        ThrowIfFailed(cvkclient::ReadWorkspace(doc->GetWorkspace().get(), &workspace));
        // The program's server holds the workspace; the defaults are read beside it.
        ThrowIfFailed(
            cvkclient::ReadFreshWorkspaceAside(workspace.mapFile, workspace.mask, &defaults));
        const cvkclient::WorkspaceChanges changes = cvkclient::ListChanges(workspace, defaults);
        std::string text, error;
        if (!cvkedit::ExportConfiguration(workspace, changes, &text, &error)) {
            cvkgui::ShowError(cvkgui::text::kExportFailed + QLatin1Char('\n') +
                              QString::fromStdString(error));
            return;
        }
        if (!cvkedit::WriteFileAtomically(path.toStdString(), text))
            cvkgui::ShowError(cvkgui::text::kExportFailed + QLatin1Char('\n') +
                              cvkgui::text::kCannotWrite.arg(path));
    });
}

void OnImportConfiguration(CCvkDoc* doc) {
    const QString path = ChooseConfigurationFile(doc, CFileChooser::Mode::Open);
    if (path.isEmpty())
        return;
    cvkedit::EditList edits;
    std::string error;
    if (!cvkedit::ReadEditList(path.toStdString(), &edits, &error)) {
        cvkgui::ShowError(cvkgui::text::kImportUnreadable.arg(QString::fromStdString(error)));
        return;
    }
    // Once every edit has applied to the copy, a failure on the workspace itself is an engine
    // fault, which ends the program in the orderly way.
    cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        std::vector<cvkedit::EditFailure> failures;
        {
            CWaitCursor wait;
            failures = TryOnCopy(doc, edits);
        }
        if (!failures.empty()) {
            QStringList lines;
            for (const cvkedit::EditFailure& failure : failures)
                lines.append(DescribeFailure(failure));
            cvkgui::ShowError(cvkgui::text::kImportRefused.arg(lines.join(QLatin1Char('\n'))));
            return;
        }
        CollectedLog log;
        std::string what;
        ThrowIfFailed(cvkedit::ApplyEditList(doc->GetWorkspace().get(), edits, &what, log));
        cvkedit::WarnInvalidSelection(doc->GetWorkspace().get(), log);
        // The import is not an edit of the undo history, and what the history recorded no
        // longer applies; forgetting it leaves the document modified.
        doc->history()->Reset(false);
        doc->UpdateAllViews(nullptr, CCvkDoc::kHintRefresh);
        if (log.lines.isEmpty())
            CMessageBox::Information(cvkgui::text::kImported);
        else
            CMessageBox::Exclamation(cvkgui::text::kImported + QStringLiteral("\n\n") +
                                     log.lines.join(QLatin1Char('\n')));
    });
}
