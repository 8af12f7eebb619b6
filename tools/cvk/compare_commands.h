// The cvk commands that compare, list and carry a configuration: diff, changes, show --find,
// export.
#pragma once

#include <string>

namespace cvktool {

// OLD is a map file or a workspace file (then its answers take part, as in an update); NEW a
// map file. Neither file is written.
int RunDiff(const std::string& oldFile, const std::string& newFile, bool json);
int RunChanges(const std::string& workspaceFile, bool json);
int RunFind(const std::string& workspaceFile, const std::string& text, bool json);
// Writes the workspace's changes from the defaults as an edits file of `cvk apply`.
int RunExport(const std::string& workspaceFile, const std::string& outFile);

} // namespace cvktool
