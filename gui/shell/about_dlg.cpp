// The About box.
#include "gui/shell/about_dlg.h"

#include "gui/common/engine_call.h"
#include "gui/common/icons.h"
#include "gui/common/operation_guard.h"
#include "gui/shell/cvk_app.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

QLineEdit* ValueField(const QString& text, const char* name, QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    return field;
}

} // namespace

QString CAboutDlg::GuiVersion() {
    return QString::asprintf("%d.%2.2d.%1.1d.%4.4d", 2, 10, 0, 12);
}

QString CAboutDlg::CvtoolVersion() {
    return QString::asprintf("%d.%2.2d.%4.4d", 2, 10, 5);
}

CAboutDlg::CAboutDlg(CCvkApp* app, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Halvex(R) Corvane"));
    QString engine;
    QString modweave;
    // The box shows what it could read.
    cvkgui::GuardOperation(cvkgui::Quietly(), [&] {
        cvk::ComPtr<IServer> server = app->GetServer();
        if (server) {
            engine = GetText(server.get(), &IServer::get_Version);
            modweave = GetText(server.get(), &IServer::get_ModweaveVersion);
        }
    });
    auto* layout = new QFormLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(cvkgui::icons::Splash().scaledToWidth(260, Qt::SmoothTransformation));
    layout->addRow(picture);
    layout->addRow(QStringLiteral("Halvex Corvane:"), ValueField(GuiVersion(), "guiVersion", this));
    layout->addRow(QStringLiteral("Detected CvkServer.dll:"),
                   ValueField(engine, "engineVersion", this));
    layout->addRow(QStringLiteral("Compatible cvtool.exe:"),
                   ValueField(CvtoolVersion(), "cvtoolVersion", this));
    layout->addRow(QStringLiteral("Detected Modweave.dll:"),
                   ValueField(modweave, "modweaveVersion", this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}
