// The Options dialog: the default directories of the choosers and the two warnings.
#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QLineEdit;

// The application settings the dialog edits; an empty directory means none.
struct COptions {
    QString cvwDefaultDir;
    QString biosDefaultDir;
    QString iniDefaultDir;
    QString reportDefaultDir;
    bool warnAdvancedCmos = true;
    bool warnThermal = true;
};

class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    COptionsDlg(const COptions& options, QWidget* parent);
    // The values as the user left them; meaningful once the dialog was accepted.
    const COptions& options() const { return options_; }

    void accept() override;

private:
    enum Field { Workspace, Bios, Ini, Report, kFieldCount };
    void OnBrowse(Field field);

    COptions options_;
    std::array<QLineEdit*, kFieldCount> edits_{};
    QCheckBox* advanced_ = nullptr;
    QCheckBox* thermal_ = nullptr;
};

// True when `text` is empty or names an existing directory.
bool IsValidDirectoryField(const QString& text);
