// CBadgeLocationDlg: "Custom Badge Location", the modeless dialog for a free badge position.
#pragma once

#include <QDialog>

class QLineEdit;

class CBadgeLocationDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxPosition = 1024;

    CBadgeLocationDlg(const QPoint& position, QWidget* parent);

    QLineEdit* xField() const { return x_; }
    QLineEdit* yField() const { return y_; }

    // OK: both fields must hold a whole number from 0 to 1024.
    void accept() override;

Q_SIGNALS:
    void positionChosen(const QPoint& position);

private:
    QLineEdit* x_;
    QLineEdit* y_;
};
