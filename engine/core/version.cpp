// The engine's version text.
#include "engine/core/version.h"

#include <cstdio>

namespace cvk {

std::string EngineVersionText() {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%2.2d.%1.1d.%4.4d", kEngineMajor, kEngineMinor,
                  kEngineRevision, kEngineBuild);
    return text;
}

} // namespace cvk
