// CCvkApp: the application object: start-up and shut-down, the engine server, the user
// settings, the recent-file list, help, and the program-wide failure policy.
#pragma once

#include "engine/include/cvkserver.h"
#include "gui/common/gui_host.h"
#include "platform/com/comptr.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class CCvkDoc;
class CHelpWnd;
class CMainFrame;
class QSettings;

class CCvkApp : public QObject, public CGuiHost {
    Q_OBJECT
public:
    static constexpr int kMaxRecentFiles = 10;
    static constexpr int kSplashMilliseconds = 1000;

    CCvkApp();
    ~CCvkApp() override;
    CCvkApp(const CCvkApp&) = delete;
    CCvkApp& operator=(const CCvkApp&) = delete;

    // The one application object of the run (the most recently constructed one).
    static CCvkApp* instance();

    // Runs the start-up steps; false when the program should end at once. `arguments` are
    // the command-line arguments after the program name.
    bool InitInstance(const QStringList& arguments);

    // A new reference to the server; none before the start-up attempt, and CEngineError
    // (E_POINTER) when the attempt did not produce one.
    cvk::ComPtr<IServer> GetServer() const;

    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    CCvkDoc* activeDocument() const;

    const QString& programDir() const { return programDir_; }
    const QString& helpFilePath() const { return helpFilePath_; }
    QString cvwDefaultDir() const { return prefs_.cvwDefaultDir; }
    QString iniDefaultDir() const { return prefs_.iniDefaultDir; }
    QString jpegDefaultDir() const { return prefs_.jpegDefaultDir; }
    QString biosDefaultDir() const { return prefs_.biosDefaultDir; }
    QString reportDefaultDir() const { return prefs_.reportDefaultDir; }
    void setCvwDefaultDir(const QString& dir) { prefs_.cvwDefaultDir = dir; }
    void setIniDefaultDir(const QString& dir) { prefs_.iniDefaultDir = dir; }
    void setJpegDefaultDir(const QString& dir) { prefs_.jpegDefaultDir = dir; }
    void setBiosDefaultDir(const QString& dir) { prefs_.biosDefaultDir = dir; }
    void setReportDefaultDir(const QString& dir) { prefs_.reportDefaultDir = dir; }
    int warnAdvancedCmos() const { return prefs_.warnAdvancedCmos; }
    int warnThermal() const { return prefs_.warnThermal; }
    void setWarnAdvancedCmos(int on) { prefs_.warnAdvancedCmos = on; }
    void setWarnThermal(int on) { prefs_.warnThermal = on; }
    QString lastBiosFile() const { return prefs_.lastBiosFile; }
    void setLastBiosFile(const QString& path) { prefs_.lastBiosFile = path; }

    // What the document and the features are lent.
    cvk::ComPtr<IServer> Server() const override;
    CPreferences& preferences() override { return prefs_; }
    QWidget* dialogParent() const override;

    // Commands owned by the application.
    void OnFileNew();
    // Opens `path` after the save-and-close step; false when nothing was opened.
    bool OpenDocumentFile(const QString& path);
    // Asks the open workspace to save if modified and closes it; false when the user cancelled.
    bool SaveAndCloseAll();

    QStringList recentFiles() const { return recentFiles_; }
    void AddToRecentFileList(const QString& path) override;

    // Shows help with a context number (1 general, 2 CMOS, 3 SMBIOS, 4 thermal, 5 modules) in
    // the help window; when the help file cannot be read there, asks the desktop to open it.
    void WinHelp(int context);
    // The help window, once help has been shown from a readable help file.
    CHelpWnd* helpWindow() const { return helpWnd_.get(); }
    // Points help at another file and drops the open help connection (tests use it).
    void setHelpFilePath(const QString& path);

    // The fallback for an unexpected failure: message 183, then a close request to the main
    // window, so that the program shuts down in the normal way.
    void ReportFatal();
    // Posts a close request to the main window.
    void PostClose();

    // The number of the next new document's title ("Untitled1", "Untitled2", ...).
    int NextUntitledNumber() override { return ++untitledCount_; }

    // Called by the main window once it has agreed to close: writes the settings back and
    // releases the server.
    void ExitInstance();

Q_SIGNALS:
    void recentFilesChanged();

private:
    void CreateServer();
    void ShowSplash();
    void LoadRecentFileList();
    void SaveRecentFileList() const;
    void LoadSettings();
    void SaveSettings() const;
    // The help connection: the help window over the help file, when the file can be read.
    void OpenHelpConnection();
    static std::unique_ptr<QSettings> OpenSettings();
    // Creates a document from a file (or a new one when `path` is empty) with its window.
    CCvkDoc* OpenDocument(const QString& path);

    QString programDir_;
    QString helpFilePath_;
    CPreferences prefs_;
    bool serverTried_ = false;
    bool comInitialised_ = false;
    bool exited_ = false;
    int untitledCount_ = 0;
    cvk::ComPtr<IServer> server_;
    QStringList recentFiles_;
    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<CHelpWnd> helpWnd_;
};
