// The width and height of a JPEG or BMP picture, read from its header.
#pragma once

#include "platform/com/types.h"

#include <string>

namespace cvkedit {

// S_OK with the picture's size; E_FAIL with a message in `why` when the file cannot be read or
// is neither a JPEG (a start-of-frame segment) nor a BMP (an information header).
HRESULT ReadImageSize(const std::string& file, LONG* width, LONG* height, std::string* why);

} // namespace cvkedit
