// The splash window.
#include "gui/shell/splash_wnd.h"

#include "gui/common/icons.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

CSplashWnd::CSplashWnd()
    : QLabel(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("splashWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setPixmap(cvkgui::icons::Splash());
    adjustSize();
    setCursor(Qt::ArrowCursor);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &CSplashWnd::HideSplash);
}

void CSplashWnd::ShowFor(int milliseconds) {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    raise();
    grabMouse();
    timer_.start(milliseconds + 10);
}

void CSplashWnd::HideSplash() {
    hide();
    timer_.stop();
    releaseMouse();
    close();
}

void CSplashWnd::mousePressEvent(QMouseEvent* event) {
    // The splash holds the mouse while it is up; clicks go nowhere.
    event->accept();
}
