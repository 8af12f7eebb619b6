// Shared fixtures of the CMOS tests.
#include "tests/engine/cmos/cmos_test_support.h"

#include "engine/output/ini_writer.h"
#include "tests/engine/core/map_test_support.h"
#include "tools/cvkgen/board.h"

#include <gtest/gtest.h>

namespace cvk::testing {

cvkgen::MapFileContent BoardMap(const std::string& json) {
    return cvkgen::BuildMapFile(cvkgen::ParseBoard(json));
}

std::string OneMenuBoard(const std::string& settingsJson, int maxLocked, int maxHidden) {
    return R"({"build": {"biosId": "TEST.BIOS", "maxLocked": )" + std::to_string(maxLocked) +
           R"(, "maxHidden": )" + std::to_string(maxHidden) +
           R"(}, "setup": [{"menu": "Main", "items": )" + settingsJson + "}]}";
}

ComPtr<Cmos> BuildCmos(const cvkgen::MapFileContent& content, HRESULT* status) {
    BiosImage image;
    EXPECT_EQ(LoadContent(content, image), S_OK);
    auto cmos = MakeObject<Cmos>();
    cmos->SetLimits(content.buildInfo.maxHideSettings, content.buildInfo.maxLockSettings);
    const HRESULT hr = cmos->BuildFromBiosImage(image);
    if (status)
        *status = hr;
    else
        EXPECT_EQ(hr, S_OK);
    return cmos;
}

SettingNode* FindSetting(const Cmos& cmos, const std::vector<std::u16string>& groups,
                         std::u16string_view name) {
    const GroupNode* group = cmos.Root();
    for (const std::u16string& wanted : groups) {
        const GroupNode* next = nullptr;
        for (const ComPtr<GroupNode>& child : group->Children().Items())
            if (child->Name().view() == wanted) {
                next = child.get();
                break;
            }
        if (!next)
            return nullptr;
        group = next;
    }
    for (const ComPtr<SettingNode>& setting : group->Settings().Items())
        if (setting->Name().view() == name)
            return setting.get();
    return nullptr;
}

std::vector<std::u16string> ChoiceNames(const SettingNode& setting) {
    std::vector<std::u16string> names;
    for (const ComPtr<ChoiceNode>& choice : setting.Choices().Items())
        names.push_back(choice->Name().str());
    return names;
}

std::u16string CurrentName(const SettingNode& setting) {
    return setting.Current() ? setting.Current()->Name().str() : u"";
}

std::u16string DefaultName(const SettingNode& setting) {
    return setting.Default() ? setting.Default()->Name().str() : u"";
}

std::string IniText(const Cmos& cmos, HRESULT* status) {
    IniWriter ini;
    const HRESULT hr = cmos.WriteIni(ini);
    if (status)
        *status = hr;
    return ini.Text();
}

} // namespace cvk::testing
