// The main window.
#include "gui/shell/main_frame.h"

#include "gui/common/engine_call.h"
#include "gui/common/icons.h"
#include "gui/common/message_box.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"
#include "gui/compare/compare_dlg.h"
#include "gui/configuration/config_transfer.h"
#include "gui/document/cvk_doc.h"
#include "gui/media/generate_floppy_sheet.h"
#include "gui/modules/firmware_hub.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/shell/about_dlg.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/cvk_app.h"
#include "gui/shell/output_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

CMainFrame::CMainFrame(CCvkApp* app) : app_(app) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(cvkgui::text::kMainTitle);
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdiArea_);
    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    setAcceptDrops(true);
    resize(900, 640);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateCommandUI);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateEditCommands);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &CMainFrame::UpdateEditCommands);
    connect(app_, &CCvkApp::recentFilesChanged, this, &CMainFrame::RebuildRecentFileMenu);
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // The documents go before the window, while the application still holds the server.
    for (CChildFrame* frame : childFrames())
        delete frame->parentWidget();
}

void CMainFrame::CreateActions() {
    for (int i = 0; i < static_cast<int>(Cmd::kCount); ++i) {
        const auto id = static_cast<Cmd>(i);
        const CommandInfo& info = InfoOf(id);
        auto* action = new QAction(QString::fromLatin1(info.menuText), this);
        action->setObjectName(QString::fromLatin1(info.objectName));
        action->setStatusTip(PromptOf(info.promptAndTip));
        action->setToolTip(TipOf(info.promptAndTip));
        action->setShortcuts(ShortcutsOf(id));
        action->setShortcutContext(Qt::ApplicationShortcut);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        actions_[i] = action;
    }
    action(Cmd::ToggleToolBar)->setCheckable(true);
    action(Cmd::ToggleToolBar)->setChecked(true);
    action(Cmd::ToggleStatusBar)->setCheckable(true);
    action(Cmd::ToggleStatusBar)->setChecked(true);
    action(Cmd::ChangedOnly)->setCheckable(true);
    action(Cmd::NeedsReviewOnly)->setCheckable(true);
    action(Cmd::New)->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    action(Cmd::Open)->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    action(Cmd::Save)->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    action(Cmd::HelpTopics)->setIcon(cvkgui::icons::Help());
    action(Cmd::Cut)->setIcon(cvkgui::icons::Cut());
    action(Cmd::Copy)->setIcon(cvkgui::icons::Copy());
    action(Cmd::Paste)->setIcon(cvkgui::icons::Paste());
}

void CMainFrame::CreateMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("fileMenu"));
    for (Cmd id : {Cmd::New, Cmd::Open, Cmd::Close, Cmd::Save, Cmd::SaveAs})
        fileMenu_->addAction(action(id));
    fileMenu_->addSeparator();
    fileMenu_->addAction(action(Cmd::AddRemove));
    fileMenu_->addAction(action(Cmd::UpdateBios));
    fileMenu_->addAction(action(Cmd::ExportConfig));
    fileMenu_->addAction(action(Cmd::ImportConfig));
    fileMenu_->addSeparator();
    for (Cmd id :
         {Cmd::GenerateIni, Cmd::GenerateReport, Cmd::GenerateMedia, Cmd::GenerateBiosFile})
        fileMenu_->addAction(action(id));
    fileMenu_->addSeparator();
    recentSeparator_ = fileMenu_->addSeparator();
    fileMenu_->addAction(action(Cmd::Exit));
    RebuildRecentFileMenu();

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(action(Cmd::Undo));
    edit->addAction(action(Cmd::Redo));
    edit->addSeparator();
    for (Cmd id : {Cmd::Cut, Cmd::Copy, Cmd::Paste})
        edit->addAction(action(id));
    edit->addSeparator();
    for (Cmd id : {Cmd::EditValue, Cmd::Lock, Cmd::Hide, Cmd::Prompt})
        edit->addAction(action(id));
    edit->addSeparator();
    for (Cmd id : {Cmd::ResetDefaults, Cmd::MarkReviewed, Cmd::ClearLockHide})
        edit->addAction(action(id));
    QMenu* fwh = edit->addMenu(QStringLiteral("Firmware Hu&b Size"));
    for (Cmd id : {Cmd::FwhSize3, Cmd::FwhSize4, Cmd::FwhSize8})
        fwh->addAction(action(id));
    edit->addSeparator();
    edit->addAction(action(Cmd::FindSetting));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(action(Cmd::ToggleToolBar));
    view->addAction(action(Cmd::ToggleStatusBar));
    view->addSeparator();
    view->addAction(action(Cmd::ChangedOnly));
    view->addAction(action(Cmd::NeedsReviewOnly));
    view->addSeparator();
    view->addAction(action(Cmd::NextPane));
    view->addAction(action(Cmd::PreviousPane));

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(action(Cmd::Options));
    tools->addAction(action(Cmd::CompareBios));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(action(Cmd::HelpTopics));
    help->addSeparator();
    help->addAction(action(Cmd::About));

    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::RebuildRecentFileMenu() {
    qDeleteAll(recentActions_);
    recentActions_.clear();
    const QStringList files = app_->recentFiles();
    if (files.isEmpty()) {
        auto* placeholder = new QAction(QStringLiteral("Recent File"), this);
        placeholder->setEnabled(false);
        recentActions_.append(placeholder);
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), this);
        entry->setObjectName(QStringLiteral("actionRecentFile%1").arg(i + 1));
        entry->setStatusTip(QStringLiteral("Open this workspace"));
        entry->setData(path);
        connect(entry, &QAction::triggered, this, [this, path] { app_->OpenDocumentFile(path); });
        recentActions_.append(entry);
    }
    fileMenu_->insertActions(recentSeparator_, recentActions_);
}

