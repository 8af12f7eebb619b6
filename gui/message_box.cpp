// The message-box and file-chooser services.
#include "gui/message_box.h"

#include "gui/strings.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace {

CMessageBox::Responder& MessageResponder() {
    static CMessageBox::Responder responder;
    return responder;
}

CFileChooser::Responder& ChooserResponder() {
    static CFileChooser::Responder responder;
    return responder;
}

// Root can write any file, so a file counts as read-only by its permission bits alone.
bool HasNoWriteBit(const QFileInfo& info) {
    const auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteUser |
                           QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (info.permissions() & writeBits) == 0;
}

} // namespace

bool IsReadOnlyFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && HasNoWriteBit(info);
}

QMessageBox::StandardButton CMessageBox::Show(QMessageBox::Icon icon, const QString& text,
                                              QMessageBox::StandardButtons buttons) {
    if (const Responder& responder = MessageResponder())
        return responder(Request{icon, text, buttons});
    QMessageBox box(icon, cvkgui::text::kAppTitle, text, buttons, QApplication::activeWindow());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void CMessageBox::SetResponder(Responder responder) {
    MessageResponder() = std::move(responder);
}

QString CFileChooser::Choose(QWidget* parent, const Request& request) {
    if (const Responder& responder = ChooserResponder())
        return responder(request);
    return RunDialog(parent, request);
}

void CFileChooser::SetResponder(Responder responder) {
    ChooserResponder() = std::move(responder);
}

QString CFileChooser::RunDialog(QWidget* parent, const Request& request) {
    QFileDialog dialog(parent);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    const QFileInfo start(request.start);
    if (start.isDir()) {
        dialog.setDirectory(request.start);
    } else if (!request.start.isEmpty()) {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    if (request.mode == Mode::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A save chooser refuses read-only files and asks again.
    while (dialog.exec() == QDialog::Accepted) {
        const QString path = dialog.selectedFiles().value(0);
        const QFileInfo chosen(path);
        if (!chosen.exists() || !HasNoWriteBit(chosen))
            return path;
        CMessageBox::Exclamation(
            QStringLiteral("%1\nThis file is set to read-only.\nTry again with a different file "
                           "name.")
                .arg(path));
    }
    return {};
}
