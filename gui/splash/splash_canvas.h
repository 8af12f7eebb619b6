// CSplashCanvas: the preview of the BIOS screen: black, the picture scaled to the screen, and
// the badge at its place when it is displayed.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

class CSplashCanvas : public QWidget {
    Q_OBJECT
public:
    explicit CSplashCanvas(QWidget* parent);

    // Sizes the canvas to the screen and scales `picture` to it.
    void SetPicture(const QImage& picture, const QSize& screen);
    void SetBadge(const QImage& badge);
    void SetBadgeShown(bool shown);
    // Moves the badge, redrawing the old and the new area.
    void MoveBadge(const QPoint& position);

    const QPixmap& scaledPicture() const { return scaled_; }
    QPoint badgePosition() const { return badgePosition_; }
    bool badgeShown() const { return badgeShown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect BadgeRect() const { return QRect(badgePosition_, badge_.size()); }

    QPixmap scaled_;
    QImage badge_;
    QPoint badgePosition_;
    bool badgeShown_ = false;
};
