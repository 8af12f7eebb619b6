// DOS file names: the rule for the base names handed to the DOS tools, written once for the
// engine, which refuses a bad name, and for the media set, which checks it before copying.
#pragma once

#include <cstddef>
#include <string_view>

namespace cvk::text {

// At most this many characters, as the DOS tool reads a base name.
inline constexpr std::size_t kDosBaseNameMaxLength = 8;

// Letters, digits and ! # $ % & ' ( ) - @ ^ _ ` { } ~: no separators, no blanks, no dot.
template <class Char> constexpr bool IsDosNameCharacter(Char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    for (char mark : std::string_view("!#$%&'()-@^_`{}~"))
        if (c == static_cast<Char>(mark))
            return true;
    return false;
}

// True when `name` is 1 to 8 characters of the DOS file-name set.
template <class Char> constexpr bool IsDosBaseName(std::basic_string_view<Char> name) {
    if (name.empty() || name.size() > kDosBaseNameMaxLength)
        return false;
    for (Char c : name)
        if (!IsDosNameCharacter(c))
            return false;
    return true;
}

} // namespace cvk::text
