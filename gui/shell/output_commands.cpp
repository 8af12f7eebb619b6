// The output commands and Options, run for the application.
#include "gui/shell/output_commands.h"

#include "gui/common/engine_call.h"
#include "gui/common/operation_guard.h"
#include "gui/document/cvk_doc.h"
#include "gui/output/generate_dlg.h"
#include "gui/output/options_dlg.h"
#include "gui/shell/cvk_app.h"
#include "gui/shell/main_frame.h"

namespace {

void RunOptions(CCvkApp* app) {
    COptions options{app->cvwDefaultDir(),         app->biosDefaultDir(),
                     app->iniDefaultDir(),         app->reportDefaultDir(),
                     app->warnAdvancedCmos() != 0, app->warnThermal() != 0};
    COptionsDlg dialog(options, app->mainFrame());
    if (dialog.exec() != QDialog::Accepted)
        return;
    options = dialog.options();
    app->setCvwDefaultDir(options.cvwDefaultDir);
    app->setBiosDefaultDir(options.biosDefaultDir);
    app->setIniDefaultDir(options.iniDefaultDir);
    app->setReportDefaultDir(options.reportDefaultDir);
    app->setWarnAdvancedCmos(options.warnAdvancedCmos ? 1 : 0);
    app->setWarnThermal(options.warnThermal ? 1 : 0);
}

OutputEnd RunWorkspaceCommand(CCvkApp* app, Cmd id, IWorkspace* workspace) {
    if (id == Cmd::GenerateBiosFile)
        return GenerateBiosFile(workspace, app->biosDefaultDir(), app->mainFrame());
    const cvk::ComPtr<IServer> server = app->GetServer();
    const bool ini = id == Cmd::GenerateIni;
    CGenerateDlg dialog(ini ? CGenerateDlg::Ini : CGenerateDlg::Report, server.get(), workspace,
                        ini ? app->iniDefaultDir() : app->reportDefaultDir(), app->mainFrame());
    return dialog.Run();
}

} // namespace

void RunOutputCommand(CCvkApp* app, Cmd id) {
    if (id == Cmd::Options) {
        RunOptions(app);
        return;
    }
    CCvkDoc* doc = app->activeDocument();
    if (!doc || !doc->hasWorkspace())
        return;
    cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        if (RunWorkspaceCommand(app, id, doc->GetWorkspace().get()) == OutputEnd::CloseProgram)
            app->PostClose();
    });
}
