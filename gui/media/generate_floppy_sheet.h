// CGenerateFloppyPropertySheet: the "Generate Media" wizard, and its "Copying Files..." window.
#pragma once

#include "engine/include/cvkserver.h"
#include "media/free_space.h"
#include "media/media_writer.h"

#include <QDialog>
#include <QStringList>
#include <QWizard>

class CGenerateFloppyFilesPage;
class CGenerateFloppyOptionsPage;
class QLabel;
class QProgressBar;

// The progress window shown while the media is written: a bar of seven steps.
class CCopyProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCopyProgressDlg(QWidget* parent = nullptr);
    void SetStep(int step, const QString& what);
    int step() const;

private:
    QLabel* what_;
    QProgressBar* bar_;
};

class CGenerateFloppyPropertySheet : public QWizard {
    Q_OBJECT
public:
    // What the wizard works on: the engine's server and the document's workspace (neither
    // owned), the folder the DOS tools are installed in (may be empty), and where the BIOS
    // file chooser starts.
    struct Context {
        IServer* server = nullptr;
        IWorkspace* workspace = nullptr;
        QString installLocation;
        QString biosFolder;
        cvk::media::DiskSpaceQuery spaceQuery = cvk::media::QueryDiskSpace;
    };

    // Throws CEngineError when the server or the workspace cannot be read.
    explicit CGenerateFloppyPropertySheet(const Context& context, QWidget* parent = nullptr);

    CGenerateFloppyFilesPage* filesPage() const { return files_; }
    CGenerateFloppyOptionsPage* optionsPage() const { return options_; }
    // How the last Finish ended; none before the first.
    std::optional<cvk::media::MediaRun> lastRun() const { return lastRun_; }

    // Finish: writes the media with the progress window up, then closes the wizard.
    void accept() override;

    // The wizard modal on the workspace, with the install location from the machine's
    // settings. False when the engine failed while the wizard was being set up.
    static bool Run(QWidget* parent, IServer* server, IWorkspace* workspace,
                    const QString& biosFolder);

private:
    cvk::media::MediaChoices Choices() const;
    cvk::media::MediaCallbacks Callbacks(CCopyProgressDlg* progress, bool* mediumCancelled);

    Context context_;
    CGenerateFloppyFilesPage* files_;
    CGenerateFloppyOptionsPage* options_;
    std::optional<cvk::media::MediaRun> lastRun_;
    // The engine's words for the writes of the run that failed, shown with the run's failure.
    QStringList engineFailures_;
};

// The machine-wide install location ("Location" of the program's system-scope settings).
QString ReadInstallLocation();
