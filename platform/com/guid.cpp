// Formatting and parsing of identifiers in their registry text form.
#include "platform/com/guid.h"

#include <array>

namespace cvk {
namespace {

constexpr std::size_t kGuidTextLength = 38;
constexpr char kHexDigits[] = "0123456789ABCDEF";

// The position of every hexadecimal digit pair in "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// in the order of the identifier's bytes as they read in text.
constexpr std::array<std::size_t, 16> kBytePositions{1,  3,  5,  7,  10, 12, 15, 17,
                                                     20, 22, 25, 27, 29, 31, 33, 35};

std::array<std::uint8_t, 16> TextOrderBytes(const GUID& g) {
    return {static_cast<std::uint8_t>(g.Data1 >> 24),
            static_cast<std::uint8_t>(g.Data1 >> 16),
            static_cast<std::uint8_t>(g.Data1 >> 8),
            static_cast<std::uint8_t>(g.Data1),
            static_cast<std::uint8_t>(g.Data2 >> 8),
            static_cast<std::uint8_t>(g.Data2),
            static_cast<std::uint8_t>(g.Data3 >> 8),
            static_cast<std::uint8_t>(g.Data3),
            g.Data4[0],
            g.Data4[1],
            g.Data4[2],
            g.Data4[3],
            g.Data4[4],
            g.Data4[5],
            g.Data4[6],
            g.Data4[7]};
}

int HexValue(char32_t c) {
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    return -1;
}

bool IsDashPosition(std::size_t i) {
    return i == 9 || i == 14 || i == 19 || i == 24;
}

template <class Char> std::optional<GUID> ParseGuidText(std::basic_string_view<Char> text) {
    if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}')
        return std::nullopt;
    for (std::size_t i = 1; i + 1 < kGuidTextLength; ++i) {
        bool dash = IsDashPosition(i);
        if (dash != (text[i] == '-'))
            return std::nullopt;
        if (!dash && HexValue(static_cast<char32_t>(text[i])) < 0)
            return std::nullopt;
    }
    std::array<std::uint8_t, 16> b{};
    for (std::size_t k = 0; k < b.size(); ++k) {
        std::size_t at = kBytePositions[k];
        b[k] = static_cast<std::uint8_t>(HexValue(static_cast<char32_t>(text[at])) * 16 +
                                         HexValue(static_cast<char32_t>(text[at + 1])));
    }
    GUID g{};
    g.Data1 = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
              (std::uint32_t{b[2]} << 8) | b[3];
    g.Data2 = static_cast<std::uint16_t>((b[4] << 8) | b[5]);
    g.Data3 = static_cast<std::uint16_t>((b[6] << 8) | b[7]);
    for (int i = 0; i < 8; ++i)
        g.Data4[i] = b[8 + i];
    return g;
}

} // namespace

std::string FormatGuid(const GUID& guid) {
    std::string text = "{00000000-0000-0000-0000-000000000000}";
    auto bytes = TextOrderBytes(guid);
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        text[kBytePositions[k]] = kHexDigits[bytes[k] >> 4];
        text[kBytePositions[k] + 1] = kHexDigits[bytes[k] & 0xF];
    }
    return text;
}

std::u16string FormatGuid16(const GUID& guid) {
    std::string narrow = FormatGuid(guid);
    return std::u16string(narrow.begin(), narrow.end());
}

std::optional<GUID> ParseGuid(std::string_view text) {
    return ParseGuidText(text);
}
std::optional<GUID> ParseGuid(std::u16string_view text) {
    return ParseGuidText(text);
}

} // namespace cvk

int StringFromGUID2(const GUID& guid, LPOLESTR text, int size) {
    if (!text || size < static_cast<int>(cvk::kGuidTextLength + 1))
        return 0;
    std::u16string formatted = cvk::FormatGuid16(guid);
    formatted.copy(text, formatted.size());
    text[formatted.size()] = u'\0';
    return static_cast<int>(formatted.size() + 1);
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
    if (!text || !clsid)
        return E_POINTER;
    auto parsed = cvk::ParseGuid(std::u16string_view(text));
    if (!parsed)
        return CO_E_CLASSSTRING;
    *clsid = *parsed;
    return S_OK;
}
