// The message-box and file-chooser services.
#include "gui/common/message_box.h"

#include "gui/common/strings.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <optional>

namespace {

CMessageBox::Responder& MessageResponder() {
    static CMessageBox::Responder responder;
    return responder;
}

CFileChooser::Responder& ChooserResponder() {
    static CFileChooser::Responder responder;
    return responder;
}

// Answers read from the file named by CORVANE_MESSAGE_ANSWERS, and the transcript written to
// the file named by CORVANE_MESSAGE_LOG; both empty when the program runs for a user.
class ScriptedAnswers {
public:
    static ScriptedAnswers& Instance() {
        static ScriptedAnswers answers;
        return answers;
    }

    std::optional<QString> Next() {
        if (answers_.isEmpty())
            return std::nullopt;
        return answers_.takeFirst();
    }

    void Log(const QString& kind, const QString& question, const QString& answer) const {
        if (logPath_.isEmpty())
            return;
        QFile log(logPath_);
        if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
        QString line = kind + QLatin1Char('\t') + question + QLatin1Char('\t') + answer;
        line.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        log.write(line.toUtf8() + '\n');
    }

private:
    ScriptedAnswers() {
        logPath_ = qEnvironmentVariable("CORVANE_MESSAGE_LOG");
        const QString path = qEnvironmentVariable("CORVANE_MESSAGE_ANSWERS");
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
            return;
        answers_ = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        // A final line break ends the last answer; it does not add an empty one.
        if (!answers_.isEmpty() && answers_.last().isEmpty())
            answers_.removeLast();
    }

    QStringList answers_;
    QString logPath_;
};

// The buttons the program's message boxes offer, by the names the answers file uses.
constexpr struct {
    QMessageBox::StandardButton button;
    const char* name;
} kButtonNames[] = {{QMessageBox::Ok, "Ok"},        {QMessageBox::Cancel, "Cancel"},
                    {QMessageBox::Yes, "Yes"},      {QMessageBox::No, "No"},
                    {QMessageBox::Retry, "Retry"},  {QMessageBox::Abort, "Abort"},
                    {QMessageBox::Ignore, "Ignore"}};

QString ButtonName(QMessageBox::StandardButton button) {
    for (const auto& entry : kButtonNames) {
        if (entry.button == button)
            return QString::fromLatin1(entry.name);
    }
    return QString::number(button);
}

// The scripted answer to a message box, when there is one that the box offers.
std::optional<QMessageBox::StandardButton> ScriptedButton(QMessageBox::StandardButtons offered) {
    const std::optional<QString> answer = ScriptedAnswers::Instance().Next();
    if (!answer)
        return std::nullopt;
    for (const auto& entry : kButtonNames) {
        if (answer->trimmed() == QLatin1String(entry.name) && offered.testFlag(entry.button))
            return entry.button;
    }
    return std::nullopt;
}

// Root can write any file, so a file counts as read-only by its permission bits alone. The
// toolkit's "user" bit says whether the running user may write, which for root is always so.
bool HasNoWriteBit(const QFileInfo& info) {
    const auto writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (info.permissions() & writeBits) == 0;
}

// The window a box is shown over. Never a window that destroys itself on a timer, such as the
// start-up splash: it would take the box down with it while the box is still up.
QWidget* BoxParent() {
    QWidget* active = QApplication::activeWindow();
    if (active && active->windowType() == Qt::SplashScreen)
        return nullptr;
    return active;
}

void RefuseReadOnly(const QString& path) {
    CMessageBox::Exclamation(
        QStringLiteral("%1\nThis file is set to read-only.\nTry again with a different file name.")
            .arg(path));
}

} // namespace

bool IsReadOnlyFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && HasNoWriteBit(info);
}

QMessageBox::StandardButton CMessageBox::Show(const Request& request) {
    if (const Responder& responder = MessageResponder())
        return responder(request);
    auto answer = ScriptedButton(request.buttons);
    if (!answer) {
        const QString caption =
            request.caption.isEmpty() ? cvkgui::text::kAppTitle : request.caption;
        QMessageBox box(request.icon, caption, request.text, request.buttons, BoxParent());
        if (request.defaultButton != QMessageBox::NoButton)
            box.setDefaultButton(request.defaultButton);
        answer = static_cast<QMessageBox::StandardButton>(box.exec());
    }
    ScriptedAnswers::Instance().Log(QStringLiteral("message"), request.text, ButtonName(*answer));
    return *answer;
}

QMessageBox::StandardButton CMessageBox::Show(QMessageBox::Icon icon, const QString& text,
                                              QMessageBox::StandardButtons buttons) {
    return Show(Request{icon, text, buttons, {}, QMessageBox::NoButton});
}

void CMessageBox::SetResponder(Responder responder) {
    MessageResponder() = std::move(responder);
}

QString CFileChooser::Choose(QWidget* parent, const Request& request) {
    if (const Responder& responder = ChooserResponder())
        return responder(request);
    const std::optional<QString> scripted = ScriptedAnswers::Instance().Next();
    const QString path = scripted ? *scripted : RunDialog(parent, request);
    ScriptedAnswers::Instance().Log(QStringLiteral("chooser"), request.start, path);
    return path;
}

QString CFileChooser::ChooseWritable(QWidget* parent, const Request& request) {
    for (;;) {
        const QString path = Choose(parent, request);
        if (path.isEmpty() || !IsReadOnlyFile(path))
            return path;
        RefuseReadOnly(path);
    }
}

void CFileChooser::SetResponder(Responder responder) {
    ChooserResponder() = std::move(responder);
}

QString CFileChooser::RunDialog(QWidget* parent, const Request& request) {
    QFileDialog dialog(parent);
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    if (request.mode == Mode::Folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setDirectory(request.start);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
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
        RefuseReadOnly(path);
    }
    return {};
}
