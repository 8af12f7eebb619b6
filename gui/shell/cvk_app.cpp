// The application object: start-up order, settings, recent files, help and failure policy.
#include "gui/shell/cvk_app.h"

#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/help_wnd.h"
#include "gui/shell/main_frame.h"
#include "gui/shell/splash_wnd.h"
#include "platform/com/runtime.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <QUrl>

namespace {

CCvkApp* g_app = nullptr;

} // namespace

CCvkApp::CCvkApp() {
    g_app = this;
    cvkgui::SetOrderlyClose([this] { PostClose(); });
}

CCvkApp::~CCvkApp() {
    ExitInstance();
    mainFrame_.reset();
    server_.reset();
    if (comInitialised_)
        CoUninitialize();
    if (g_app == this) {
        g_app = nullptr;
        cvkgui::SetOrderlyClose({});
    }
}

CCvkApp* CCvkApp::instance() {
    return g_app;
}

bool CCvkApp::InitInstance(const QStringList& arguments) {
    if (FAILED(CoInitialize(nullptr)))
        return false;
    comInitialised_ = true;

    const QString programDir = QCoreApplication::applicationDirPath();
    if (programDir.isEmpty())
        return false;
    programDir_ = QDir(programDir).absolutePath() + QLatin1Char('/');
    helpFilePath_ = programDir_ + cvkgui::text::kHelpFileName;

    CreateServer();
    ShowSplash();
    LoadRecentFileList();

    mainFrame_ = std::make_unique<CMainFrame>(this);

    // A plain start opens no workspace; a file named on the command line is opened, and a
    // failure to open it ends the start.
    const QString file = arguments.value(0);
    if (!file.isEmpty() && !OpenDocumentFile(file))
        return false;

    LoadSettings();
    mainFrame_->show();
    OpenHelpConnection();
    return true;
}

void CCvkApp::CreateServer() {
    // The only creation context on this platform is the in-process one; the others are kept as
    // the program asks for them.
    const DWORD context = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
    cvk::ComPtr<IUnknown> object;
    if (SUCCEEDED(
            CoCreateInstance(CLSID_Server, nullptr, context, IUnknown::iid, object.put_void())))
        object.As(&server_);
    serverTried_ = true;
}

cvk::ComPtr<IServer> CCvkApp::GetServer() const {
    if (!serverTried_)
        return {};
    if (!server_)
        throw CEngineError(E_POINTER);
    return server_;
}

cvk::ComPtr<IServer> CCvkApp::Server() const {
    cvk::ComPtr<IServer> server = GetServer();
    if (!server)
        throw CEngineError(E_POINTER);
    return server;
}

QWidget* CCvkApp::dialogParent() const {
    return mainFrame_.get();
}

void CCvkApp::ShowSplash() {
    auto* splash = new CSplashWnd();
    splash->ShowFor(kSplashMilliseconds);
}

std::unique_ptr<QSettings> CCvkApp::OpenSettings() {
    return std::make_unique<QSettings>(cvkgui::text::kOrganisation, cvkgui::text::kAppTitle);
}

void CCvkApp::LoadRecentFileList() {
    auto settings = OpenSettings();
    settings->beginGroup(cvkgui::text::kRecentGroup);
    recentFiles_.clear();
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const QString path = settings->value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty())
            recentFiles_.append(path);
    }
}

void CCvkApp::SaveRecentFileList() const {
    auto settings = OpenSettings();
    settings->beginGroup(cvkgui::text::kRecentGroup);
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= recentFiles_.size())
            settings->setValue(key, recentFiles_.at(i - 1));
        else
            settings->remove(key);
    }
}

void CCvkApp::AddToRecentFileList(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recentFiles_.removeAll(absolute);
    recentFiles_.prepend(absolute);
    while (recentFiles_.size() > kMaxRecentFiles)
        recentFiles_.removeLast();
    Q_EMIT recentFilesChanged();
}

