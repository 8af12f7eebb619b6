// CGenerateFloppyPropertySheet: the "Generate Media" wizard, and its "Copying Files..." window.
#include "gui/media/generate_floppy_sheet.h"

#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/common/message_text.h"
#include "gui/common/operation_guard.h"
#include "gui/media/folder_picker.h"
#include "gui/media/generate_floppy_pages.h"
#include "media/base_name.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QVBoxLayout>

namespace {

namespace media = cvk::media;

// The notice that ends a run with a failure ("Generate floppy not successful").
constexpr int kRunFailedNotice = 200;

QMessageBox::Icon IconOf(media::Severity severity) {
    switch (severity) {
    case media::Severity::kInformation:
        return QMessageBox::Information;
    case media::Severity::kWarning:
        return QMessageBox::Warning;
    case media::Severity::kError:
        break;
    }
    return QMessageBox::Critical;
}

QString Text(const char* text) {
    return QString::fromLatin1(text);
}

} // namespace

CCopyProgressDlg::CCopyProgressDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Text(media::kProgressTitle));
    setObjectName(QStringLiteral("copyProgressDialog"));
    auto* layout = new QVBoxLayout(this);
    what_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("copyProgressBar"));
    bar_->setRange(0, media::kProgressSteps);
    bar_->setValue(0);
    bar_->setFormat(QStringLiteral("%v / %m"));
    bar_->setMinimumWidth(300);
    layout->addWidget(what_);
    layout->addWidget(bar_);
}

void CCopyProgressDlg::SetStep(int step, const QString& what) {
    bar_->setValue(step);
    what_->setText(what);
    // The run holds the event loop: let the window paint, but take no input meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int CCopyProgressDlg::step() const {
    return bar_->value();
}

CGenerateFloppyPropertySheet::CGenerateFloppyPropertySheet(const Context& context, QWidget* parent)
    : QWizard(parent), context_(context) {
    setWindowTitle(Text(media::kWizardTitle));
    setObjectName(QStringLiteral("generateMediaWizard"));
    setWizardStyle(QWizard::ClassicStyle);
    files_ =
        new CGenerateFloppyFilesPage(context.server, context.workspace, context.spaceQuery, this);
    const bool modular = GetBool(context.workspace, &IWorkspace::IsFlexAvailable);
    options_ =
        new CGenerateFloppyOptionsPage(modular, context.installLocation, context.biosFolder, this);
    addPage(files_);
    addPage(options_);
    // Finish is offered on both pages: the Options page is optional.
    setOption(QWizard::HaveFinishButtonOnEarlyPages);
    files_->setFinalPage(true);
}

media::MediaChoices CGenerateFloppyPropertySheet::Choices() const {
    media::MediaChoices choices;
    choices.destination = files_->destination().toStdString();
    choices.baseName = options_->baseName().toStdString();
    choices.subsystemMask = files_->subsystemMask();
    choices.batchFile = files_->createBatchFile();
    choices.commandMask = options_->shown() ? options_->commandMask() : 0;
    choices.copyCvtool = files_->copyCvtool();
    choices.cvtoolFolder = context_.installLocation.toStdString();
    choices.copyRomwrite = options_->copyRomwrite();
    choices.romwriteFolder = options_->utilityFolder().toStdString();
    choices.copyLangPack = options_->copyLangPack();
    choices.langPackPath = options_->langPackPath().toStdString();
    choices.copyBios = options_->copyBios();
    choices.biosPath = options_->biosPath().toStdString();
    return choices;
}

media::MediaCallbacks CGenerateFloppyPropertySheet::Callbacks(CCopyProgressDlg* progress,
                                                              bool* mediumCancelled) {
    media::MediaCallbacks on;
    on.tell = [this](const media::Notice& notice) {
        QString text = QString::fromStdString(notice.text);
        if (notice.id == kRunFailedNotice && !engineFailures_.isEmpty())
            text += QStringLiteral("\n\n") + engineFailures_.join(QStringLiteral("\n\n"));
        CMessageBox::Show({IconOf(notice.severity), text, QMessageBox::Ok,
                           QString::fromStdString(notice.caption), QMessageBox::NoButton});
    };
    on.engineFailure = [this](const std::string& what, HRESULT hr) {
        QString text = cvkgui::TakeEngineErrorText();
        if (text.isEmpty())
            text =
                QStringLiteral("error 0x%1").arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
        engineFailures_ << QString::fromStdString(what) + QStringLiteral(": ") + text;
    };
    on.confirmOverwrite = [](const std::string& target) {
        const QString text = Text(media::kOverwriteQuestion)
                                 .replace(QStringLiteral("%s"), QString::fromStdString(target));
        // Replacing a file is not what a hurried Enter should do: No is the default.
        return CMessageBox::Show({QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                                  Text(media::kOverwriteCaption), QMessageBox::No}) ==
               QMessageBox::Yes;
    };
    on.pickFolder = [this](const std::string& prompt) -> std::optional<std::string> {
        const QString folder = CFolderPicker::Choose(this, QString::fromStdString(prompt), {});
        if (folder.isEmpty())
            return std::nullopt;
        return folder.toStdString();
    };
    on.retryMedium = [mediumCancelled] {
        const bool retry =
            CMessageBox::Show(QMessageBox::Warning, Text(media::kInsertMedium),
                              QMessageBox::Retry | QMessageBox::Cancel) == QMessageBox::Retry;
        *mediumCancelled = !retry;
        return retry;
    };
    on.progress = [progress](int step, const std::string& what) {
        progress->SetStep(step, QString::fromStdString(what));
    };
    return on;
}

void CGenerateFloppyPropertySheet::accept() {
    const QString base = options_->baseName();
    if (!media::IsDosBaseName(base.toStdString())) {
        CMessageBox::Exclamation(Text(media::kBadBaseName).replace(QStringLiteral("%s"), base));
        return;
    }
    CCopyProgressDlg progress(this);
    progress.show();
    bool mediumCancelled = false;
    media::MediaChoices choices;
    const auto failed = [&](HRESULT) {
        progress.close();
        CMessageBox::Error(Text(media::kUnexpectedError));
        lastRun_ = media::MediaRun::kFailed;
    };
    if (!cvkgui::GuardOperation(failed, [&] { choices = Choices(); }))
        return;
    engineFailures_.clear();
    cvkgui::ClearEngineErrorText();
    lastRun_ =
        media::WriteMedia(context_.workspace, choices, Callbacks(&progress, &mediumCancelled));
    progress.close();
    if (mediumCancelled) {
        reject();
        return;
    }
    if (*lastRun_ == media::MediaRun::kCancelled)
        return; // a folder prompt was cancelled: the wizard stays for another try
    QWizard::accept();
}

bool CGenerateFloppyPropertySheet::Run(QWidget* parent, IServer* server, IWorkspace* workspace,
                                       const QString& biosFolder) {
    // The caller turns a failure into its message.
    return cvkgui::GuardOperation(cvkgui::Quietly(), [&] {
        Context context;
        context.server = server;
        context.workspace = workspace;
        context.installLocation = ReadInstallLocation();
        context.biosFolder = biosFolder;
        CGenerateFloppyPropertySheet sheet(context, parent);
        sheet.exec();
    });
}

QString ReadInstallLocation() {
    const QSettings machine(QSettings::SystemScope, QStringLiteral("HALVEX"),
                            QStringLiteral("Halvex(R) Corvane"));
    return machine.value(QStringLiteral("Location")).toString();
}