void CMainFrame::CreateToolBars() {
    toolBar_ = addToolBar(QStringLiteral("Standard"));
    toolBar_->setObjectName(QStringLiteral("mainToolBar"));
    toolBar_->setMovable(true);
    toolBar_->addAction(action(Cmd::New));
    toolBar_->addAction(action(Cmd::Open));
    toolBar_->addAction(action(Cmd::Save));
    toolBar_->addSeparator();
    toolBar_->addAction(action(Cmd::Cut));
    toolBar_->addAction(action(Cmd::Copy));
    toolBar_->addAction(action(Cmd::Paste));
    toolBar_->addSeparator();
    toolBar_->addAction(action(Cmd::HelpTopics));
    connect(toolBar_, &QToolBar::visibilityChanged, action(Cmd::ToggleToolBar),
            &QAction::setChecked);
}

void CMainFrame::CreateStatusBar() {
    static const char* const kNames[] = {"messagePane", "progressPane", "capsPane", "numPane",
                                         "scrollPane"};
    static const char* const kTexts[] = {"", " ", "CAP", "NUM", "SCRL"};
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(QString::fromLatin1(kTexts[i]), this);
        label->setObjectName(QString::fromLatin1(kNames[i]));
        panes_[i] = label;
    }
    panes_[0]->setText(cvkgui::text::kIdlePrompt);
    // The views' hints are shown whole: the message pane is never narrower than the widest,
    // which makes the window's default size wide enough for them.
    int widest = 0;
    for (const QString& hint :
         {cvkgui::text::kIdlePrompt, cvkgui::text::kHintEdit, cvkgui::text::kHintCmos,
          cvkgui::text::kHintCmosSelect, cvkgui::text::kHintModules})
        widest = std::max(widest, panes_[0]->fontMetrics().horizontalAdvance(hint));
    const QMargins margins = panes_[0]->contentsMargins();
    panes_[0]->setMinimumWidth(widest + margins.left() + margins.right() + 2 * panes_[0]->margin() +
                               2);
    statusBar()->addWidget(panes_[0], 1);
    // The second pane is as wide as 79 blanks: other commands show progress and space there.
    panes_[1]->setMinimumWidth(panes_[1]->fontMetrics().horizontalAdvance(QString(79, u' ')));
    panes_[1]->setAutoFillBackground(true);
    for (int i = 1; i < 5; ++i)
        statusBar()->addPermanentWidget(panes_[i]);
    // The lock-key indicators are shown as labels; the toolkit has no portable reading of the
    // keyboard's lock state.
    for (int i = 2; i < 5; ++i)
        panes_[i]->setEnabled(false);
}

void CMainFrame::SetMessageText(const QString& text) {
    statusBar()->clearMessage();
    panes_[0]->setText(text);
}

QString CMainFrame::messageText() const {
    return panes_[0]->text();
}

void CMainFrame::SetPaneText(int pane, const QString& text) {
    if (pane == 0)
        SetMessageText(text);
    else
        SetPaneText(pane, text, palette().color(QPalette::WindowText), QString());
}

