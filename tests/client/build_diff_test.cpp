// Comparing builds on cvkgen boards: every kind of change a newer build brings is reported, and
// the review flag follows the carry-over's rule.
#include "client/build_diff.h"

#include "tests/engine/core/engine_test_support.h"
#include "tools/cvkgen/board.h"

#include <nlohmann/json.hpp>

#include <functional>

namespace {

using Json = nlohmann::json;
using cvkclient::SettingChange;

Json Setting(const std::string& name, const char* keyword, Json choices,
             const std::string& fallback) {
    Json setting = {
        {"setting", name}, {"help", "About " + name}, {"choices", choices}, {"default", fallback}};
    if (keyword)
        setting["keyword"] = keyword;
    return setting;
}

Json BaseBoard() {
    return {{"build", {{"biosId", "BASE.86A.0001"}, {"maxLocked", 8}, {"maxHidden", 8}}},
            {"setup",
             {{{"menu", "Main"},
               {"items",
                {Setting("Boot Order", "CMOS_BOOT", {"Disk", "Network", "USB"}, "Disk"),
                 Setting("Fan", "CMOS_FAN", {"Quiet", "Full"}, "Quiet"),
                 Setting("Plain", nullptr, {"Off", "On"}, "Off")}}},
              {{"menu", "Advanced"},
               {"items",
                {Setting("Cache", "CMOS_CACHE", {"Enabled", "Disabled"}, "Enabled"),
                 {{"menu", "Power"},
                  {"items", {Setting("Sleep", "CMOS_SLEEP", {"S1", "S3"}, "S3")}}}}}}}}};
}

Json& Item(Json& board, std::initializer_list<int> at) {
    Json* item = &board["setup"];
    for (int index : at)
        item = item->is_array() ? &(*item)[index] : &(*item)["items"][index];
    return *item;
}

class BuildDiffTest : public cvk::testing::EngineTest {
protected:
    cvkclient::WorkspaceSnapshot Read(const std::string& name, const Json& board) {
        const std::string map =
            WriteMap(name, cvkgen::BuildMapFile(cvkgen::ParseBoard(board.dump())));
        cvkclient::WorkspaceSnapshot snapshot;
        EXPECT_EQ(cvkclient::ReadMapFile(server(), map, &snapshot), S_OK);
        return snapshot;
    }
};

struct Case {
    const char* name;
    std::function<void(Json&)> edit;
    SettingChange change;
    std::vector<std::string> path; // of the new setting, or the old one when removed
    std::vector<std::string> what;
    bool review;
};

TEST_F(BuildDiffTest, EachKindOfChangeIsReported) {
    const Case cases[] = {
        {"renamed",
         [](Json& b) {
             Item(b, {0, 0})["setting"] = "Boot Sequence";
         },
         SettingChange::kChanged,
         {"Main", "Boot Sequence"},
         {"name"},
         false},
        {"moved",
         [](Json& b) {
             Json fan = Item(b, {0, 1});
             Item(b, {0})["items"].erase(1);
             Item(b, {1, 1})["items"].push_back(fan);
         },
         SettingChange::kChanged,
         {"Advanced", "Power", "Fan"},
         {"moved"},
         false},
        {"new default",
         [](Json& b) {
             Item(b, {0, 1})["default"] = "Full";
         },
         SettingChange::kChanged,
         {"Main", "Fan"},
         {"default"},
         false},
        {"answer added",
         [](Json& b) {
             Item(b, {0, 1})["choices"].push_back("Turbo");
         },
         SettingChange::kChanged,
         {"Main", "Fan"},
         {"choices"},
         true},
        {"answer renamed in letter case",
         [](Json& b) {
             Item(b, {0, 1})["choices"][1] = "FULL";
         },
         SettingChange::kChanged,
         {"Main", "Fan"},
         {"choices"},
         false},
        {"current answer renamed in letter case",
         [](Json& b) {
             Item(b, {0, 1})["choices"][0] = "QUIET";
             Item(b, {0, 1})["default"] = "QUIET";
         },
         SettingChange::kChanged,
         {"Main", "Fan"},
         {"default", "choices"},
         true},
        {"help",
         [](Json& b) {
             Item(b, {1, 0})["help"] = "Other words";
         },
         SettingChange::kChanged,
         {"Advanced", "Cache"},
         {"help"},
         false},
        {"keyword dropped",
         [](Json& b) {
             Item(b, {1, 0}).erase("keyword");
         },
         SettingChange::kChanged,
         {"Advanced", "Cache"},
         {"keyword"},
         false},
        {"added",
         [](Json& b) {
             Item(b, {0})["items"].push_back(Setting("New", "CMOS_NEW", {"A", "B"}, "A"));
         },
         SettingChange::kAdded,
         {"Main", "New"},
         {},
         true},
        {"removed",
         [](Json& b) { Item(b, {0})["items"].erase(2); },
         SettingChange::kRemoved,
         {"Main", "Plain"},
         {},
         false},
        {"unmatched name",
         [](Json& b) {
             Item(b, {0, 2})["setting"] = "Plainer";
         },
         SettingChange::kAdded,
         {"Main", "Plainer"},
         {},
         true},
    };
    const cvkclient::WorkspaceSnapshot old = Read("old.cvk", BaseBoard());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Json board = BaseBoard();
        c.edit(board);
        const cvkclient::WorkspaceSnapshot fresh = Read("new.cvk", board);
        const cvkclient::BuildDiff diff = cvkclient::CompareBuilds(old, fresh);
        const cvkclient::SettingDiff* found = nullptr;
        for (const cvkclient::SettingDiff& setting : diff.settings) {
            const cvkclient::CmosSetting* side = setting.fresh ? setting.fresh : setting.old;
            if (setting.change == c.change && side->FullPath() == c.path)
                found = &setting;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->what, c.what);
        EXPECT_EQ(found->review, c.review);
    }
}

TEST_F(BuildDiffTest, AnswersAndGroupsInDetail) {
    Json board = BaseBoard();
    Json& boot = Item(board, {0, 0});
    boot["choices"] = {"Disk", "LAN", "Floppy"}; // Network renamed (same value), USB gone
    Item(board, {1})["items"].erase(1);          // the Power menu goes
    board["setup"].push_back(
        {{"menu", "Extra"}, {"items", {Setting("Sleep", "CMOS_SLEEP", {"S1", "S3"}, "S3")}}});
    const cvkclient::WorkspaceSnapshot old = Read("old.cvk", BaseBoard());
    const cvkclient::WorkspaceSnapshot fresh = Read("new.cvk", board);
    const cvkclient::BuildDiff diff = cvkclient::CompareBuilds(old, fresh);
    EXPECT_EQ(diff.groupsAdded, (std::vector<cvkclient::Path>{{"Extra"}}));
    EXPECT_EQ(diff.groupsRemoved, (std::vector<cvkclient::Path>{{"Advanced", "Power"}}));
    ASSERT_FALSE(diff.settings.empty());
    const cvkclient::SettingDiff& first = diff.settings.front();
    EXPECT_EQ(first.fresh->keyword, "CMOS_BOOT");
    ASSERT_EQ(first.choicesRenamed.size(), 2u);
    EXPECT_EQ(first.choicesRenamed[0].from, "Network");
    EXPECT_EQ(first.choicesRenamed[0].to, "LAN");
    EXPECT_EQ(first.choicesRenamed[1].to, "Floppy");
    EXPECT_TRUE(first.choicesAdded.empty() && first.choicesRemoved.empty());
    EXPECT_EQ(diff.Count(SettingChange::kChanged), 2u); // the boot order, Sleep moved
}

} // namespace
