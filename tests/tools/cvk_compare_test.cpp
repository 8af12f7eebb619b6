// cvk diff, changes, show --find and export end to end: the real program on the demo board and
// on randomised cvkgen boards with newer builds made from them.
#include "tests/tools/cvk_run.h"
#include "tests/tools/random_board.h"

#include <set>

namespace {

using namespace cvktest;

class CvkCompareTest : public CvkTest {
protected:
    // Writes the board description and its map file (and flash image when it has modules).
    std::string WriteBoard(const std::string& name, const Json& board, bool withImage = false) {
        WriteFile(PathOf(name + ".json"), board.dump());
        std::vector<std::string> args = {CVKGEN_PROGRAM, PathOf(name + ".json"),
                                         PathOf(name + ".cvk")};
        if (withImage)
            args.insert(args.end(), {"--bio", PathOf(name + ".bio")});
        Result made = RunProgram(args, folder_, registry_);
        EXPECT_EQ(made.exitCode, 0) << made.err;
        return PathOf(name + ".cvk");
    }
    std::string NewWorkspace(const std::string& name, const std::string& map) {
        Result made = Cvk({"new", map, "--out", PathOf(name)});
        EXPECT_EQ(made.exitCode, 0) << made.err;
        return PathOf(name);
    }
    Json RunJson(const std::vector<std::string>& args) {
        Result result = Cvk(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.exitCode == 0 ? Json::parse(result.out) : Json();
    }
    void Apply(const std::string& ws, const Json& edits) {
        WriteFile(PathOf("edits.json"), edits.dump());
        Result applied = Cvk({"apply", ws, PathOf("edits.json")});
        ASSERT_EQ(applied.exitCode, 0) << applied.err << edits.dump();
    }
    // The INI file's body from [System] on.
    std::string IniBody(const std::string& ws, const std::string& name) {
        Result ini = Cvk({"ini", ws, PathOf(name)});
        EXPECT_EQ(ini.exitCode, 0) << ini.err;
        const std::string text = ReadFile(PathOf(name));
        const std::size_t system = text.find("[System]");
        return system == std::string::npos ? text : text.substr(system);
    }
};

// Every CMOS setting of a `show --json` tree with its path, in tree order.
void CollectSettings(const Json& group, std::vector<std::string> path,
                     std::vector<std::pair<std::vector<std::string>, Json>>* out) {
    for (const Json& setting : group.at("settings")) {
        std::vector<std::string> full = path;
        full.push_back(setting.at("name"));
        out->emplace_back(full, setting);
    }
    for (const Json& child : group.at("groups")) {
        std::vector<std::string> below = path;
        below.push_back(child.at("name"));
        CollectSettings(child, below, out);
    }
}

std::vector<std::pair<std::vector<std::string>, Json>> Settings(const Json& shown) {
    std::vector<std::pair<std::vector<std::string>, Json>> settings;
    CollectSettings(shown.at("cmos").at("tree"), {}, &settings);
    return settings;
}

// Random edits of a workspace in the format of apply: choices, locks, hides.
Json RandomCmosEdits(const Json& shown, unsigned seed) {
    std::mt19937 random(seed);
    Json edits = Json::array();
    int locks = 0, hides = 0;
    for (const auto& [path, setting] : Settings(shown)) {
        const Json& choices = setting.at("choices");
        Json edit = {{"setting", path}};
        if (random() % 3 == 0 && !choices.empty())
            edit["choice"] = choices[random() % choices.size()].at("name");
        const unsigned mark = random() % 10;
        if (mark == 0 && locks < 4)
            edit["locked"] = true, ++locks;
        else if (mark == 1 && hides < 4)
            edit["hidden"] = true, ++hides;
        if (edit.size() > 1)
            edits.push_back(edit);
    }
    return edits;
}

TEST_F(CvkCompareTest, PreviewFlagsExactlyWhatTheUpdateFlags) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Json board = RandomBoard(seed);
        const std::string oldMap = WriteBoard("old", board);
        const std::string newMap = WriteBoard("new", NewerBuild(board, seed * 7));
        const std::string ws = NewWorkspace("ws.cvw", oldMap);
        Apply(ws, {{"cmos", RandomCmosEdits(RunJson({"show", ws, "--json"}), seed)}});

