// The warning dialogs.
#include "gui/settings/warning_dlg.h"

#include "gui/common/preferences.h"
#include "gui/common/strings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>

CWarningDlg::CWarningDlg(const QString& text, std::function<void(int)> setFlag, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("warningDialog"));
    setWindowTitle(cvkgui::text::kWarningTitle);
    auto* layout = new QGridLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    layout->addWidget(picture, 0, 0, Qt::AlignTop);
    auto* message = new QLabel(text, this);
    message->setObjectName(QStringLiteral("warningText"));
    message->setWordWrap(true);
    message->setMinimumWidth(320);
    layout->addWidget(message, 0, 1);
    check_ = new QCheckBox(cvkgui::text::kWarningCheck, this);
    check_->setObjectName(QStringLiteral("doNotShowBox"));
    layout->addWidget(check_, 1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons, 2, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(check_, &QCheckBox::clicked, this,
            [setFlag = std::move(setFlag)](bool checked) { setFlag(checked ? 0 : 1); });
}

CAdvancedWarningDlg::CAdvancedWarningDlg(CPreferences& prefs, QWidget* parent)
    : CWarningDlg(
          cvkgui::text::kAdvancedWarning, [&prefs](int on) { prefs.warnAdvancedCmos = on; },
          parent) {}

CThermalWarningDlg::CThermalWarningDlg(CPreferences& prefs, QWidget* parent)
    : CWarningDlg(
          cvkgui::text::kThermalWarning, [&prefs](int on) { prefs.warnThermal = on; }, parent) {}
