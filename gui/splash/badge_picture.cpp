// Badge pictures, drawn in code so that their sizes follow the badge table exactly.
#include "gui/splash/badge_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// A plaque with a rounded top and a pointed foot, a ring and the maker's name.
void DrawBadge(QPainter& painter, const QSizeF& size) {
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal edge = w * 0.04;
    QPainterPath plaque;
    plaque.moveTo(edge, h * 0.12);
    plaque.quadTo(edge, edge, w * 0.15, edge);
    plaque.lineTo(w * 0.85, edge);
    plaque.quadTo(w - edge, edge, w - edge, h * 0.12);
    plaque.lineTo(w - edge, h * 0.72);
    plaque.lineTo(w / 2, h - edge);
    plaque.lineTo(edge, h * 0.72);
    plaque.closeSubpath();

    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, QColor(40, 110, 200));
    fill.setColorAt(1, QColor(10, 40, 100));
    painter.setPen(QPen(QColor(220, 225, 235), edge));
    painter.setBrush(fill);
    painter.drawPath(plaque);

    const qreal ring = w * 0.5;
    const QRectF ringRect((w - ring) / 2, h * 0.1, ring, ring);
    painter.setPen(QPen(Qt::white, w * 0.05));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(ringRect);
    // A stylised C in the ring.
    painter.setPen(QPen(QColor(255, 200, 40), w * 0.07, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ringRect.adjusted(ring * 0.22, ring * 0.22, -ring * 0.22, -ring * 0.22),
                    45 * 16, 270 * 16);

    QFont font;
    font.setBold(true);
    font.setPixelSize(qMax(8, int(w * 0.15)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, h * 0.56, w, h * 0.14), Qt::AlignCenter, QStringLiteral("HALVEX"));
}

} // namespace

QImage BadgePicture(cvkclient::LogoScreen screen) {
    const cvkclient::PixelSize size = cvkclient::BadgeSize(screen);
    QImage image(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawBadge(painter, QSizeF(size.width, size.height));
    return image;
}
