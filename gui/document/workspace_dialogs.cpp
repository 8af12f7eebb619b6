// The workspace dialogs and their rules.
#include "gui/document/workspace_dialogs.h"

#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/common/message_text.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

CFileChooser::Request BiosChooserRequest(const QString& text, const QString& defaultDir) {
    CFileChooser::Request request;
    request.mode = CFileChooser::Mode::Open;
    request.start = text.isEmpty() ? defaultDir : text;
    request.filter = cvkgui::text::kBiosFilter;
    request.defaultSuffix = QStringLiteral("cvk");
    return request;
}

} // namespace

CSubsystemMasks CSubsystemMasks::Read(IServer* server) {
    if (!server)
        throw CEngineError(E_POINTER);
    CSubsystemMasks masks;
    masks.bom = GetLong(server, &IServer::get_SUB_SYS_MASK_BOM);
    masks.cmos = GetLong(server, &IServer::get_SUB_SYS_MASK_CMOS);
    masks.envctl = GetLong(server, &IServer::get_SUB_SYS_MASK_ENVCTL);
    masks.smbios = GetLong(server, &IServer::get_SUB_SYS_MASK_SMBIOS);
    masks.splash = GetLong(server, &IServer::get_SUB_SYS_MASK_SPLASH);
    masks.flex = GetLong(server, &IServer::get_SUB_SYS_MASK_FLEX);
    masks.available = GetLong(server, &IServer::get_AvailableSubSystems);
    return masks;
}

bool IsValidFilePath(const QString& text) {
    if (text.isEmpty())
        return false;
    const QFileInfo info(text);
    return info.exists() && !info.isDir();
}

CComponentBoxes::CComponentBoxes(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    static const struct {
        Component component;
        const char* text;
        const char* name;
    } kBoxes[] = {{Cmos, "CMOS", "cmosBox"},
                  {Smbios, "SMBIOS", "smbiosBox"},
                  {Thermaline, "Halvex(R) Thermaline", "thermalineBox"},
                  {Splash, "Splash", "splashBox"},
                  {Bom, "BOM", "bomBox"},
                  {Flex, "Flex Modules", "flexBox"}};
    auto* layout = new QVBoxLayout(this);
    for (const auto& entry : kBoxes) {
        auto* box = new QCheckBox(QString::fromLatin1(entry.text), this);
        box->setObjectName(QString::fromLatin1(entry.name));
        layout->addWidget(box);
        boxes_[entry.component] = box;
    }
}

LONG CComponentBoxes::MaskOf(Component component) const {
    switch (component) {
    case Cmos:
        return masks_.cmos;
    case Smbios:
        return masks_.smbios;
    case Thermaline:
        return masks_.envctl;
    case Splash:
        return masks_.splash;
    case Bom:
        return masks_.bom;
    case Flex:
        return masks_.flex;
    case kCount:
        break;
    }
    return 0;
}

bool CComponentBoxes::IsAvailable(Component component) const {
    const LONG mask = MaskOf(component);
    return mask != 0 && (masks_.available & mask) == mask;
}

void CComponentBoxes::Present(Component component, bool shown, bool checked) {
    QCheckBox* box = boxes_[component];
    box->setVisible(shown);
    box->setEnabled(shown);
    box->setChecked(shown && checked);
}

LONG CComponentBoxes::CheckedMask() const {
    static const Component kOrder[] = {Bom, Cmos, Thermaline, Smbios, Splash, Flex};
    LONG mask = 0;
    for (Component component : kOrder) {
        if (boxes_[component]->isChecked())
            mask |= MaskOf(component);
    }
    return mask;
}

CCreateWorkspaceDlg::CCreateWorkspaceDlg(CGuiHost* host, QWidget* parent)
    : QDialog(parent), host_(host) {
    setWindowTitle(QStringLiteral("Create A Workspace"));
    setObjectName(QStringLiteral("createWorkspaceDialog"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("BIOS file location"), this), 0, 0, 1, 2);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("biosFileEdit"));
    edit_->setMinimumWidth(320);
    edit_->installEventFilter(this);
    layout->addWidget(edit_, 1, 0);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setAutoDefault(false);
    layout->addWidget(browse, 1, 1);
    boxes_ = new CComponentBoxes(QStringLiteral("Add components to workspace"), this);
    layout->addWidget(boxes_, 2, 0, 1, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setEnabled(false);
    layout->addWidget(buttons, 3, 0, 1, 2);
    connect(browse, &QPushButton::clicked, this, &CCreateWorkspaceDlg::OnBrowse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCreateWorkspaceDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCreateWorkspaceDlg::reject);
}

bool CCreateWorkspaceDlg::Initialise() {
    const bool read = cvkgui::GuardOperation(
        cvkgui::Fatal(), [&] { masks_ = CSubsystemMasks::Read(host_->Server().get()); });
    if (!read)
        return false;
    boxes_->SetMasks(masks_);
    for (int i = 0; i < CComponentBoxes::kCount; ++i) {
        const auto component = static_cast<CComponentBoxes::Component>(i);
        boxes_->Present(component, boxes_->IsAvailable(component), false);
    }
    return true;
}

