// The search over plain workspace values: what FindFirst keeps and counts matches Find.
#include "client/setting_search.h"

#include <gtest/gtest.h>

namespace {

cvkclient::WorkspaceSnapshot Snapshot() {
    cvkclient::WorkspaceSnapshot snapshot;
    auto& cmos = snapshot.cmos.emplace();
    for (const char* name : {"Quick Boot", "Boot Beep", "Fan Mode"}) {
        cvkclient::CmosSetting setting;
        setting.name = name;
        setting.help = "Changes how the board starts";
        setting.choices = {"Off", "On"};
        cmos.settings.push_back(setting);
    }
    snapshot.thermal.push_back({{"Zones", "Zone A", "Boot Delay"}, "5", ""});
    snapshot.smbios.push_back({"SystemBootName", "System Name", "", false});
    return snapshot;
}

std::vector<std::string> Names(const std::vector<cvkclient::FoundSetting>& found) {
    std::vector<std::string> names;
    for (const cvkclient::FoundSetting& hit : found)
        names.push_back(hit.path.back());
    return names;
}

TEST(SettingSearch, FindFirstKeepsTheFirstAndCountsAll) {
    const cvkclient::WorkspaceSnapshot snapshot = Snapshot();
    const cvkclient::SettingSearch search(snapshot);
    const std::vector<std::string> all = {"Quick Boot", "Boot Beep", "Boot Delay", "System Name"};
    ASSERT_EQ(Names(search.Find("BOOT")), all);
    for (std::size_t most : {0, 1, 3, 4, 9}) {
        std::size_t count = 0;
        const auto first = search.FindFirst("boot", most, &count);
        EXPECT_EQ(count, all.size()) << most;
        EXPECT_EQ(Names(first),
                  std::vector<std::string>(all.begin(), all.begin() + std::min(most, all.size())))
            << most;
    }
    // Every setting by its help text and its choices; none by a text nothing holds.
    EXPECT_EQ(search.Find("how the BOARD").size(), 3u);
    EXPECT_EQ(search.Find("on").front().fields, (std::vector<std::string>{"choice"}));
    EXPECT_TRUE(search.Find("absent").empty());
}

} // namespace
