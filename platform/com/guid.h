// Class and interface identifiers in their registry text form "{XXXXXXXX-XXXX-...}".
#pragma once

#include "platform/com/types.h"

#include <optional>
#include <string>
#include <string_view>

namespace cvk {

// Upper-case hexadecimal, with braces: 38 characters.
CVK_COM_API std::string FormatGuid(const GUID& guid);
CVK_COM_API std::u16string FormatGuid16(const GUID& guid);

// Accepts the braced form only, hexadecimal digits in either case; anything else (missing
// braces or dashes, a stray character, a wrong length) yields nothing.
CVK_COM_API std::optional<GUID> ParseGuid(std::string_view text);
CVK_COM_API std::optional<GUID> ParseGuid(std::u16string_view text);

} // namespace cvk

// The platform's names for the same conversions.
constexpr bool IsEqualGUID(const GUID& a, const GUID& b) {
    return a == b;
}
// Writes the braced text and its terminator; returns the characters written including the
// terminator, or 0 when `size` is too small.
CVK_COM_API int StringFromGUID2(const GUID& guid, LPOLESTR text, int size);
// CO_E_CLASSSTRING for malformed text, E_POINTER for null arguments.
CVK_COM_API HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
