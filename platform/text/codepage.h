// Conversions between the 8-bit Windows-1252 code page, UTF-16 and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace cvk::text {

// Every byte maps to one UTF-16 unit. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value, as the
// platform's own conversion does, so that any byte string survives a round trip.
std::u16string DecodeWindows1252(std::string_view bytes);

// A character the code page lacks becomes "?"; a surrogate pair counts as one character.
std::string EncodeWindows1252(std::u16string_view text);

// UTF-8 <-> UTF-16 for file names and console text. Malformed input becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Letter case folded as the engine folds Windows-1252 text when it compares names: the capital
// letters the code page holds become small ones; everything else stays.
std::u16string FoldCase(std::u16string_view text);

} // namespace cvk::text
