// The custom badge position.
#include "gui/splash/badge_location_dlg.h"

#include "gui/common/message_box.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A whole number from 0 to kMaxPosition, or -1.
int FieldValue(const QLineEdit* field) {
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    return ok && value >= 0 && value <= CBadgeLocationDlg::kMaxPosition ? value : -1;
}

} // namespace

CBadgeLocationDlg::CBadgeLocationDlg(const QPoint& position, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("badgeLocationDlg"));
    setWindowTitle(QStringLiteral("Custom Badge Location"));
    setAttribute(Qt::WA_DeleteOnClose);
    x_ = new QLineEdit(QString::number(position.x()), this);
    x_->setObjectName(QStringLiteral("positionWidth"));
    y_ = new QLineEdit(QString::number(position.y()), this);
    y_->setObjectName(QStringLiteral("positionHeight"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CBadgeLocationDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CBadgeLocationDlg::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Position Width"), x_);
    layout->addRow(QStringLiteral("Position Height"), y_);
    layout->addRow(buttons);
}

void CBadgeLocationDlg::accept() {
    for (QLineEdit* field : {x_, y_}) {
        if (FieldValue(field) < 0) {
            CMessageBox::Exclamation(
                QStringLiteral("Please enter an integer between 0 and %1.").arg(kMaxPosition));
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    Q_EMIT positionChosen(QPoint(FieldValue(x_), FieldValue(y_)));
    QDialog::accept();
}
