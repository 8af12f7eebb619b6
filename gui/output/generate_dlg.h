// The output commands of a workspace window: "Generate INI File" and "Generate Report" with
// their component dialog, and Generate BIOS File.
#pragma once

#include "engine/include/cvkserver.h"

#include <QDialog>
#include <QString>

class CComponentBoxes;

// How an output command ended: done (whatever the user chose), or after a failure that
// closes the program, in which case the caller asks the main window to close.
enum class OutputEnd { Done, CloseProgram };

// The component dialog of the INI file or the report. The engine objects are the caller's and
// outlive the dialog.
class CGenerateDlg : public QDialog {
    Q_OBJECT
public:
    enum Kind { Ini, Report };

    CGenerateDlg(Kind kind, IServer* server, IWorkspace* workspace, const QString& defaultDir,
                 QWidget* parent);
    // Shows the dialog until the file is written or the user cancels.
    OutputEnd Run();
    CComponentBoxes* boxes() const { return boxes_; }

    void accept() override;

private:
    // Shows the boxes of the subsystems the engine offers, checked where the workspace has
    // them. Throws CEngineError.
    void PresentBoxes();
    // Writes the file; false after the failure message.
    bool Write(const QString& path, LONG mask);
    void EndWithFailure(const QString& message);

    Kind kind_;
    IServer* server_;
    IWorkspace* workspace_;
    QString defaultDir_;
    CComponentBoxes* boxes_ = nullptr;
    OutputEnd end_ = OutputEnd::Done;
};

// Generate BIOS File: the capsule and dependency checks, the chooser, and the update file.
OutputEnd GenerateBiosFile(IWorkspace* workspace, const QString& defaultDir, QWidget* parent);
