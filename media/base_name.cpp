// The base name of the INI, log and report files on the media: a DOS file name.
#include "media/base_name.h"

namespace cvk::media {

namespace {

bool IsDosNameCharacter(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    constexpr std::string_view kPunctuation = "!#$%&'()-@^_`{}~";
    return kPunctuation.find(c) != std::string_view::npos;
}

} // namespace

bool IsDosBaseName(std::string_view name) {
    if (name.empty() || name.size() > kBaseNameMaxLength)
        return false;
    for (char c : name)
        if (!IsDosNameCharacter(c))
            return false;
    return true;
}

} // namespace cvk::media
