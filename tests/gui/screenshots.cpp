// gui_screenshots: opens the demo board in the program and writes PNG pictures of the main
// window, "Create A Workspace", the INI and report dialogs, Options, "Generate Media", the
// module list, the splash-screen editor, the compare view and the update preview into the folder
// named on the command line.
#include "gui/document/cvk_doc.h"
#include "gui/media/generate_floppy_sheet.h"
#include "gui/settings/cmos_list.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/search_bar.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/main_frame.h"
#include "gui/splash/splash_editor.h"
#include "tests/gui/compare/newer_build.h"
#include "tests/gui/support/gui_test_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

namespace {

bool Save(QWidget* widget, const QDir& folder, const QString& name) {
    QTest::qWait(300);
    const QString path = folder.filePath(name);
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Selects the group of `kind` whose list has the most rows.
void ShowLargestGroup(CChildFrame* frame, TreeItemKind kind) {
    CWspTreeView* tree = frame->treeView();
    QTreeWidgetItem* best = nullptr;
    int most = -1;
    guitest::SelectEachTreeItem(tree, kind, [&](QTreeWidgetItem* item) {
        const auto* list = static_cast<QTreeWidget*>(frame->rightView()->visibleList());
        if (list && list->topLevelItemCount() > most) {
            most = list->topLevelItemCount();
            best = item;
        }
        return false;
    });
    tree->expandAll();
    tree->setCurrentItem(best);
}

// The workspace's splash logo module.
cvk::ComPtr<IFlexLogoModule> LogoOf(IWorkspace* workspace) {
    cvk::ComPtr<IFlex> flex;
    cvk::ComPtr<IFlexModuleList> list;
    cvk::ComPtr<IFlexModule> module;
    cvk::ComPtr<IFlexLogoModule> logo;
    if (SUCCEEDED(workspace->get_Flex(flex.put())) &&
        SUCCEEDED(flex->get_OptionalModuleList(list.put())) && list &&
        SUCCEEDED(list->GetModule(5, module.put())) && module)
        module->QueryInterface(IFlexLogoModule::iid, logo.put_void());
    return logo;
}

// An 800 x 600 picture with a sky and a horizon, written as JPEG.
QString WriteSplashPicture(const QTemporaryDir& scratch) {
    QImage picture(800, 600, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, 600);
    sky.setColorAt(0, QColor(20, 40, 110));
    sky.setColorAt(0.6, QColor(240, 150, 70));
    sky.setColorAt(1, QColor(40, 30, 30));
    painter.fillRect(picture.rect(), sky);
    QFont font;
    font.setPixelSize(64);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("Example PC Maker"));
    painter.end();
    const QString path = scratch.filePath(QStringLiteral("splash.jpg"));
    return picture.save(path) ? path : QString();
}

// The splash-screen editor with a picture and the badge in each corner.
bool SaveSplashEditor(CMainFrame* main, const QDir& folder, const QTemporaryDir& scratch) {
    cvk::ComPtr<IFlexLogoModule> logo = LogoOf(main->activeDocument()->GetWorkspace().get());
    const QString picture = WriteSplashPicture(scratch);
    if (!logo || picture.isEmpty())
        return false;
    CSplashEditor editor(logo.get(), scratch.path(), main);
    editor.setModal(false);
    editor.show();
    if (!editor.OpenPicture(picture))
        return false;
    editor.action("actionDisplayBadge")->trigger();
    bool ok = true;
    for (const char* corner : {"UpperLeft", "UpperRight", "LowerLeft", "LowerRight"}) {
        editor.action((QByteArray("action") + corner).constData())->trigger();
        ok = Save(&editor, folder,
                  QStringLiteral("splash-editor-%1.png").arg(QString::fromLatin1(corner))) &&
             ok;
    }
    // Nothing is stored: leaving without the question.
    editor.hide();
    return ok;
}

// Both pages of "Generate Media" and its progress window part-way.
bool ShootMediaWizard(guitest::Program& program, const QDir& folder) {
    CGenerateFloppyPropertySheet::Context context;
    context.server = program.app()->GetServer().get();
    context.workspace = program.app()->activeDocument()->GetWorkspace().get();
    CGenerateFloppyPropertySheet wizard(context, program.app()->mainFrame());
    wizard.findChild<QLineEdit*>(QStringLiteral("destinationEdit"))->setText(QDir::tempPath());
    wizard.show();
    bool ok = Save(&wizard, folder, QStringLiteral("media-files.png"));
    wizard.next();
    ok = Save(&wizard, folder, QStringLiteral("media-options.png")) && ok;
    CCopyProgressDlg progress(&wizard);
    progress.SetStep(3, QStringLiteral("cvk.bat"));
    progress.show();
    ok = Save(&progress, folder, QStringLiteral("media-progress.png")) && ok;
    return ok;
}

// Triggers `id` and saves a picture of its dialog, which is then cancelled.
bool SaveDialog(CMainFrame* main, Cmd id, const QDir& folder, const QString& name) {
    bool ok = false;
    guitest::WhenModal([&](QWidget* dialog) {
        ok = Save(dialog, folder, name);
        dialog->close();
    });
    main->UpdateCommandUI();
    main->action(id)->trigger();
    return ok;
}

// The compare view and the carry-over preview of an update (cancelled) against a newer build
// of the demo board.
bool ShootComparison(guitest::Program& program, const QDir& folder, const QTemporaryDir& scratch) {
    const QString newer = scratch.filePath(QStringLiteral("newer.cvk"));
    if (!guitest::WriteNewerDemoBuild(newer))
        return false;
    CMainFrame* main = program.app()->mainFrame();
    bool ok = false;
    program.chooserAnswers.push_back(newer);
    guitest::WhenModal([&](QWidget* dialog) {
        ok = Save(dialog, folder, QStringLiteral("compare-bios.png"));
        dialog->close();
    });
    main->action(Cmd::CompareBios)->trigger();
    bool previewed = false;
    guitest::WhenModal([&](QWidget* dialog) {
        guitest::WhenModalNamed(QStringLiteral("updatePreviewDialog"), [&](QWidget* preview) {
            previewed = Save(preview, folder, QStringLiteral("update-preview.png"));
            preview->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        dialog->findChild<QLineEdit*>(QStringLiteral("newBiosFileEdit"))->setText(newer);
        auto* update = dialog->findChild<QPushButton*>(QStringLiteral("updateButton"));
        update->setEnabled(true);
        update->click();
    });
    main->action(Cmd::UpdateBios)->trigger();
    return ok && previewed;
}

// The changed-settings filter after a few edits, and a search with its results.
bool ShootSettingsAcrossGroups(CMainFrame* main, CChildFrame* frame, const QDir& folder) {
    ShowLargestGroup(frame, TreeItemKind::CmosGroup);
    CCmosList* list = frame->rightView()->cmosList();
    list->setCurrentItem(list->topLevelItem(2));
    main->UpdateCommandUI();
    main->action(Cmd::Hide)->trigger();
    if (ISettingNode* setting = list->SettingAt(list->topLevelItem(1))) {
        cvk::ComPtr<IChoiceList> choices;
        cvk::ComPtr<IChoiceNode> last;
        if (SUCCEEDED(setting->get_ChoiceList(choices.put())) &&
            SUCCEEDED(choices->GetFirst(last.put())) && SUCCEEDED(choices->GetNext(last.put())) &&
            last)
            setting->put_CurrentChoice(last.get());
    }
    main->UpdateCommandUI();
    main->action(Cmd::ChangedOnly)->trigger();
    bool ok = Save(main, folder, QStringLiteral("main-changed-only.png"));
    main->action(Cmd::ChangedOnly)->trigger();
    main->action(Cmd::FindSetting)->trigger();
    frame->rightView()->searchBar()->edit()->setText(QStringLiteral("boot"));
    ok = Save(main, folder, QStringLiteral("main-search.png")) && ok;
    frame->rightView()->CloseSearch();
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: gui_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("."));
    QTemporaryDir scratch;
    if (qEnvironmentVariableIsEmpty("CORVANE_REGISTRY"))
        qputenv("CORVANE_REGISTRY", scratch.filePath(QStringLiteral("registry")).toUtf8());
    if (!guitest::RegisterComponents()) {
        std::fprintf(stderr, "cannot register the engine\n");
        return 1;
    }
    guitest::Program program;
    if (!program.Start())
        return 1;
    CMainFrame* main = program.app()->mainFrame();
    main->resize(1024, 700);
    bool ok = Save(main, folder, QStringLiteral("main-empty.png"));

    program.chooserAnswers.push_back(QStringLiteral(CORVANE_DEMO_MAP));
    guitest::WhenModal([&](QWidget* dialog) {
        dialog->findChild<QPushButton*>(QStringLiteral("browseButton"))->click();
        ok = Save(dialog, folder, QStringLiteral("create-workspace.png")) && ok;
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    main->action(Cmd::New)->trigger();
    CChildFrame* frame = main->activeChildFrame();
    if (!frame)
        return 1;
    ok = Save(main, folder, QStringLiteral("main-system-information.png")) && ok;
    ShowLargestGroup(frame, TreeItemKind::CmosGroup);
    frame->rightView()->cmosList()->setCurrentItem(frame->rightView()->cmosList()->topLevelItem(0));
    main->UpdateCommandUI();
    main->action(Cmd::Lock)->trigger();
    ok = Save(main, folder, QStringLiteral("main-cmos.png")) && ok;
    ShowLargestGroup(frame, TreeItemKind::Smbios);
    ok = Save(main, folder, QStringLiteral("main-smbios.png")) && ok;
    ShowLargestGroup(frame, TreeItemKind::ThermGroup);
    ok = Save(main, folder, QStringLiteral("main-thermal.png")) && ok;
    ShowLargestGroup(frame, TreeItemKind::Modules);
    ok = Save(main, folder, QStringLiteral("main-modules.png")) && ok;
    ok = ShootSettingsAcrossGroups(main, frame, folder) && ok;
    ok = SaveSplashEditor(main, folder, scratch) && ok;
    ok = SaveDialog(main, Cmd::GenerateIni, folder, QStringLiteral("generate-ini.png")) && ok;
    ok = SaveDialog(main, Cmd::GenerateReport, folder, QStringLiteral("generate-report.png")) && ok;
    ok = SaveDialog(main, Cmd::Options, folder, QStringLiteral("options.png")) && ok;
    // The workspace window restored: its own title names the workspace, marked modified.
    if (QWidget* window = frame->parentWidget()) {
        window->showNormal();
        window->setGeometry(30, 20, 760, 480);
        ok = Save(main, folder, QStringLiteral("main-workspace-window.png")) && ok;
        window->showMaximized();
    }
    ok = ShootComparison(program, folder, scratch) && ok;
    return ShootMediaWizard(program, folder) && ok ? 0 : 1;
}
