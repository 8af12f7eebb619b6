// The Options dialog.
#include "gui/output/options_dlg.h"

#include "gui/common/message_box.h"
#include "gui/output/output_texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct FieldInfo {
    const char* label;
    const char* name;
};

// In the order the fields are checked.
constexpr FieldInfo kFields[] = {{"Workspace default directory", "cvwDir"},
                                 {"BIOS default directory", "biosDir"},
                                 {"INI default directory", "iniDir"},
                                 {"Report default directory", "reportDir"}};

} // namespace

bool IsValidDirectoryField(const QString& text) {
    return text.isEmpty() || QFileInfo(text).isDir();
}

COptionsDlg::COptionsDlg(const COptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
    setWindowTitle(QStringLiteral("Options"));
    setObjectName(QStringLiteral("optionsDialog"));
    auto* layout = new QGridLayout(this);
    const QString texts[kFieldCount] = {options.cvwDefaultDir, options.biosDefaultDir,
                                        options.iniDefaultDir, options.reportDefaultDir};
    for (int i = 0; i < kFieldCount; ++i) {
        const QString name = QString::fromLatin1(kFields[i].name);
        layout->addWidget(new QLabel(QString::fromLatin1(kFields[i].label), this), 2 * i, 0, 1, 2);
        edits_[i] = new QLineEdit(texts[i], this);
        edits_[i]->setObjectName(name + QStringLiteral("Edit"));
        edits_[i]->setMinimumWidth(320);
        layout->addWidget(edits_[i], 2 * i + 1, 0);
        auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
        browse->setObjectName(name + QStringLiteral("BrowseButton"));
        browse->setAutoDefault(false);
        layout->addWidget(browse, 2 * i + 1, 1);
        connect(browse, &QPushButton::clicked, this,
                [this, i] { OnBrowse(static_cast<Field>(i)); });
    }
    advanced_ =
        new QCheckBox(QStringLiteral("Warn me before modifying advanced CMOS settings"), this);
    advanced_->setObjectName(QStringLiteral("warnAdvancedBox"));
    advanced_->setChecked(options.warnAdvancedCmos);
    layout->addWidget(advanced_, 2 * kFieldCount, 0, 1, 2);
    thermal_ =
        new QCheckBox(QStringLiteral("Warn me before modifying Halvex Thermaline settings"), this);
    thermal_->setObjectName(QStringLiteral("warnThermalBox"));
    thermal_->setChecked(options.warnThermal);
    layout->addWidget(thermal_, 2 * kFieldCount + 1, 0, 1, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    layout->addWidget(buttons, 2 * kFieldCount + 2, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsDlg::reject);
}

void COptionsDlg::OnBrowse(Field field) {
    CFileChooser::Request request;
    request.mode = CFileChooser::Mode::Folder;
    request.title = QStringLiteral("Choose Directory");
    request.start = edits_[field]->text();
    const QString folder = CFileChooser::Choose(this, request);
    if (!folder.isEmpty())
        edits_[field]->setText(folder);
}

void COptionsDlg::accept() {
    for (QLineEdit* edit : edits_) {
        if (!IsValidDirectoryField(edit->text())) {
            CMessageBox::Error(cvkgui::text::kInvalidDirectory);
            edit->setFocus();
            return;
        }
    }
    options_.cvwDefaultDir = edits_[Workspace]->text();
    options_.biosDefaultDir = edits_[Bios]->text();
    options_.iniDefaultDir = edits_[Ini]->text();
    options_.reportDefaultDir = edits_[Report]->text();
    options_.warnAdvancedCmos = advanced_->isChecked();
    options_.warnThermal = thermal_->isChecked();
    QDialog::accept();
}
