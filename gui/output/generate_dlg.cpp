// The INI and report dialogs and the BIOS update file.
#include "gui/output/generate_dlg.h"

#include "client/ini_warnings.h"
#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/common/message_text.h"
#include "gui/common/operation_guard.h"
#include "gui/common/strings.h"
#include "gui/document/workspace_dialogs.h"
#include "gui/output/output_texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The module engine's status when the update file cannot be written to its medium.
constexpr HRESULT kCannotWriteUpdateFile = MakeStatus(0x80040803);

CFileChooser::Request SaveRequest(const QString& defaultDir, const QString& filter,
                                  const QString& suffix) {
    CFileChooser::Request request;
    request.mode = CFileChooser::Mode::Save;
    request.start = defaultDir;
    request.filter = filter;
    request.defaultSuffix = suffix;
    return request;
}

// Names what the INI file of `mask` leaves out or overrides; a report is read as the record of
// that file. A workspace that cannot be read for it gets no warning: the file is written.
void WarnAboutIniFile(IWorkspace* workspace, LONG mask) {
    std::vector<std::string> warnings;
    if (FAILED(cvkclient::ReadIniWarnings(workspace, mask, &warnings)) || warnings.empty()) {
        cvkgui::ClearEngineErrorText();
        return;
    }
    CMessageBox::Exclamation(cvkgui::WarningParagraphs(cvkgui::text::kIniWarnings, warnings));
}

} // namespace

CGenerateDlg::CGenerateDlg(Kind kind, IServer* server, IWorkspace* workspace,
                           const QString& defaultDir, QWidget* parent)
    : QDialog(parent), kind_(kind), server_(server), workspace_(workspace),
      defaultDir_(defaultDir) {
    const bool ini = kind == Ini;
    setWindowTitle(ini ? QStringLiteral("Generate INI File") : QStringLiteral("Generate Report"));
    setObjectName(ini ? QStringLiteral("generateIniDialog")
                      : QStringLiteral("generateReportDialog"));
    auto* layout = new QVBoxLayout(this);
    boxes_ = new CComponentBoxes(ini ? QStringLiteral("Export components to INI file")
                                     : QStringLiteral("Select components to report"),
                                 this);
    layout->addWidget(boxes_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CGenerateDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGenerateDlg::reject);
}

OutputEnd CGenerateDlg::Run() {
    if (!cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kFatalError),
                                [this] { PresentBoxes(); }))
        return OutputEnd::CloseProgram;
    exec();
    return end_;
}

void CGenerateDlg::PresentBoxes() {
    boxes_->SetMasks(CSubsystemMasks::Read(server_));
    const LONG current = GetLong(workspace_, &IWorkspace::get_SubsystemMask);
    for (int i = 0; i < CComponentBoxes::kCount; ++i) {
        const auto component = static_cast<CComponentBoxes::Component>(i);
        // The INI file has no section for the modules; only the report lists them.
        const bool offered = kind_ == Report || component != CComponentBoxes::Flex;
        const LONG mask = boxes_->MaskOf(component);
        const bool inWorkspace = mask != 0 && (current & mask) == mask;
        QCheckBox* box = boxes_->box(component);
        box->setVisible(offered && boxes_->IsAvailable(component));
        box->setEnabled(inWorkspace);
        box->setChecked(inWorkspace);
    }
}

void CGenerateDlg::accept() {
    const CFileChooser::Request request =
        kind_ == Ini ? SaveRequest(defaultDir_, cvkgui::text::kIniFilter, QStringLiteral("ini"))
                     : SaveRequest(defaultDir_, cvkgui::text::kReportFilter, QStringLiteral("txt"));
    const QString path = CFileChooser::ChooseWritable(this, request);
    // Cancelling the chooser returns to the dialog.
    if (path.isEmpty())
        return;
    const LONG mask = boxes_->CheckedMask();
    if (!Write(path, mask))
        return;
    WarnAboutIniFile(workspace_, mask);
    CMessageBox::Information(cvkgui::text::kGenerated);
    QDialog::accept();
}

bool CGenerateDlg::Write(const QString& path, LONG mask) {
    const cvk::Bstr file = ToBstr(path);
    cvkgui::ClearEngineErrorText();
    if (kind_ == Ini) {
        if (FAILED(workspace_->DumpIni(file.get(), mask, 0))) {
            EndWithFailure(cvkgui::WithEngineErrorText(cvkgui::text::kFailedGenerate));
            return false;
        }
        return true;
    }
    cvk::ComPtr<IReport> report;
    if (FAILED(workspace_->get_Report(report.put())) || !report) {
        EndWithFailure(cvkgui::text::kFatalError);
        return false;
    }
    if (FAILED(report->GenerateReport(file.get(), mask))) {
        EndWithFailure(cvkgui::WithEngineErrorText(cvkgui::text::kFailedGenerate));
        return false;
    }
    return true;
}

void CGenerateDlg::EndWithFailure(const QString& message) {
    CMessageBox::Error(message);
    end_ = OutputEnd::CloseProgram;
    reject();
}

namespace {

// The capsule and dependency checks before the chooser; false after the check's message.
bool IsReadyForUpdateFile(IFlex* flex) {
    if (GetLong(flex, &IFlex::get_CurrentOptionalModuleSpace) <= 0) {
        CMessageBox::Error(cvkgui::text::kInvalidCapsule);
        return false;
    }
    if (!GetBool(flex, &IFlex::get_ValidUpdate)) {
        CMessageBox::Error(cvkgui::text::kInvalidUpdate);
        return false;
    }
    return true;
}

} // namespace

OutputEnd GenerateBiosFile(IWorkspace* workspace, const QString& defaultDir, QWidget* parent) {
    cvk::ComPtr<IFlex> flex;
    bool ready = false;
    const bool asked = cvkgui::GuardOperation(cvkgui::ShowMessage(cvkgui::text::kFatalError), [&] {
        if (!workspace)
            throw CEngineError(E_POINTER);
        flex = GetObject(workspace, &IWorkspace::get_Flex);
        if (!flex)
            throw CEngineError(E_POINTER);
        ready = IsReadyForUpdateFile(flex.get());
    });
    if (!asked)
        return OutputEnd::CloseProgram;
    if (!ready)
        return OutputEnd::Done;
    const QString path = CFileChooser::ChooseWritable(
        parent, SaveRequest(defaultDir, cvkgui::text::kBiosUpdateFilter, QStringLiteral("bio")));
    if (path.isEmpty())
        return OutputEnd::Done;
    const HRESULT hr = flex->CreateBiosUpdateFile(ToBstr(path).get());
    if (SUCCEEDED(hr))
        CMessageBox::Information(cvkgui::text::kGenerated);
    else if (hr == kCannotWriteUpdateFile)
        CMessageBox::Error(cvkgui::text::kCannotWriteMedia);
    else
        CMessageBox::Error(cvkgui::text::kFileNotGenerated);
    return OutputEnd::Done;
}
