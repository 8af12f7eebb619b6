// Reading the "modules" section of a board description (used by the board reader only).
#pragma once

#include "tools/cvkgen/flash_image.h"

#include <nlohmann/json_fwd.hpp>

namespace cvkgen {

// Checks the section and builds the image it describes. Throws BoardError with the place of
// the fault ("modules/list[2](Network)/depends: ...").
BoardModules ParseModules(const nlohmann::json& section);

} // namespace cvkgen
