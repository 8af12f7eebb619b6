// The search over a workspace's settings.
#include "client/setting_search.h"

namespace cvkclient {
namespace {

bool Holds(const std::u16string& folded, const std::u16string& needle) {
    return folded.find(needle) != std::u16string::npos;
}

} // namespace

SettingSearch::SettingSearch(const WorkspaceSnapshot& workspace) : workspace_(workspace) {
    if (workspace.cmos)
        for (const CmosSetting& setting : workspace.cmos->settings) {
            CmosTexts& texts = cmos_.emplace_back();
            texts.name = FoldCase(setting.name);
            texts.keyword = FoldCase(setting.keyword);
            texts.help = FoldCase(setting.help);
            for (const std::string& choice : setting.choices)
                texts.choices.push_back(FoldCase(choice));
        }
    for (const ThermalValue& value : workspace.thermal)
        thermal_.push_back(FoldCase(value.path.back()));
    for (const SmbiosValue& value : workspace.smbios)
        smbios_.push_back({FoldCase(value.name), FoldCase(value.key)});
}

std::vector<FoundSetting> SettingSearch::Find(const std::string& text) const {
    std::size_t count = 0;
    return FindFirst(text, static_cast<std::size_t>(-1), &count);
}

std::vector<FoundSetting> SettingSearch::FindFirst(const std::string& text, std::size_t most,
                                                   std::size_t* count) const {
    const std::u16string needle = FoldCase(text);
    std::vector<FoundSetting> found;
    *count = 0;
    // Counted in all, kept while there is room.
    auto keep = [&](FoundSetting&& hit) {
        if ((*count)++ < most)
            found.push_back(std::move(hit));
    };
    for (std::size_t i = 0; i < cmos_.size(); ++i) {
        const CmosTexts& texts = cmos_[i];
        FoundSetting hit;
        if (Holds(texts.name, needle))
            hit.fields.push_back("name");
        if (!texts.keyword.empty() && Holds(texts.keyword, needle))
            hit.fields.push_back("keyword");
        if (Holds(texts.help, needle))
            hit.fields.push_back("help");
        for (const std::u16string& choice : texts.choices)
            if (Holds(choice, needle)) {
                hit.fields.push_back("choice");
                break;
            }
        if (hit.fields.empty())
            continue;
        const CmosSetting& setting = workspace_.cmos->settings[i];
        if (*count < most)
            hit.path = setting.FullPath();
        hit.cmos = &setting;
        keep(std::move(hit));
    }
    for (std::size_t i = 0; i < thermal_.size(); ++i) {
        const ThermalValue& value = workspace_.thermal[i];
        if (Holds(thermal_[i], needle))
            keep({FoundKind::kThermal, value.path, {"name"}, nullptr, &value, nullptr});
    }
    for (std::size_t i = 0; i < smbios_.size(); ++i) {
        const SmbiosValue& value = workspace_.smbios[i];
        FoundSetting hit{FoundKind::kSmbios, {value.name}, {}, nullptr, nullptr, &value};
        if (Holds(smbios_[i].name, needle))
            hit.fields.push_back("name");
        if (Holds(smbios_[i].key, needle))
            hit.fields.push_back("key");
        if (!hit.fields.empty())
            keep(std::move(hit));
    }
    return found;
}

std::vector<FoundSetting> FindSettings(const WorkspaceSnapshot& workspace,
                                       const std::string& text) {
    return SettingSearch(workspace).Find(text);
}

} // namespace cvkclient
