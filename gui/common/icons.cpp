// The program's pictures.
#include "gui/common/icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace cvkgui::icons {

namespace {

constexpr int kSize = 16;

QPixmap EmptyMark() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon Blank() {
    return QIcon(EmptyMark());
}

QIcon Advanced() {
    QPixmap pixmap = EmptyMark();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(230, 160, 0));
    p.setPen(QColor(120, 80, 0));
    QPolygonF triangle({QPointF(8, 1), QPointF(15, 14), QPointF(1, 14)});
    p.drawPolygon(triangle);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(8, 5), QPointF(8, 10));
    p.drawPoint(QPointF(8, 12.5));
    return QIcon(pixmap);
}

QIcon Lock() {
    QPixmap pixmap = EmptyMark();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 1, 8, 9), 0, 180 * 16);
    p.drawLine(QPointF(4, 5.5), QPointF(4, 8));
    p.drawLine(QPointF(12, 5.5), QPointF(12, 8));
    p.setPen(QColor(120, 90, 0));
    p.setBrush(QColor(220, 180, 40));
    p.drawRect(QRectF(2.5, 7.5, 11, 7));
    return QIcon(pixmap);
}

QIcon Hide() {
    QPixmap pixmap = EmptyMark();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath eye;
    eye.moveTo(1, 8);
    eye.quadTo(8, 1, 15, 8);
    eye.quadTo(8, 15, 1, 8);
    p.setPen(QPen(QColor(40, 40, 120), 1.2));
    p.setBrush(Qt::white);
    p.drawPath(eye);
    p.setBrush(QColor(40, 40, 120));
    p.drawEllipse(QPointF(8, 8), 2.5, 2.5);
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(QPointF(2, 14), QPointF(14, 2));
    return QIcon(pixmap);
}

QIcon Prompt() {
    QPixmap pixmap = EmptyMark();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 80, 0));
    p.setBrush(QColor(120, 200, 120));
    p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 2, 2);
    p.drawPolygon(QPolygonF({QPointF(4, 11.5), QPointF(8, 11.5), QPointF(4, 15)}));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(5, 7), QPointF(11, 7));
    return QIcon(pixmap);
}

namespace {

constexpr int kToolSize = 24;

QPixmap EmptyTool() {
    QPixmap pixmap(kToolSize, kToolSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawPage(QPainter& p, const QRectF& page) {
    p.setPen(QColor(80, 80, 80));
    p.setBrush(Qt::white);
    p.drawRect(page);
    p.setPen(QColor(170, 170, 170));
    for (qreal y = page.top() + 4; y < page.bottom() - 2; y += 3)
        p.drawLine(QPointF(page.left() + 3, y), QPointF(page.right() - 3, y));
}

} // namespace

QIcon Cut() {
    QPixmap pixmap = EmptyTool();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.drawLine(QPointF(7, 3), QPointF(15, 16));
    p.drawLine(QPointF(17, 3), QPointF(9, 16));
    p.setPen(QPen(QColor(180, 20, 20), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(7, 18), 3.2, 3.2);
    p.drawEllipse(QPointF(17, 18), 3.2, 3.2);
    return QIcon(pixmap);
}

QIcon Copy() {
    QPixmap pixmap = EmptyTool();
    QPainter p(&pixmap);
    DrawPage(p, QRectF(2.5, 2.5, 12, 15));
    DrawPage(p, QRectF(9.5, 6.5, 12, 15));
    return QIcon(pixmap);
}

QIcon Paste() {
    QPixmap pixmap = EmptyTool();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(110, 70, 20));
    p.setBrush(QColor(200, 150, 80));
    p.drawRoundedRect(QRectF(3.5, 4.5, 14, 17), 2, 2);
    p.setBrush(QColor(120, 120, 120));
    p.drawRect(QRectF(7.5, 2.5, 6, 4));
    DrawPage(p, QRectF(10.5, 9.5, 11, 12));
    return QIcon(pixmap);
}

QIcon Help() {
    QPixmap pixmap = EmptyTool();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(20, 60, 140));
    p.setBrush(QColor(60, 120, 220));
    p.drawEllipse(QRectF(2, 2, 20, 20));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
    return QIcon(pixmap);
}

QIcon Page(const QString& label, const QColor& colour) {
    QPixmap pixmap = EmptyTool();
    QPainter p(&pixmap);
    DrawPage(p, QRectF(3.5, 1.5, 17, 21));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(1, 12, 22, 9));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(8);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 12, 22, 9), Qt::AlignCenter, label);
    return QIcon(pixmap);
}

QPixmap Splash() {
    QPixmap pixmap(420, 220);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, pixmap.height());
    background.setColorAt(0, QColor(18, 52, 110));
    background.setColorAt(1, QColor(6, 18, 40));
    p.fillRect(pixmap.rect(), background);
    p.setPen(QColor(255, 255, 255));
    QFont title = p.font();
    title.setPointSize(24);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 50, pixmap.width(), 50), Qt::AlignCenter, QStringLiteral("Corvane"));
    QFont small = p.font();
    small.setPointSize(10);
    small.setBold(false);
    p.setFont(small);
    p.setPen(QColor(190, 210, 240));
    p.drawText(QRect(0, 105, pixmap.width(), 24), Qt::AlignCenter,
               QStringLiteral("Halvex(R) Corvane 2.1"));
    p.drawText(QRect(0, 130, pixmap.width(), 24), Qt::AlignCenter,
               QStringLiteral("BIOS customisation for system builders"));
    p.setPen(QPen(QColor(90, 140, 220), 2));
    p.drawRect(pixmap.rect().adjusted(1, 1, -2, -2));
    return pixmap;
}

} // namespace cvkgui::icons