        const std::string before = ReadFile(ws);
        const Json diff = RunJson({"diff", ws, newMap, "--json"});
        EXPECT_EQ(ReadFile(ws), before) << "the preview wrote the workspace";
        std::set<std::vector<std::string>> previewed;
        for (const Json& entry : diff.at("settings"))
            if (entry.at("review") == true)
                previewed.insert(entry.at("new").at("path").get<std::vector<std::string>>());

        ASSERT_EQ(Cvk({"update", ws, newMap}).exitCode, 0);
        std::set<std::vector<std::string>> flagged;
        for (const auto& [path, setting] : Settings(RunJson({"show", ws, "--json"})))
            if (setting.at("needsReview") == true)
                flagged.insert(path);
        EXPECT_FALSE(flagged.empty());
        EXPECT_EQ(previewed, flagged);
    }
}

TEST_F(CvkCompareTest, ExportNewApplyReproducesTheIniOnRandomBoards) {
    for (unsigned seed = 11; seed <= 16; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string map = WriteBoard("board", RandomBoard(seed, 40));
        const std::string ws = NewWorkspace("ws.cvw", map);
        const Json thermal = {{{"setting", "Zones/Zone A/TempLow (Celsius)"}, {"value", "7"}}};
        Apply(ws,
              {{"cmos", RandomCmosEdits(RunJson({"show", ws, "--json"}), seed)},
               {"smbios", {{{"key", "SystemSerialNum"}, {"value", "Enter it"}, {"prompt", true}}}},
               {"thermal", thermal}});
        ASSERT_EQ(Cvk({"export", ws, PathOf("out.json")}).exitCode, 0);
        const std::string copy = NewWorkspace("copy.cvw", map);
        ASSERT_EQ(Cvk({"apply", copy, PathOf("out.json")}).exitCode, 0);
        EXPECT_EQ(IniBody(copy, "copy.ini"), IniBody(ws, "ws.ini"));
    }
}

