// Modular boards for the window tests.
#include "tests/gui/modules/modular_board.h"

#include "tools/cvkgen/board.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>

namespace guitest {

const QByteArray kTestModules = R"({
  "version": "T.0001", "flashPartSize": "0x40000", "requiredContent": 65536,
  "logo": {"badge": [0, 0], "displayBadge": false, "resolution": "640x480"},
  "list": [
    {"handle": 1, "name": "Core", "required": true, "size": 65536},
    {"handle": 2, "name": "Net Boot", "size": 20000, "depends": [3]},
    {"handle": 3, "name": "Net Driver", "size": 10000, "depends": [4]},
    {"handle": 4, "name": "Net Stack", "size": 5000},
    {"handle": 5, "name": "Splash Logo", "type": "logo", "default": true, "size": 16384,
     "userUpdateable": true},
    {"handle": 6, "name": "Boot Menu", "default": true, "size": 4096, "userUpdateable": true},
    {"handle": 10, "name": "Badge 640x480", "type": "badge", "default": true, "size": 2048},
    {"handle": 11, "name": "Badge 800x600", "type": "badge", "size": 3072},
    {"handle": 12, "name": "Badge 1024x768", "type": "badge", "size": 4096}
  ]})";

bool WriteModularBoard(const QString& path, const QByteArray& modulesJson) {
    QFile file(QStringLiteral(CORVANE_DEMO_BOARD));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonObject board = QJsonDocument::fromJson(file.readAll()).object();
    board.insert(QStringLiteral("modules"), QJsonDocument::fromJson(modulesJson).object());
    return WriteBoardWithImage(path, QJsonDocument(board).toJson().toStdString());
}

bool WriteBoardWithImage(const QString& path, const std::string& boardJson) {
    try {
        const cvkgen::Board parsed = cvkgen::ParseBoard(boardJson);
        cvkgen::SaveFileAtomically(path.toStdString(),
                                   cvkgen::WriteMapFile(cvkgen::BuildMapFile(parsed)));
        QString image = path;
        image.replace(image.size() - 3, 3, QStringLiteral("bio"));
        cvkgen::WriteFlashImage(*parsed.modules, image.toStdString());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

cvk::ComPtr<IFlex> FlexOf(IWorkspace* workspace) {
    cvk::ComPtr<IFlex> flex;
    workspace->get_Flex(flex.put());
    return flex;
}

cvk::ComPtr<IFlexModule> ModuleOf(IFlex* flex, LONG handle) {
    cvk::ComPtr<IFlexModuleList> list;
    cvk::ComPtr<IFlexModule> module;
    if (SUCCEEDED(flex->get_OptionalModuleList(list.put())) && list)
        list->GetModule(handle, module.put());
    return module;
}

cvk::ComPtr<IFlexLogoModule> LogoOf(IFlex* flex) {
    cvk::ComPtr<IFlexLogoModule> logo;
    if (cvk::ComPtr<IFlexModule> module = ModuleOf(flex, 5))
        module->QueryInterface(IFlexLogoModule::iid, logo.put_void());
    return logo;
}

bool InUpdate(IFlexModule* module) {
    VARIANT_BOOL in = VARIANT_FALSE;
    module->get_InUpdate(&in);
    return in != VARIANT_FALSE;
}

bool WritePicture(const QString& path, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(200, 60, 30));
    gradient.setColorAt(1, QColor(30, 60, 200));
    painter.fillRect(picture.rect(), gradient);
    painter.setPen(Qt::white);
    painter.drawText(picture.rect(), Qt::AlignCenter,
                     QStringLiteral("%1 x %2").arg(width).arg(height));
    painter.end();
    return picture.save(path);
}

} // namespace guitest
