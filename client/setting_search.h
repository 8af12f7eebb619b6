// Finding settings by a piece of text in their names, keywords, help or answers.
#pragma once

#include "client/workspace_snapshot.h"

#include <string>
#include <vector>

namespace cvkclient {

enum class FoundKind { kCmos, kThermal, kSmbios };

struct FoundSetting {
    FoundKind kind = FoundKind::kCmos;
    Path path; // CMOS and thermal: groups below the root and the name; SMBIOS: the name
    // What held the text: "name", "keyword", "help", "choice" (CMOS); "name" (thermal,
    // SMBIOS), "key" (SMBIOS).
    std::vector<std::string> fields;
    const CmosSetting* cmos = nullptr;
    const ThermalValue* thermal = nullptr;
    const SmbiosValue* smbios = nullptr;
};

// Every CMOS setting whose name, keyword, help text or one of whose choice names contains
// `text`, then the thermal settings and SMBIOS strings whose names do; letter case ignored.
std::vector<FoundSetting> FindSettings(const WorkspaceSnapshot& workspace, const std::string& text);

} // namespace cvkclient