void CCreateWorkspaceDlg::OnBrowse() {
    const QString path = CFileChooser::Choose(
        this, BiosChooserRequest(edit_->text(), host_->preferences().biosDefaultDir));
    if (path.isEmpty())
        return;
    edit_->setText(path);
    const bool read = cvkgui::GuardOperation(cvkgui::Fatal(), [&] {
        VARIANT_BOOL isFlex = VARIANT_FALSE;
        cvkgui::ClearEngineErrorText();
        const HRESULT status = host_->Server()->IsFlexBios(ToBstr(path).get(), &isFlex);
        ThrowIfFailed(status);
        flexBios_ = isFlex != VARIANT_FALSE;
        // S_FALSE: a flash image lies beside the map file but cannot be read.
        if (status == S_FALSE)
            CMessageBox::Exclamation(
                cvkgui::WithEngineErrorText(cvkgui::text::kFlashImageUnreadable));
    });
    if (!read) {
        reject();
        return;
    }
    ok_->setEnabled(true);
    using C = CComponentBoxes;
    for (C::Component component : {C::Cmos, C::Smbios, C::Thermaline, C::Splash, C::Bom})
        boxes_->Present(component, boxes_->IsAvailable(component), true);
    const bool flex = boxes_->IsAvailable(C::Flex) && flexBios_;
    boxes_->Present(C::Flex, flex, true);
}

void CCreateWorkspaceDlg::CheckText() {
    ok_->setEnabled(IsValidFilePath(edit_->text()));
}

bool CCreateWorkspaceDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::FocusOut)
        CheckText();
    return QDialog::eventFilter(watched, event);
}

void CCreateWorkspaceDlg::accept() {
    CheckText();
    if (!IsValidFilePath(edit_->text())) {
        CMessageBox::Exclamation(cvkgui::text::kFileNotValid);
        edit_->setFocus();
        return;
    }
    biosFile_ = edit_->text();
    mask_ = boxes_->CheckedMask();
    QDialog::accept();
}

CAddRemoveComponentsDlg::CAddRemoveComponentsDlg(CGuiHost* host, IWorkspace* workspace,
                                                 QWidget* parent)
    : QDialog(parent), host_(host), workspace_(workspace) {
    setWindowTitle(QStringLiteral("Add/Remove Workspace Components"));
    setObjectName(QStringLiteral("addRemoveComponentsDialog"));
    auto* layout = new QVBoxLayout(this);
    boxes_ = new CComponentBoxes(
        QStringLiteral("Add components to or remove components from workspace"), this);
    layout->addWidget(boxes_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAddRemoveComponentsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAddRemoveComponentsDlg::reject);
}

void CAddRemoveComponentsDlg::Initialise() {
    const CSubsystemMasks masks = CSubsystemMasks::Read(host_->Server().get());
    boxes_->SetMasks(masks);
    const LONG current = GetLong(workspace_, &IWorkspace::get_SubsystemMask);
    VARIANT_BOOL flexAvailable = VARIANT_FALSE;
    ThrowIfFailed(workspace_->IsFlexAvailable(&flexAvailable));
    using C = CComponentBoxes;
    for (int i = 0; i < C::kCount; ++i) {
        const auto component = static_cast<C::Component>(i);
        bool shown = boxes_->IsAvailable(component);
        if (component == C::Flex)
            shown = shown && flexAvailable != VARIANT_FALSE;
        const LONG mask = boxes_->MaskOf(component);
        boxes_->Present(component, shown, mask != 0 && (current & mask) == mask);
    }
}

bool CAddRemoveComponentsDlg::flexChecked() const {
    return boxes_->box(CComponentBoxes::Flex)->isChecked();
}

void CAddRemoveComponentsDlg::accept() {
    mask_ = boxes_->CheckedMask();
    QDialog::accept();
}

CUpdateBiosDlg::CUpdateBiosDlg(const QString& oldFile, const QString& biosDefaultDir,
                               QWidget* parent)
    : QDialog(parent), biosDefaultDir_(biosDefaultDir) {
    setWindowTitle(QStringLiteral("Update Workspace to a Different BIOS File"));
    setObjectName(QStringLiteral("updateBiosDialog"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Old BIOS file"), this), 0, 0, 1, 2);
    auto* oldEdit = new QLineEdit(oldFile, this);
    oldEdit->setObjectName(QStringLiteral("oldBiosFileEdit"));
    oldEdit->setReadOnly(true);
    oldEdit->setMinimumWidth(320);
    layout->addWidget(oldEdit, 1, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("New BIOS file"), this), 2, 0, 1, 2);
    newEdit_ = new QLineEdit(this);
    newEdit_->setObjectName(QStringLiteral("newBiosFileEdit"));
    newEdit_->installEventFilter(this);
    layout->addWidget(newEdit_, 3, 0);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setAutoDefault(false);
    layout->addWidget(browse, 3, 1);
    auto* buttons = new QDialogButtonBox(this);
    update_ = buttons->addButton(QStringLiteral("Update"), QDialogButtonBox::AcceptRole);
    update_->setObjectName(QStringLiteral("updateButton"));
    update_->setEnabled(false);
    update_->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons, 4, 0, 1, 2);
    connect(browse, &QPushButton::clicked, this, &CUpdateBiosDlg::OnBrowse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CUpdateBiosDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CUpdateBiosDlg::reject);
}

void CUpdateBiosDlg::OnBrowse() {
    const QString path =
        CFileChooser::Choose(this, BiosChooserRequest(newEdit_->text(), biosDefaultDir_));
    if (path.isEmpty())
        return;
    newEdit_->setText(path);
    update_->setEnabled(true);
}

bool CUpdateBiosDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == newEdit_ && event->type() == QEvent::FocusOut)
        update_->setEnabled(IsValidFilePath(newEdit_->text()));
    return QDialog::eventFilter(watched, event);
}

void CUpdateBiosDlg::accept() {
    const bool valid = IsValidFilePath(newEdit_->text());
    update_->setEnabled(valid);
    if (!valid) {
        CMessageBox::Exclamation(cvkgui::text::kFileNotValid);
        newEdit_->setFocus();
        return;
    }
    newFile_ = newEdit_->text();
    QDialog::accept();
}
