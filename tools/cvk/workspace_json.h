// Everything a workspace holds, as one JSON document for scripts.
#pragma once

#include "engine/include/cvkserver.h"

#include <nlohmann/json.hpp>

#include <string>

namespace cvktool {

// Fills `out` with the workspace's description. The document has one key per part: "workspace"
// (identification, paths, mask, flags) and one key per subsystem ("cmos", "smbios", "thermal",
// "flex") whose contents each subsystem's writer decides. On failure `what` names the property
// that could not be read.
HRESULT DescribeWorkspace(IWorkspace* workspace, nlohmann::ordered_json* out, std::string* what);

// The document as "key.sub: value" lines, for people.
std::string FlattenForDisplay(const nlohmann::ordered_json& document);

} // namespace cvktool
