// CSplashWnd: the start-up picture, borderless and centred above other windows.
#pragma once

#include <QLabel>
#include <QTimer>

class CSplashWnd : public QLabel {
    Q_OBJECT
public:
    CSplashWnd();
    // Shows the window; it hides and destroys itself `milliseconds` later (plus 10 ms).
    void ShowFor(int milliseconds);
    // Hides, stops the timer, releases the mouse and destroys the window.
    void HideSplash();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTimer timer_;
};
