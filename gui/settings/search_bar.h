// CSearchBar: the search field over the settings view: the text, how many settings it finds,
// and a close button. Enter chooses, Esc closes, Down moves into the results.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

class CSearchBar : public QWidget {
    Q_OBJECT
public:
    explicit CSearchBar(QWidget* parent);

    QLineEdit* edit() const { return edit_; }
    QString text() const;
    // Shows the bar with the keyboard focus in the field and its text selected.
    void Open();
    void ShowCount(int found, int shown);

Q_SIGNALS:
    void textChanged(const QString& text);
    void focused();
    void accepted();
    void closed();
    void downPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_ = nullptr;
    QLabel* count_ = nullptr;
};
