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

// The same search over texts whose letter case is folded once, for a program that searches one
// workspace again at every keystroke. `workspace` must outlive it and stay unchanged.
class SettingSearch {
public:
    explicit SettingSearch(const WorkspaceSnapshot& workspace);
    std::vector<FoundSetting> Find(const std::string& text) const;
    // The first `most` settings that Find gives; `count` gets how many it would give in all.
    std::vector<FoundSetting> FindFirst(const std::string& text, std::size_t most,
                                        std::size_t* count) const;

private:
    struct CmosTexts {
        std::u16string name;
        std::u16string keyword;
        std::u16string help;
        std::vector<std::u16string> choices;
    };
    struct SmbiosTexts {
        std::u16string name;
        std::u16string key;
    };

    const WorkspaceSnapshot& workspace_;
    std::vector<CmosTexts> cmos_;
    std::vector<std::u16string> thermal_;
    std::vector<SmbiosTexts> smbios_;
};

} // namespace cvkclient
