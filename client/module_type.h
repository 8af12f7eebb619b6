// The names of the flash image's module types, as the command line and the reports write them.
#pragma once

#include "engine/include/cvkserver.h"

namespace cvkclient {

// "normal", "language", "logo" or "badge".
const char* ModuleTypeName(MODULE_TYPE type);

} // namespace cvkclient
