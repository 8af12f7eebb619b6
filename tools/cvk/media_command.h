// cvk media: the production line's media set of a workspace written to a folder, headless.
#pragma once

#include <string>
#include <vector>

namespace cvktool {

// Parses the arguments after "media" and runs the command; returns the exit status: 0 only
// when every file was written or copied.
int RunMediaCommand(const std::vector<std::string>& args);

} // namespace cvktool
