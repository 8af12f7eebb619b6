// corvane: the desktop program. Its window lands with the GUI work; for now it answers --version.
#include "engine/core/version.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (QApplication::arguments().contains(QStringLiteral("--version"))) {
        QTextStream(stdout) << "corvane " << QString::fromStdString(cvk::EngineVersionText())
                            << Qt::endl;
        return 0;
    }
    return 0;
}
