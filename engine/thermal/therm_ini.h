// The thermal tree's INI sections: where each setting goes and the writer of a tree's values.
#pragma once

#include "engine/thermal/therm_nodes.h"

namespace cvk {

class IniFile;

// The INI section and key of a setting tag; false when the tag has none.
bool ThermIniPlace(LONG tag, const char** section, const char** key);

// Child groups first (depth first), then the group's settings, each as its section's key with
// the value's text. E_FAIL for a setting without an INI place or a failing write.
HRESULT WriteThermIni(const CoThermGroup& group, IniFile& ini);

} // namespace cvk
