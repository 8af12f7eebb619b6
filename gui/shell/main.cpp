// corvane: the desktop program.
#include "gui/shell/cvk_app.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.contains(QStringLiteral("--version"))) {
        QTextStream(stdout) << "corvane 2.10.0.0012" << Qt::endl;
        return 0;
    }
    if (arguments.contains(QStringLiteral("--help"))) {
        QTextStream(stdout) << "usage: corvane [WORKSPACE.cvw]\n"
                               "       corvane --version\n"
                               "       corvane --help\n";
        return 0;
    }
    CCvkApp app;
    if (!app.InitInstance(arguments))
        return 1;
    return QApplication::exec();
}