void CMainFrame::SetPaneText(int pane, const QString& text, const QColor& colour,
                             const QString& tip) {
    if (pane <= 0 || pane >= 5)
        return;
    QPalette palette = panes_[pane]->palette();
    palette.setColor(QPalette::WindowText, colour);
    panes_[pane]->setPalette(palette);
    panes_[pane]->setToolTip(tip);
    panes_[pane]->setText(text);
}

QString CMainFrame::paneText(int pane) const {
    return pane >= 0 && pane < 5 ? panes_[pane]->text() : QString();
}

namespace {

// Takes `key` away from the entries of a workspace window's system menu.
void RemoveSystemMenuKey(QMdiSubWindow* window, const QKeySequence& key) {
    QMenu* menu = window->systemMenu();
    if (!menu)
        return;
    for (QAction* entry : menu->actions()) {
        QList<QKeySequence> keys = entry->shortcuts();
        if (keys.removeAll(key) > 0)
            entry->setShortcuts(keys);
    }
}

} // namespace

CChildFrame* CMainFrame::CreateChildFrame(std::unique_ptr<CCvkDoc> doc) {
    auto* frame = new CChildFrame(std::move(doc), app_);
    QMdiSubWindow* window = mdiArea_->addSubWindow(frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    window->showMaximized();
    mdiArea_->setActiveSubWindow(window);
    // The window's own Close key would make Ctrl+W ambiguous with Close Workspace, and Qt then
    // runs neither; the window keeps its other close keys.
    RemoveSystemMenuKey(window, ShortcutsOf(Cmd::Close).value(0));
    CCvkDoc* shown = frame->document();
    connect(shown, &CCvkDoc::statusTextChanged, this, &CMainFrame::SetMessageText);
    connect(shown, &CCvkDoc::paneTextChanged, this,
            qOverload<int, const QString&>(&CMainFrame::SetPaneText));
    // A closed workspace leaves no hint of its views behind.
    connect(shown, &CCvkDoc::closed, this, [this] { SetMessageText(cvkgui::text::kIdlePrompt); });
    connect(frame->document(), &CCvkDoc::modifiedChanged, this, &CMainFrame::UpdateCommandUI);
    connect(frame->document()->history(), &CEditHistory::changed, this,
            &CMainFrame::UpdateUndoCommands);
    connect(frame->document(), &CCvkDoc::viewsUpdate, this, &CMainFrame::UpdateCommandUI,
            Qt::QueuedConnection);
    connect(frame, &QObject::destroyed, this, &CMainFrame::UpdateCommandUI, Qt::QueuedConnection);
    UpdateCommandUI();
    return frame;
}

QList<CChildFrame*> CMainFrame::childFrames() const {
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        if (auto* frame = qobject_cast<CChildFrame*>(window->widget()); frame && !frame->closing())
            frames.append(frame);
    }
    return frames;
}

CChildFrame* CMainFrame::activeChildFrame() const {
    QMdiSubWindow* window = mdiArea_->activeSubWindow();
    if (!window) {
        // The only workspace window is the active one, also while the main window is hidden.
        const QList<CChildFrame*> frames = childFrames();
        return frames.size() == 1 ? frames.first() : nullptr;
    }
    auto* frame = qobject_cast<CChildFrame*>(window->widget());
    return frame && !frame->closing() ? frame : nullptr;
}

CCvkDoc* CMainFrame::activeDocument() const {
    CChildFrame* frame = activeChildFrame();
    return frame ? frame->document() : nullptr;
}

