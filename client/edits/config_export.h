// Writing a workspace's changes from its defaults as a configuration file: the edits file that
// `cvk apply` and the program's Import Configuration read back.
#pragma once

#include "client/workspace_changes.h"

#include <string>

namespace cvkedit {

// The configuration file's text. False with a message in `error` when a changed setting cannot
// be named apart from another of the same keyword and path.
bool ExportConfiguration(const cvkclient::WorkspaceSnapshot& workspace,
                         const cvkclient::WorkspaceChanges& changes, std::string* text,
                         std::string* error);

// Writes `text` beside `file` first, then renames it over `file`: a failed write leaves an
// earlier file as it was.
bool WriteFileAtomically(const std::string& file, const std::string& text);

} // namespace cvkedit
