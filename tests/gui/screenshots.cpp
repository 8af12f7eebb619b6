// gui_screenshots: opens the demo board in the program and writes PNG pictures of the main
// window, "Create A Workspace", the INI and report dialogs, Options and "Generate Media" into the
// folder named on the command line.
#include "gui/document/cvk_doc.h"
#include "gui/media/generate_floppy_sheet.h"
#include "gui/settings/cmos_list.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/main_frame.h"
#include "tests/gui/support/gui_test_support.h"

#include <QApplication>
#include <QLineEdit>
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
    QList<QTreeWidgetItem*> pending;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        pending.append(tree->topLevelItem(i));
    while (!pending.isEmpty()) {
        QTreeWidgetItem* item = pending.takeFirst();
        for (int c = 0; c < item->childCount(); ++c)
            pending.append(item->child(c));
        if (tree->DataOf(item)->kind != kind)
            continue;
        tree->setCurrentItem(item);
        const auto* list = static_cast<QTreeWidget*>(frame->rightView()->visibleList());
        if (list && list->topLevelItemCount() > most) {
            most = list->topLevelItemCount();
            best = item;
        }
    }
    tree->expandAll();
    tree->setCurrentItem(best);
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
    ok = SaveDialog(main, Cmd::GenerateIni, folder, QStringLiteral("generate-ini.png")) && ok;
    ok = SaveDialog(main, Cmd::GenerateReport, folder, QStringLiteral("generate-report.png")) && ok;
    ok = SaveDialog(main, Cmd::Options, folder, QStringLiteral("options.png")) && ok;
    return ShootMediaWizard(program, folder) && ok ? 0 : 1;
}
