// The two pages of the Generate Media wizard.
#include "gui/media/generate_floppy_pages.h"

#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/document/workspace_dialogs.h"
#include "gui/media/folder_picker.h"
#include "media/base_name.h"
#include "media/messages.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

namespace media = cvk::media;

QCheckBox* NewBox(const char* text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLineEdit* NewEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPushButton* NewBrowse(const char* name, QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("Browse..."), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// The chosen file when it has the extension its box expects, else message 131 and nothing.
QString AcceptChosen(const QString& path, const QString& suffix) {
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) != 0) {
        CMessageBox::Exclamation(QString::fromLatin1(media::kWrongFileFormat));
        return {};
    }
    return path;
}

} // namespace

CGenerateFloppyFilesPage::CGenerateFloppyFilesPage(IServer* server, IWorkspace* workspace,
                                                   media::DiskSpaceQuery spaceQuery,
                                                   QWidget* parent)
    : QWizardPage(parent), server_(server), spaceQuery_(std::move(spaceQuery)) {
    setTitle(QStringLiteral("Files"));
    setObjectName(QStringLiteral("filesPage"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Destination:"), this), 0, 0);
    destination_ = NewEdit("destinationEdit", this);
    layout->addWidget(destination_, 0, 1);
    auto* browse = NewBrowse("destinationBrowse", this);
    layout->addWidget(browse, 0, 2);
    freeSpace_ = new QLabel(this);
    freeSpace_->setObjectName(QStringLiteral("freeSpaceLabel"));
    layout->addWidget(freeSpace_, 1, 1, 1, 2);
    batch_ = NewBox("Create Batch File", "createBatchBox", this);
    batch_->setChecked(true);
    layout->addWidget(batch_, 2, 0, 1, 3);
    components_ = new CComponentBoxes(QStringLiteral("Install Components"), this);
    components_->box(CComponentBoxes::Thermaline)->setText(QStringLiteral("Halvex Thermaline"));
    layout->addWidget(components_, 3, 0, 1, 3);
    copyCvtool_ = NewBox("Copy cvtool.exe to disk", "copyCvtoolBox", this);
    copyCvtool_->setChecked(true);
    layout->addWidget(copyCvtool_, 4, 0, 1, 3);

    // Boxes of the subsystems the workspace has are ticked; the others are shown where the
    // engine offers them, unticked. The modules have no INI content and no box here.
    components_->SetMasks(CSubsystemMasks::Read(server));
    const LONG has = GetLong(workspace, &IWorkspace::get_SubsystemMask);
    for (int c = 0; c < CComponentBoxes::kCount; ++c) {
        const auto component = static_cast<CComponentBoxes::Component>(c);
        const bool shown =
            component != CComponentBoxes::Flex && components_->IsAvailable(component);
        components_->Present(component, shown, (has & components_->MaskOf(component)) != 0);
    }
    connect(destination_, &QLineEdit::textChanged, this,
            &CGenerateFloppyFilesPage::UpdateFreeSpace);
    connect(browse, &QPushButton::clicked, this, &CGenerateFloppyFilesPage::Browse);
    UpdateFreeSpace();
}

QString CGenerateFloppyFilesPage::destination() const {
    return destination_->text();
}

void CGenerateFloppyFilesPage::setDestination(const QString& folder) {
    destination_->setText(folder);
}

bool CGenerateFloppyFilesPage::createBatchFile() const {
    return batch_->isChecked();
}

bool CGenerateFloppyFilesPage::copyCvtool() const {
    return copyCvtool_->isChecked();
}

LONG CGenerateFloppyFilesPage::subsystemMask() const {
    components_->SetMasks(CSubsystemMasks::Read(server_));
    return components_->CheckedMask();
}

void CGenerateFloppyFilesPage::UpdateFreeSpace() {
    const std::string text = media::FreeSpaceText(destination_->text().toStdString(), spaceQuery_);
    freeSpace_->setText(QString::fromStdString(text));
}

void CGenerateFloppyFilesPage::Browse() {
    const QString folder =
        CFolderPicker::Choose(this, QStringLiteral("Destination"), destination_->text());
    if (!folder.isEmpty())
        destination_->setText(folder);
}

CGenerateFloppyOptionsPage::CGenerateFloppyOptionsPage(bool modularBios, QString utilityFolder,
                                                       QString biosFolder, QWidget* parent)
    : QWizardPage(parent), modular_(modularBios), utilityFolder_(std::move(utilityFolder)),
      biosFolder_(std::move(biosFolder)) {
    setTitle(QStringLiteral("Options"));
    setObjectName(QStringLiteral("optionsPage"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Base file name:"), this), 0, 0);
    baseName_ = NewEdit("baseNameEdit", this);
    baseName_->setMaxLength(int(media::kBaseNameMaxLength));
    baseName_->setText(QStringLiteral("cvtool"));
    layout->addWidget(baseName_, 0, 1);
    langPack_ = NewBox("Language Pack ", "langPackBox", this);
    langPackPath_ = NewEdit("langPackEdit", this);
    langPackBrowse_ = NewBrowse("langPackBrowse", this);
    layout->addWidget(langPack_, 1, 0);
    layout->addWidget(langPackPath_, 1, 1);
    layout->addWidget(langPackBrowse_, 1, 2);
    bios_ = NewBox("BIOS File", "biosBox", this);
    biosPath_ = NewEdit("biosEdit", this);
    auto* biosBrowse = NewBrowse("biosBrowse", this);
    layout->addWidget(bios_, 2, 0);
    layout->addWidget(biosPath_, 2, 1);
    layout->addWidget(biosBrowse, 2, 2);
    logging_ = NewBox("Enable Logging", "loggingBox", this);
    report_ = NewBox("Generate Report", "reportBox", this);
    romwrite_ = NewBox("Copy romwrite.exe to Disk", "copyRomwriteBox", this);
    layout->addWidget(logging_, 3, 0, 1, 3);
    layout->addWidget(report_, 4, 0, 1, 3);
    layout->addWidget(romwrite_, 5, 0, 1, 3);
    for (QWidget* widget : {static_cast<QWidget*>(langPack_), static_cast<QWidget*>(langPackPath_),
                            static_cast<QWidget*>(langPackBrowse_)})
        widget->setVisible(!modular_);
    connect(biosBrowse, &QPushButton::clicked, this, &CGenerateFloppyOptionsPage::BrowseBios);
    connect(langPackBrowse_, &QPushButton::clicked, this,
            &CGenerateFloppyOptionsPage::BrowseLangPack);
    connect(logging_, &QCheckBox::toggled, this, &CGenerateFloppyOptionsPage::UpdateCommandMask);
    connect(report_, &QCheckBox::toggled, this, &CGenerateFloppyOptionsPage::UpdateCommandMask);
}

void CGenerateFloppyOptionsPage::initializePage() {
    shown_ = true;
    UpdateCommandMask();
}

QString CGenerateFloppyOptionsPage::baseName() const {
    return shown_ ? baseName_->text() : QStringLiteral("cvtool");
}

bool CGenerateFloppyOptionsPage::copyLangPack() const {
    return shown_ && !modular_ && langPack_->isChecked();
}

QString CGenerateFloppyOptionsPage::langPackPath() const {
    return langPackPath_->text();
}

bool CGenerateFloppyOptionsPage::copyBios() const {
    return shown_ && bios_->isChecked();
}

QString CGenerateFloppyOptionsPage::biosPath() const {
    return biosPath_->text();
}

bool CGenerateFloppyOptionsPage::copyRomwrite() const {
    return shown_ && romwrite_->isChecked();
}

void CGenerateFloppyOptionsPage::UpdateCommandMask() {
    commandMask_ = (logging_->isChecked() ? 1 : 0) | (report_->isChecked() ? 2 : 0);
}

void CGenerateFloppyOptionsPage::BrowseBios() {
    CFileChooser::Request request;
    request.start = biosPath_->text().isEmpty() ? biosFolder_ : biosPath_->text();
    request.filter = QStringLiteral("BIOS Files (*.bio);;All Files (*)");
    request.defaultSuffix = QStringLiteral("bio");
    const QString path = AcceptChosen(CFileChooser::Choose(this, request), QStringLiteral("bio"));
    if (!path.isEmpty())
        biosPath_->setText(path);
}

void CGenerateFloppyOptionsPage::BrowseLangPack() {
    CFileChooser::Request request;
    request.start = langPackPath_->text();
    request.filter = QStringLiteral("Language Pack Files (*.lng);;All Files (*)");
    request.defaultSuffix = QStringLiteral("lng");
    const QString path = AcceptChosen(CFileChooser::Choose(this, request), QStringLiteral("lng"));
    if (!path.isEmpty())
        langPackPath_->setText(path);
}