TEST_F(CvkCompareTest, ExportNewApplyReproducesTheDemoWorkspace) {
    const std::string map = CopyDemoMap("demo.cvk");
    fs::copy_file(fs::path(CORVANE_DEMO_MAP).replace_extension(".bio"), PathOf("demo.bio"));
    fs::copy_file(fs::path(CORVANE_DEMO_MAP).parent_path() / "demo_2.bio", PathOf("demo_2.bio"));
    const std::string ws = NewWorkspace("ws.cvw", map);
    Apply(ws, {{"cmos", RandomCmosEdits(RunJson({"show", ws, "--json"}), 3)},
               {"smbios", {{{"key", "SystemProduct"}, {"value", "Vane 7"}}}},
               {"modules", {{{"handle", 4}, {"in", true}}, {{"handle", 3}, {"in", false}}}},
               {"flash_size", 1048576},
               {"logo", {{"badge", {20, 40}}}}});
    ASSERT_EQ(Cvk({"export", ws, PathOf("out.json")}).exitCode, 0);
    const Json exported = Json::parse(ReadFile(PathOf("out.json")));
    EXPECT_TRUE(exported.contains("modules") && exported.contains("logo")) << exported.dump();

    const std::string copy = NewWorkspace("copy.cvw", map);
    ASSERT_EQ(Cvk({"apply", copy, PathOf("out.json")}).exitCode, 0);
    EXPECT_EQ(IniBody(copy, "copy.ini"), IniBody(ws, "ws.ini"));
    Json a = RunJson({"changes", ws, "--json"}), b = RunJson({"changes", copy, "--json"});
    for (Json* changes : {&a, &b})
        for (Json& setting : (*changes)["cmos"])
            setting.erase("review");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.at("flashPartSize"), 1048576);
    EXPECT_EQ(a.at("smbios").size(), 1u);

    // An edits file naming an unknown setting is refused with it, and nothing is changed.
    Json unknown = exported;
    unknown["cmos"].push_back({{"setting", "CMOS_NO_SUCH"}, {"locked", true}});
    WriteFile(PathOf("unknown.json"), unknown.dump());
    const std::string saved = ReadFile(copy);
    Result refused = Cvk({"apply", copy, PathOf("unknown.json")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("CMOS_NO_SUCH"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadFile(copy), saved);
}

TEST_F(CvkCompareTest, DiffReportsModulesLimitsAndIdentification) {
    std::ifstream in(CORVANE_DEMO_BOARD);
    const Json board = Json::parse(in);
    Json newer = board;
    newer["build"]["biosId"] = "TR865PE.86A.0040.P12";
    newer["build"]["maxLocked"] = 12;
    Json& modules = newer["modules"]["list"];
    for (std::size_t i = 0; i < modules.size(); ++i)
        if (modules[i]["handle"] == 21)
            modules[i]["size"] = 36864;
    modules.erase(modules.size() - 1);
    modules.push_back({{"handle", 40}, {"name", "Diagnostics"}, {"size", 8192}});
    newer["modules"]["version"] = "TR865PE.86A.0040.P12";
    const Json diff =
        RunJson({"diff", WriteBoard("old", board, true), WriteBoard("new", newer, true), "--json"});
    EXPECT_EQ(diff.at("identification").at("new").at("biosId"), "TR865PE.86A.0040.P12");
    EXPECT_EQ(diff.at("limits").at("old").at("maxLocked"), 16);
    EXPECT_EQ(diff.at("limits").at("new").at("maxLocked"), 12);
    std::multiset<std::pair<std::string, int>> changes;
    for (const Json& module : diff.at("modules"))
        changes.emplace(module.at("change").get<std::string>(),
                        (module.at("new").is_null() ? module.at("old") : module.at("new"))
                            .at("handle")
                            .get<int>());
    const int removed = board["modules"]["list"].back()["handle"];
    EXPECT_EQ(changes, (std::multiset<std::pair<std::string, int>>{
                           {"resized", 21}, {"added", 40}, {"removed", removed}}));
    EXPECT_TRUE(diff.at("settings").empty());
}

TEST_F(CvkCompareTest, TextReportCountsFirstAndUnreadableMapsNameTheFile) {
    const Json board = RandomBoard(5);
    const std::string oldMap = WriteBoard("old", board);
    const std::string newMap = WriteBoard("new", NewerBuild(board, 9));
    Result text = Cvk({"diff", oldMap, newMap});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.rfind("settings: ", 0), 0u) << text.out;

    WriteFile(PathOf("junk.cvk"), "not a map file");
    Result bad = Cvk({"diff", oldMap, PathOf("junk.cvk")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("\"" + PathOf("junk.cvk") + "\": error 0x8004040"), std::string::npos)
        << bad.err;
    EXPECT_EQ(Cvk({"diff", oldMap}).exitCode, 2);
}

TEST_F(CvkCompareTest, FindMatchesEachFieldIgnoringCase) {
    const std::string ws = NewWorkspace("ws.cvw", CopyDemoMap("demo.cvk"));
    struct Case {
        const char* text;
        const char* kind;
        const char* field;
        std::vector<std::string> path;
    };
    const Case cases[] = {
        {"halt on", "cmos", "name", {"Main", "Halt On"}},
        {"cmos_halt_", "cmos", "keyword", {"Main", "Halt On"}},
        {"auto detects the PRESENCE", "cmos", "help", {"Main", "Primary IDE Master"}},
        {"2.88m", "cmos", "choice", {"Main", "Legacy Diskette A"}},
        {"templow", "thermal", "name", {"Zones", "Zone A", "TempLow (Celsius)"}},
        {"chassis asset", "smbios", "name", {"Chassis Asset Tag"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Json found = RunJson({"show", ws, "--find", c.text, "--json"});
        bool seen = false;
        for (const Json& hit : found)
            seen = seen ||
                   (hit.at("kind") == c.kind && hit.at("path") == c.path &&
                    std::count(hit.at("fields").begin(), hit.at("fields").end(), c.field) == 1);
        EXPECT_TRUE(seen) << found.dump();
    }
    EXPECT_TRUE(RunJson({"show", ws, "--find", "no such text anywhere", "--json"}).empty());
}

} // namespace
