// Shared fixtures of the CMOS tests: trees built from board descriptions, and walks over them.
#pragma once

#include "engine/cmos/cmos.h"
#include "tools/cvkgen/map_writer.h"

#include <string>
#include <vector>

namespace cvk::testing {

// The map file records of a board description in JSON (docs/board-description.md).
cvkgen::MapFileContent BoardMap(const std::string& json);
// A board description of one root menu "Main" holding `settingsJson` (a JSON list of items),
// with the given lock/hide maxima.
std::string OneMenuBoard(const std::string& settingsJson, int maxLocked = 16, int maxHidden = 16);

// Writes `content` to a file, loads it and builds a Cmos from it; `status` gets the build's.
ComPtr<Cmos> BuildCmos(const cvkgen::MapFileContent& content, HRESULT* status = nullptr);

// The setting named by the group names below the root and the setting name, or null.
SettingNode* FindSetting(const Cmos& cmos, const std::vector<std::u16string>& groups,
                         std::u16string_view name);
// The names of the choices of a setting, in order.
std::vector<std::u16string> ChoiceNames(const SettingNode& setting);
// The names of the current and default choices ("" when there is none).
std::u16string CurrentName(const SettingNode& setting);
std::u16string DefaultName(const SettingNode& setting);

// The bytes Save would write for a document that WriteIni filled.
std::string IniText(const Cmos& cmos, HRESULT* status = nullptr);

} // namespace cvk::testing