void CMainFrame::OnCommand(Cmd id) {
    CCvkDoc* doc = activeDocument();
    CChildFrame* frame = activeChildFrame();
    switch (id) {
    case Cmd::New:
        app_->OnFileNew();
        break;
    case Cmd::Open:
        OnOpen();
        break;
    case Cmd::Exit:
        close();
        break;
    case Cmd::About:
        OnAbout();
        break;
    case Cmd::HelpTopics:
        OnHelp();
        break;
    case Cmd::ToggleToolBar:
        toolBar_->setVisible(action(Cmd::ToggleToolBar)->isChecked());
        break;
    case Cmd::ToggleStatusBar:
        statusBar()->setVisible(action(Cmd::ToggleStatusBar)->isChecked());
        break;
    case Cmd::Cut:
    case Cmd::Copy:
    case Cmd::Paste:
        OnEditCommand(id);
        break;
    case Cmd::Undo:
        if (doc)
            doc->OnEditUndo();
        break;
    case Cmd::Redo:
        if (doc)
            doc->OnEditRedo();
        break;
    case Cmd::Close:
        if (doc)
            doc->OnFileClose();
        break;
    case Cmd::Save:
        if (doc)
            doc->OnFileSave();
        break;
    case Cmd::SaveAs:
        if (doc)
            doc->OnFileSaveAs();
        break;
    case Cmd::AddRemove:
        if (doc)
            doc->OnAddRemoveComponents();
        break;
    case Cmd::UpdateBios:
        if (doc)
            doc->OnUpdateBios();
        break;
    case Cmd::NextPane:
    case Cmd::PreviousPane:
        if (frame)
            frame->SwitchPane();
        break;
    case Cmd::Lock:
    case Cmd::Hide:
    case Cmd::Prompt:
    case Cmd::EditValue:
    case Cmd::ResetDefaults:
    case Cmd::MarkReviewed:
    case Cmd::ClearLockHide:
        if (frame)
            frame->rightView()->OnViewCommand(id);
        break;
    case Cmd::FwhSize3:
    case Cmd::FwhSize4:
    case Cmd::FwhSize8:
        // Offered also without a workspace, which the size command refuses with its message.
        if (frame)
            frame->rightView()->OnViewCommand(id);
        else
            SetFirmwareHubSize(nullptr, FirmwareHubMegabits(id));
        break;
    case Cmd::GenerateMedia:
        if (doc &&
            !CGenerateFloppyPropertySheet::Run(this, app_->GetServer().get(),
                                               doc->GetWorkspace().get(), app_->biosDefaultDir()))
            app_->ReportFatal();
        break;
    case Cmd::GenerateIni:
    case Cmd::GenerateReport:
    case Cmd::GenerateBiosFile:
    case Cmd::Options:
        RunOutputCommand(app_, id);
        break;
    case Cmd::CompareBios:
        if (doc)
            CompareWithBiosFile(doc->host(), doc->GetWorkspace().get());
        break;
    case Cmd::ExportConfig:
        if (doc)
            OnExportConfiguration(doc);
        break;
    case Cmd::ImportConfig:
        if (doc)
            OnImportConfiguration(doc);
        break;
    case Cmd::FindSetting:
        if (frame)
            frame->rightView()->OpenSearch();
        break;
    case Cmd::ChangedOnly:
        if (frame)
            frame->rightView()->ShowChangedOnly(action(id)->isChecked());
        break;
    case Cmd::NeedsReviewOnly:
        if (frame)
            frame->rightView()->ShowNeedingReview(action(id)->isChecked());
        break;
    case Cmd::kCount:
        break;
    }
    UpdateCommandUI();
}

void CMainFrame::OnOpen() {
    CFileChooser::Request request;
    request.mode = CFileChooser::Mode::Open;
    request.start = app_->cvwDefaultDir();
    request.filter = cvkgui::text::kWorkspaceFilter;
    request.defaultSuffix = QStringLiteral("cvw");
    const QString path = CFileChooser::Choose(this, request);
    if (!path.isEmpty())
        app_->OpenDocumentFile(path);
}

void CMainFrame::OnAbout() {
    CAboutDlg dialog(app_, this);
    dialog.exec();
}

void CMainFrame::OnHelp() {
    CChildFrame* frame = activeChildFrame();
    app_->WinHelp(frame ? frame->rightView()->HelpContext() : 1);
}

