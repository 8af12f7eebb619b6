// The base name of the INI, log and report files on the media: a DOS file name.
#pragma once

#include <string_view>

namespace cvk::media {

// At most this many characters, as the DOS tool reads the name.
constexpr std::size_t kBaseNameMaxLength = 8;

// True when `name` is 1 to 8 characters of the DOS file-name set: letters, digits and
// ! # $ % & ' ( ) - @ ^ _ ` { } ~ (no separators, no blanks, no dot).
bool IsDosBaseName(std::string_view name);

} // namespace cvk::media
