// The names of the module types.
#include "client/module_type.h"

namespace cvkclient {

const char* ModuleTypeName(MODULE_TYPE type) {
    switch (type) {
    case CVK_MOD_TYPE_LANGUAGE:
        return "language";
    case CVK_MOD_TYPE_LOGO:
        return "logo";
    case CVK_MOD_TYPE_BADGE:
        return "badge";
    default:
        return "normal";
    }
}

} // namespace cvkclient
