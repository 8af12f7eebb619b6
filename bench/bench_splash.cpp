// bench_splash: opening a 1024 x 768 JPEG and scaling it into the splash editor's preview, as
// the editor does when the user picks a picture; prints the time per picture.
#include "gui/splash/splash_canvas.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir scratch;
    QImage source(1024, 768, QImage::Format_RGB32);
    {
        QPainter painter(&source);
        QLinearGradient gradient(0, 0, 1024, 768);
        gradient.setColorAt(0, QColor(200, 40, 40));
        gradient.setColorAt(1, QColor(40, 40, 200));
        painter.fillRect(source.rect(), gradient);
        for (int i = 0; i < 768; i += 16)
            painter.drawLine(0, i, 1024, 768 - i);
    }
    const QString path = scratch.filePath(QStringLiteral("picture.jpg"));
    if (!source.save(path, "JPEG", 90))
        return 1;
    CSplashCanvas canvas(nullptr);
    const struct {
        const char* name;
        QSize screen;
    } screens[] = {
        {"1024x768", QSize(1024, 768)}, {"800x600", QSize(800, 600)}, {"640x480", QSize(640, 480)}};
    constexpr int kRounds = 20;
    for (const auto& screen : screens) {
        QElapsedTimer timer;
        timer.start();
        qint64 decode = 0;
        for (int i = 0; i < kRounds; ++i) {
            QElapsedTimer step;
            step.start();
            const QImage picture = QImageReader(path).read();
            decode += step.nsecsElapsed();
            canvas.SetPicture(picture, screen.screen);
        }
        const double total = double(timer.nsecsElapsed()) / kRounds / 1e6;
        std::printf("1024x768 JPEG into the %s preview: %.1f ms per picture (decoding %.1f ms, "
                    "scaling %.1f ms), %d rounds\n",
                    screen.name, total, double(decode) / kRounds / 1e6,
                    total - double(decode) / kRounds / 1e6, kRounds);
    }
    return 0;
}
