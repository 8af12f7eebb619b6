// The two warnings shown before editing advanced CMOS settings and thermal settings.
#pragma once

#include <QDialog>

#include <functional>

struct CPreferences;
class QCheckBox;

// A warning with an OK button and "In the future, do not show this warning"; clicking the box
// sets the warning's flag to the opposite of the box's state at once.
class CWarningDlg : public QDialog {
    Q_OBJECT
public:
    CWarningDlg(const QString& text, std::function<void(int)> setFlag, QWidget* parent);
    QCheckBox* checkBox() const { return check_; }

private:
    QCheckBox* check_ = nullptr;
};

class CAdvancedWarningDlg : public CWarningDlg {
    Q_OBJECT
public:
    CAdvancedWarningDlg(CPreferences& prefs, QWidget* parent);
};

class CThermalWarningDlg : public CWarningDlg {
    Q_OBJECT
public:
    CThermalWarningDlg(CPreferences& prefs, QWidget* parent);
};
