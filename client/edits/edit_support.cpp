// Paths, module handles and refusals of the workspace edits.
#include "client/edits/edit_support.h"

#include "platform/com/errorinfo.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace cvkedit {

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

void ClearErrorText() {
    SetErrorInfo(0, nullptr);
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

cvk::Bstr Wide(const std::string& utf8) {
    return cvk::Bstr::FromUtf8(utf8);
}

} // namespace cvkedit
