// Checks of SMBIOS values against the INI file's syntax and code page.
#include "client/smbios_text.h"

#include "platform/text/codepage.h"

#include <cstdio>

namespace cvkclient {
namespace {

std::string Hex(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c < 0xDC00;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c < 0xE000;
}

} // namespace

std::string SmbiosControlRefusal(const std::string& name, std::u16string_view value) {
    for (char16_t c : value)
        if ((c < 0x20 && c != u'\r' && c != u'\n') || c == 0x7F)
            return "the value for \"" + name + "\" holds the control character " + Hex(c) +
                   "; SMBIOS strings take printable text only";
    return {};
}

std::string SmbiosCodePageWarning(const std::string& name, std::u16string_view value) {
    std::string list;
    std::u16string seen;
    for (std::size_t i = 0; i < value.size();) {
        const bool pair =
            i + 1 < value.size() && IsHighSurrogate(value[i]) && IsLowSurrogate(value[i + 1]);
        const std::u16string one(value.substr(i, pair ? 2 : 1));
        i += one.size();
        if (one == u"?" || cvk::text::EncodeWindows1252(one) != "?" ||
            seen.find(one) != std::u16string::npos)
            continue;
        seen += one;
        const char32_t code =
            pair ? 0x10000 + ((char32_t(one[0]) - 0xD800) << 10) + (char32_t(one[1]) - 0xDC00)
                 : char32_t(one[0]);
        list +=
            (list.empty() ? "\"" : ", \"") + cvk::text::Utf16ToUtf8(one) + "\" (" + Hex(code) + ")";
    }
    if (list.empty())
        return {};
    return "the value for \"" + name +
           "\" holds characters that the INI file's code page (Windows-1252) lacks; they are "
           "written as \"?\": " +
           list;
}

} // namespace cvkclient
