// The workspace window.
#include "gui/shell/child_frame.h"

#include "gui/common/icons.h"
#include "gui/document/cvk_doc.h"
#include "gui/modules/module_list.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/cvk_app.h"
#include "gui/shell/main_frame.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QToolBar>

#include <algorithm>

namespace {

// The tool bar of the workspace window shows some commands with tips of its own.
struct FrameButton {
    Cmd id;
    const char* promptAndTip; // null: the command's own
};

const FrameButton kFrameButtons[] = {
    {Cmd::Lock, "Lock selected CMOS setting from end user\nLock CMOS setting"},
    {Cmd::Hide, "Hide selected CMOS setting from end user\nHide CMOS setting"},
    {Cmd::kCount, nullptr},
    {Cmd::Prompt, "Use this string as the prompt for this SMBIOS value\nPrompt for SMBIOS value"},
    {Cmd::kCount, nullptr},
    {Cmd::GenerateIni, "Generate INI file\nGenerate INI"},
    {Cmd::GenerateReport, "Generate a report file for this workspace\nGenerate Report"},
    {Cmd::GenerateMedia, nullptr},
    {Cmd::GenerateBiosFile, nullptr},
};

QIcon ButtonIcon(Cmd id) {
    switch (id) {
    case Cmd::Lock:
        return cvkgui::icons::Lock();
    case Cmd::Hide:
        return cvkgui::icons::Hide();
    case Cmd::Prompt:
        return cvkgui::icons::Prompt();
    case Cmd::GenerateIni:
        return cvkgui::icons::Page(QStringLiteral("INI"), QColor(30, 110, 60));
    case Cmd::GenerateReport:
        return cvkgui::icons::Page(QStringLiteral("TXT"), QColor(40, 70, 150));
    case Cmd::GenerateMedia:
        return cvkgui::icons::Page(QStringLiteral("DOS"), QColor(120, 60, 140));
    case Cmd::GenerateBiosFile:
        return cvkgui::icons::Page(QStringLiteral("BIO"), QColor(170, 70, 20));
    default:
        return {};
    }
}

} // namespace

CChildFrame::CChildFrame(std::unique_ptr<CCvkDoc> doc, CCvkApp* app)
    : app_(app), doc_(std::move(doc)) {
    setObjectName(QStringLiteral("childFrame"));
    ShowTitle();
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("workspaceSplitter"));
    tree_ = new CWspTreeView(doc_.get(), splitter_);
    right_ = new CCvkRightView(doc_.get(), app_->preferences(), splitter_);
    splitter_->addWidget(tree_);
    splitter_->addWidget(right_);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({kTreeWidth, 600});
    setCentralWidget(splitter_);
    CreateToolBar();
    // The module list's space line goes into pane 1 of the status bar.
    connect(right_->moduleList(), &CModuleList::spaceLineChanged, this,
            [this](const QString& text, const QColor& colour, const QString& tip) {
                if (CMainFrame* main = app_->mainFrame())
                    main->SetPaneText(1, text, colour, tip);
            });
    // The workspace's name and a mark while it has unsaved changes; the main window's title
    // stays as it is.
    connect(doc_.get(), &CCvkDoc::titleChanged, this, &CChildFrame::ShowTitle);
    connect(doc_.get(), &CCvkDoc::modifiedChanged, this, &CChildFrame::ShowTitle);
    connect(doc_.get(), &CCvkDoc::closed, this, &CChildFrame::OnDocumentClosed);
    connect(tree_, &CWspTreeView::treeBuilt, this, &CChildFrame::FitTreePane);
    connect(right_, &CCvkRightView::placeRequested, tree_, &CWspTreeView::SelectPlace);
}

// The mark is part of the text rather than the toolkit's modified state, which a maximised
// window would hand on to the main window.
void CChildFrame::ShowTitle() {
    setWindowTitle(doc_->isModified() ? doc_->title() + QStringLiteral(" *") : doc_->title());
}

void CChildFrame::FitTreePane() {
    const QList<int> sizes = splitter_->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int tree = std::clamp(tree_->ContentWidth(), kTreeWidth, kMaxTreeWidth);
    splitter_->setSizes({tree, std::max(total - tree, 1)});
}

CChildFrame::~CChildFrame() {
    // The views hold engine references of the document's workspace: they go first.
    delete splitter_;
    splitter_ = nullptr;
}

void CChildFrame::CreateToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Workspace"));
    toolBar_->setObjectName(QStringLiteral("workspaceToolBar"));
    toolBar_->setMovable(false);
    CMainFrame* main = app_->mainFrame();
    for (const FrameButton& button : kFrameButtons) {
        if (button.id == Cmd::kCount) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* command = main->action(button.id);
        const CommandInfo& info = InfoOf(button.id);
        const char* promptAndTip = button.promptAndTip ? button.promptAndTip : info.promptAndTip;
        auto* tool = new QAction(ButtonIcon(button.id), TipOf(promptAndTip), toolBar_);
        tool->setObjectName(QString::fromLatin1(info.objectName) + QStringLiteral("Button"));
        tool->setStatusTip(PromptOf(promptAndTip));
        tool->setToolTip(TipOf(promptAndTip));
        tool->setEnabled(command->isEnabled());
        connect(tool, &QAction::triggered, command, &QAction::trigger);
        connect(command, &QAction::enabledChanged, tool, &QAction::setEnabled);
        toolBar_->addAction(tool);
    }
}

void CChildFrame::SwitchPane() {
    if (tree_->hasFocus())
        right_->TakeFocus();
    else
        tree_->setFocus();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    if (!doc_->SaveModified()) {
        event->ignore();
        return;
    }
    event->ignore();
    doc_->OnCloseDocument();
}

void CChildFrame::OnDocumentClosed() {
    closing_ = true;
    // The views let go of the workspace's objects now; the window goes once the current
    // event has been handled.
    tree_->Clear();
    right_->Clear();
    if (auto* window = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        window->hide();
        window->deleteLater();
    } else {
        deleteLater();
    }
}