namespace {

// The text field with the keyboard focus, if any.
QLineEdit* FocusedLineEdit() {
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

} // namespace

void CMainFrame::OnEditCommand(Cmd id) {
    QLineEdit* edit = FocusedLineEdit();
    if (!edit)
        return;
    if (id == Cmd::Cut)
        edit->cut();
    else if (id == Cmd::Copy)
        edit->copy();
    else
        edit->paste();
}

void CMainFrame::UpdateEditCommands() {
    QLineEdit* edit = FocusedLineEdit();
    const bool selection = edit && edit->hasSelectedText();
    action(Cmd::Cut)->setEnabled(selection && !edit->isReadOnly());
    action(Cmd::Copy)->setEnabled(selection);
    action(Cmd::Paste)
        ->setEnabled(edit && !edit->isReadOnly() && !QApplication::clipboard()->text().isEmpty());
    if (edit) {
        connect(edit, &QLineEdit::selectionChanged, this, &CMainFrame::UpdateEditCommands,
                Qt::UniqueConnection);
    }
}

bool CMainFrame::IsViewCommandEnabled(Cmd id) const {
    CChildFrame* frame = activeChildFrame();
    return frame && frame->rightView()->IsCommandEnabled(id);
}

void CMainFrame::UpdateCommandUI() {
    CChildFrame* frame = activeChildFrame();
    const bool workspaceWindow = frame != nullptr;
    for (Cmd id :
         {Cmd::Close, Cmd::Save, Cmd::SaveAs, Cmd::AddRemove, Cmd::UpdateBios, Cmd::GenerateIni,
          Cmd::GenerateReport, Cmd::GenerateMedia, Cmd::NextPane, Cmd::PreviousPane})
        action(id)->setEnabled(workspaceWindow);
    for (Cmd id : {Cmd::CompareBios, Cmd::ExportConfig, Cmd::ImportConfig})
        action(id)->setEnabled(workspaceWindow);
    for (Cmd id : {Cmd::Lock, Cmd::Hide, Cmd::Prompt, Cmd::EditValue, Cmd::ResetDefaults,
                   Cmd::MarkReviewed, Cmd::ClearLockHide})
        action(id)->setEnabled(IsViewCommandEnabled(id));
    // The firmware hub size can always be chosen; without a workspace the command says so.
    for (Cmd id : {Cmd::FwhSize3, Cmd::FwhSize4, Cmd::FwhSize8})
        action(id)->setEnabled(true);
    const bool modules = frame && frame->rightView()->mode() == CCvkRightView::ModeModules;
    action(Cmd::ResetDefaults)
        ->setText(QString::fromLatin1(modules ? kRestoreModuleDefaultsText
                                              : InfoOf(Cmd::ResetDefaults).menuText));
    bool flex = false;
    if (CCvkDoc* doc = frame ? frame->document() : nullptr; doc && doc->hasWorkspace()) {
        // An enabling test that fails reports it once; the window is closing then.
        auto reportOnce = [this](HRESULT) {
            if (enablingFailed_)
                return;
            enablingFailed_ = true;
            cvkgui::ReportFatal();
        };
        cvkgui::GuardOperation(reportOnce, [&] {
            const LONG flexMask = GetLong(doc->GetServer().get(), &IServer::get_SUB_SYS_MASK_FLEX);
            const LONG mask = GetLong(doc->GetWorkspace().get(), &IWorkspace::get_SubsystemMask);
            flex = flexMask != 0 && (mask & flexMask) == flexMask;
        });
    }
    action(Cmd::GenerateBiosFile)->setEnabled(flex);
    action(Cmd::FindSetting)->setEnabled(workspaceWindow);
    const bool cmos = frame && frame->rightView()->HasCmos();
    using Listing = CCvkRightView::Listing;
    const Listing listing = frame ? frame->rightView()->listing() : Listing::Group;
    action(Cmd::ChangedOnly)->setEnabled(cmos);
    action(Cmd::ChangedOnly)->setChecked(listing == Listing::Changed);
    action(Cmd::NeedsReviewOnly)->setEnabled(cmos);
    action(Cmd::NeedsReviewOnly)->setChecked(listing == Listing::NeedsReview);
    UpdateEditCommands();
    UpdateUndoCommands();
}

void CMainFrame::UpdateUndoCommands() {
    CChildFrame* frame = activeChildFrame();
    CEditHistory* history = frame ? frame->document()->history() : nullptr;
    const bool undo = history && history->canUndo();
    const bool redo = history && history->canRedo();
    action(Cmd::Undo)->setEnabled(undo);
    action(Cmd::Redo)->setEnabled(redo);
    action(Cmd::Undo)->setText(EditMenuText(Cmd::Undo, undo ? history->undoName() : QString()));
    action(Cmd::Redo)->setText(EditMenuText(Cmd::Redo, redo ? history->redoName() : QString()));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!app_->SaveAndCloseAll()) {
        event->ignore();
        return;
    }
    event->accept();
    app_->ExitInstance();
}

void CMainFrame::changeEvent(QEvent* event) {
    // A maximised workspace window would add its name to the title; the title stays exactly
    // as it is, since installers find the running program by it.
    if (event->type() == QEvent::WindowTitleChange && windowTitle() != cvkgui::text::kMainTitle)
        setWindowTitle(cvkgui::text::kMainTitle);
    QMainWindow::changeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !event->mimeData()->urls().isEmpty() &&
        event->mimeData()->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString path = urls.first().toLocalFile();
    // The drop finishes before the file is opened, so that the source is not kept waiting on
    // the save question.
    QMetaObject::invokeMethod(
        this, [this, path] { app_->OpenDocumentFile(path); }, Qt::QueuedConnection);
}
