// The engine session of one command.
#include "tools/cvk/session.h"

#include "platform/com/errorinfo.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>

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

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

bool IsRegularFile(const std::string& path, std::string* why) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        *why = "\"" + path + "\": " + std::strerror(errno);
        return false;
    }
    if (S_ISREG(info.st_mode))
        return true;
    *why = "\"" + path + "\" is " + (S_ISDIR(info.st_mode) ? "a folder" : "not a regular file");
    return false;
}

std::string HandleText(LONG handle) {
    return std::to_string(static_cast<std::uint32_t>(handle));
}

bool ParseHandle(const std::string& text, LONG* handle) {
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || at != end)
        return false;
    *handle = static_cast<LONG>(value);
    return true;
}

HRESULT Refuse(const std::string& message, HRESULT hr) {
    return cvk::ReportError(u"cvk", Wide(message).view(), hr);
}

std::vector<std::string> SplitPath(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = text.find('/', start);
        parts.push_back(text.substr(start, slash - start));
        if (slash == std::string::npos)
            return parts;
        start = slash + 1;
    }
}

std::string JoinPath(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "/") + part;
    return text;
}

} // namespace cvktool
