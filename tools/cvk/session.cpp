// The engine session of one command.
#include "tools/cvk/session.h"

#include "platform/com/errorinfo.h"

namespace cvktool {

Session::~Session() {
    if (workspace_)
        server_->CloseWorkspace(workspace_.get());
}

std::optional<int> Session::Start() {
    std::string what;
    ClearErrorText();
    const HRESULT hr = CreateServer(&server_, &what);
    if (FAILED(hr))
        return ReportFailure(what, hr);
    return std::nullopt;
}

std::optional<int> Session::Open(const std::string& file) {
    if (auto failed = Start())
        return failed;
    ClearErrorText();
    const HRESULT hr = server_->OpenWorkspace(Wide(file).get(), workspace_.put());
    if (FAILED(hr))
        return ReportFailure("cannot open the workspace \"" + file + "\"", hr);
    file_ = file;
    return std::nullopt;
}

std::optional<int> Session::Save() {
    return SaveAs(file_);
}

std::optional<int> Session::SaveAs(const std::string& file) {
    ClearErrorText();
    const HRESULT hr = server_->SaveWorkspace(workspace_.get(), Wide(file).get());
    if (FAILED(hr))
        return ReportFailure("cannot save the workspace as \"" + file + "\"", hr);
    return std::nullopt;
}

} // namespace cvktool
