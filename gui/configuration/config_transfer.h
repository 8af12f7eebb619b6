// File > Export Configuration... and Import Configuration...: a workspace's changes from its
// defaults carried as a configuration file, the edits file that `cvk export` writes and
// `cvk apply` reads, through the same code.
#pragma once

class CCvkDoc;

// Asks for a file and writes the workspace's changes from its defaults into it.
void OnExportConfiguration(CCvkDoc* doc);

// Asks for a configuration file and applies it all or nothing: the edits are first tried on a
// copy of the workspace, and when any of them cannot be applied the workspace is left as it was
// and the message lists each such edit.
void OnImportConfiguration(CCvkDoc* doc);
