// A newer build of the demo board for the compare tests and the screenshots.
#pragma once

#include <QString>

namespace guitest {

// Writes `path` (.cvk) and its flash image beside it (.bio): the demo board with one default
// changed, an answer added, a setting moved, one removed, one added and one renamed.
bool WriteNewerDemoBuild(const QString& path);

} // namespace guitest
