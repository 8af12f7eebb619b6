// The base name of the INI, log and report files on the media: a DOS file name, by the same
// rule the engine applies when it writes them.
#pragma once

#include "platform/text/dos_name.h"

#include <string_view>

namespace cvk::media {

inline constexpr std::size_t kBaseNameMaxLength = text::kDosBaseNameMaxLength;

inline bool IsDosBaseName(std::string_view name) {
    return text::IsDosBaseName(name);
}

} // namespace cvk::media
