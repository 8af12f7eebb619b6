// The splash preview.
#include "gui/splash/splash_canvas.h"

#include <QPaintEvent>
#include <QPainter>

CSplashCanvas::CSplashCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("splashCanvas"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSplashCanvas::SetPicture(const QImage& picture, const QSize& screen) {
    setFixedSize(screen);
    scaled_ =
        QPixmap::fromImage(picture.scaled(screen, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    update();
}

void CSplashCanvas::SetBadge(const QImage& badge) {
    badge_ = badge;
    update();
}

void CSplashCanvas::SetBadgeShown(bool shown) {
    badgeShown_ = shown;
    update(BadgeRect());
}

void CSplashCanvas::MoveBadge(const QPoint& position) {
    update(BadgeRect());
    badgePosition_ = position;
    update(BadgeRect());
}

void CSplashCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    if (!scaled_.isNull())
        painter.drawPixmap(0, 0, scaled_);
    if (badgeShown_ && !badge_.isNull())
        painter.drawImage(badgePosition_, badge_);
}
