// The search field over the settings view.
#include "gui/settings/search_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

CSearchBar::CSearchBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("searchBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(QStringLiteral("&Find:"), this);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("searchEdit"));
    edit_->setPlaceholderText(QStringLiteral("Name, keyword, help text or choice"));
    edit_->installEventFilter(this);
    label->setBuddy(edit_);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("searchCount"));
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("searchClose"));
    close->setText(QStringLiteral("Close"));
    close->setToolTip(QStringLiteral("Close the search (Esc)"));
    layout->addWidget(label);
    layout->addWidget(edit_, 1);
    layout->addWidget(count_);
    layout->addWidget(close);
    connect(edit_, &QLineEdit::textChanged, this, &CSearchBar::textChanged);
    connect(edit_, &QLineEdit::returnPressed, this, &CSearchBar::accepted);
    connect(close, &QToolButton::clicked, this, &CSearchBar::closed);
}

QString CSearchBar::text() const {
    return edit_->text();
}

void CSearchBar::Open() {
    show();
    edit_->setFocus();
    edit_->selectAll();
}

void CSearchBar::ShowCount(int found, int shown) {
    if (edit_->text().isEmpty())
        count_->clear();
    else if (found == 1)
        count_->setText(QStringLiteral("1 setting found"));
    else if (found <= shown)
        count_->setText(QStringLiteral("%1 settings found").arg(found));
    else
        count_->setText(
            QStringLiteral("%1 settings found, the first %2 shown").arg(found).arg(shown));
}

bool CSearchBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::FocusIn)
        Q_EMIT focused();
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            Q_EMIT closed();
            return true;
        }
        if (key == Qt::Key_Down) {
            Q_EMIT downPressed();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