void CCvkApp::LoadSettings() {
    cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        // The server is asked for its subsystems here: the first use of the server, where a
        // missing engine comes to light.
        cvk::ComPtr<IServer> server = GetServer();
        if (server) {
            const LONG available = GetLong(server.get(), &IServer::get_AvailableSubSystems);
            const LONG envctl = GetLong(server.get(), &IServer::get_SUB_SYS_MASK_ENVCTL);
            static_cast<void>(available & envctl);
        }
        auto settings = OpenSettings();
        settings->beginGroup(cvkgui::text::kSettingsGroup);
        prefs_.warnAdvancedCmos = settings->value(QStringLiteral("WarnAdvancedCMOS"), 1).toInt();
        prefs_.warnThermal = settings->value(QStringLiteral("WarnThermal"), 1).toInt();
        prefs_.biosDefaultDir = settings->value(QStringLiteral("BiosDefaultDir")).toString();
        prefs_.iniDefaultDir = settings->value(QStringLiteral("IniDefaultDir")).toString();
        prefs_.jpegDefaultDir = settings->value(QStringLiteral("JPEGDefaultDir")).toString();
        prefs_.cvwDefaultDir = settings->value(QStringLiteral("CvwDefaultDir")).toString();
        prefs_.reportDefaultDir = settings->value(QStringLiteral("ReportDefaultDir")).toString();
    });
}

void CCvkApp::SaveSettings() const {
    auto settings = OpenSettings();
    settings->beginGroup(cvkgui::text::kSettingsGroup);
    settings->setValue(QStringLiteral("WarnAdvancedCMOS"), prefs_.warnAdvancedCmos);
    settings->setValue(QStringLiteral("WarnThermal"), prefs_.warnThermal);
    settings->setValue(QStringLiteral("JPEGDefaultDir"), prefs_.jpegDefaultDir);
    settings->setValue(QStringLiteral("BiosDefaultDir"), prefs_.biosDefaultDir);
    settings->setValue(QStringLiteral("IniDefaultDir"), prefs_.iniDefaultDir);
    settings->setValue(QStringLiteral("CvwDefaultDir"), prefs_.cvwDefaultDir);
    settings->setValue(QStringLiteral("ReportDefaultDir"), prefs_.reportDefaultDir);
}

void CCvkApp::ExitInstance() {
    if (exited_ || !mainFrame_)
        return;
    exited_ = true;
    SaveSettings();
    SaveRecentFileList();
    server_.reset();
    helpWnd_.reset();
}

CCvkDoc* CCvkApp::activeDocument() const {
    return mainFrame_ ? mainFrame_->activeDocument() : nullptr;
}

bool CCvkApp::SaveAndCloseAll() {
    if (!mainFrame_)
        return true;
    for (CChildFrame* frame : mainFrame_->childFrames()) {
        CCvkDoc* doc = frame->document();
        if (!doc->SaveModified())
            return false;
        doc->OnCloseDocument();
    }
    return true;
}

void CCvkApp::OnFileNew() {
    if (!SaveAndCloseAll())
        return;
    OpenDocument(QString());
}

bool CCvkApp::OpenDocumentFile(const QString& path) {
    if (!SaveAndCloseAll())
        return false;
    return OpenDocument(path) != nullptr;
}

CCvkDoc* CCvkApp::OpenDocument(const QString& path) {
    auto doc = std::make_unique<CCvkDoc>(this);
    const bool loaded = path.isEmpty() ? doc->OnNewDocument() : doc->OnOpenDocument(path);
    if (!loaded)
        return nullptr;
    if (!path.isEmpty())
        AddToRecentFileList(path);
    CCvkDoc* opened = doc.get();
    mainFrame_->CreateChildFrame(std::move(doc));
    opened->UpdateAllViews(nullptr, CCvkDoc::kHintShowCurrent);
    return opened;
}

void CCvkApp::OpenHelpConnection() {
    if (!helpWnd_)
        helpWnd_ = CHelpWnd::Open(helpFilePath_);
}

void CCvkApp::setHelpFilePath(const QString& path) {
    helpFilePath_ = path;
    helpWnd_.reset();
}

void CCvkApp::WinHelp(int context) {
    // The file may have appeared since start-up.
    OpenHelpConnection();
    if (helpWnd_ && helpWnd_->ShowContext(context))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpFilePath_));
}

void CCvkApp::ReportFatal() {
    cvkgui::ReportFatal();
}

void CCvkApp::PostClose() {
    if (mainFrame_)
        QMetaObject::invokeMethod(mainFrame_.get(), &QWidget::close, Qt::QueuedConnection);
}
