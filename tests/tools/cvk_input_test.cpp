// cvk against bad input: files that are not files, duplicate keys, base names that are not DOS
// names, and output failures that must say in words what is wrong and where.
#include "tests/tools/cvk_run.h"
#include "tools/cvkgen/board.h"

#include <sys/stat.h>

#include <cstring>

namespace {

using namespace cvktest;
namespace fs = std::filesystem;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CvkInputTest : public CvkTest {
protected:
    // A map file made by cvkgen from a board description.
    std::string Board(const std::string& name, const std::string& description) {
        WriteFile(folder_ / (name + ".json"), description);
        Result made = RunProgram({CVKGEN_PROGRAM, PathOf(name + ".json"), PathOf(name + ".cvk")},
                                 folder_, registry_);
        EXPECT_EQ(made.exitCode, 0) << made.err;
        return PathOf(name + ".cvk");
    }

    std::string NewWorkspace(const std::string& map = CORVANE_DEMO_PLAIN_MAP) {
        const std::string ws = PathOf("demo.cvw");
        Result made = Cvk({"new", map, "--out", ws});
        EXPECT_EQ(made.exitCode, 0) << made.err;
        return ws;
    }
};

TEST_F(CvkInputTest, InputsThatAreNotRegularFilesOrHoldAKeyTwiceAreRefused) {
    const std::string ws = NewWorkspace(CORVANE_DEMO_MAP);
    const std::string before = ReadFile(ws);
    fs::create_directories(folder_ / "folder.json");
    ASSERT_EQ(::mkfifo(PathOf("fifo.json").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(PathOf("fifo.bmp").c_str(), 0600), 0);
    WriteFile(folder_ / "twice.json", R"json({
        "cmos": [{"setting": "CMOS_XD_BIT", "hidden": true}],
        "cmos": [{"setting": "CMOS_C1E", "hidden": true}]})json");
    WriteFile(folder_ / "inner.json",
              R"json({"cmos": [{"setting": "CMOS_XD_BIT", "setting": "CMOS_C1E"}]})json");
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"apply", ws, PathOf("folder.json")}, "is a folder"},
        {{"apply", ws, PathOf("fifo.json")}, "is not a regular file"},
        {{"apply", ws, PathOf("twice.json")}, "the key \"cmos\" is given more than once"},
        {{"apply", ws, PathOf("inner.json")}, "the key \"setting\" is given more than once"},
        {{"logo", ws, PathOf("fifo.bmp")}, "is not a regular file"},
    };
    for (const auto& c : cases) {
        Result result = Cvk(c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args[2] << result.err;
        EXPECT_TRUE(Has(result.err, c.says)) << result.err;
    }
    EXPECT_EQ(ReadFile(ws), before);
}

TEST_F(CvkInputTest, BatchRefusesBaseNamesThatAreNotDosNamesAndWritesNothing) {
    const std::string ws = NewWorkspace();
    const fs::path media = folder_ / "media";
    fs::create_directories(media);
    for (const char* base : {"../x", "a b", "NINECHARS", "a/b", "x.y", ""}) {
        Result result = Cvk({"batch", ws, media.string(), std::string("--base=") + base});
        EXPECT_EQ(result.exitCode, 1) << base;
        EXPECT_TRUE(Has(result.err, "is not a DOS file name")) << result.err;
        EXPECT_TRUE(fs::is_empty(media)) << base;
    }
    EXPECT_FALSE(fs::exists(folder_ / "x.ini"));
}

TEST_F(CvkInputTest, BatchWritesAllItsFilesOrNone) {
    const std::string ws = NewWorkspace();
    const fs::path media = folder_ / "media";
    fs::create_directories(media / "cvk.bat"); // cvk.bat cannot be replaced
    WriteFile(media / "BOARD.ini", "old");
    Result failed = Cvk({"batch", ws, media.string(), "--base", "BOARD"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(Has(failed.err, "cvk.bat")) << failed.err;
    EXPECT_EQ(ReadFile(media / "BOARD.ini"), "old");
    EXPECT_FALSE(fs::exists(media / "autoexec.bat"));
    EXPECT_EQ(std::distance(fs::directory_iterator(media), fs::directory_iterator()), 2)
        << "no stage left behind";

    fs::remove(media / "cvk.bat");
    WriteFile(media / "autoexec.bat", "PATH C:\\DOS\r\n");
    Result done = Cvk({"batch", ws, media.string(), "--base", "BOARD"});
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_NE(ReadFile(media / "BOARD.ini"), "old");
    EXPECT_EQ(ReadFile(media / "autoexec.bat").rfind("PATH C:\\DOS\r\n", 0), 0u);
    EXPECT_TRUE(Has(ReadFile(media / "autoexec.bat"), "Call cvk.bat"));
    EXPECT_EQ(std::distance(fs::directory_iterator(media), fs::directory_iterator()), 3);
}

TEST_F(CvkInputTest, OutputFailuresSayWhatIsWrongAndWhere) {
    const std::string ws = NewWorkspace();
    fs::create_directories(folder_ / "target.ini");
    fs::create_directories(folder_ / "locked");
    fs::permissions(folder_ / "locked", fs::perms::owner_write, fs::perm_options::remove);
    const std::string missing = PathOf("gone/x.ini"), folder = PathOf("target.ini");
    const std::string locked = PathOf("locked/x.txt");
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"ini", ws, missing}, "\"" + missing + "\": its folder does not exist"},
        {{"ini", ws, folder}, "\"" + folder + "\": it is a folder"},
        {{"report", ws, locked}, "\"" + locked + "\": the file or its folder is read-only"},
        {{"report", ws, folder}, "\"" + folder + "\": it is a folder"},
        {{"batch", ws, PathOf("gone")}, "The folder \"" + PathOf("gone") + "\" does not exist"},
    };
    for (const auto& c : cases) {
        Result result = Cvk(c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args[0];
        EXPECT_TRUE(Has(result.err, c.says)) << result.err;
        EXPECT_FALSE(Has(result.err, "the engine refused the request")) << result.err;
    }
}

TEST_F(CvkInputTest, AssignmentsWithoutAValueAreUsageErrors) {
    const std::string ws = NewWorkspace();
    for (const char* command : {"set", "thermal"}) {
        Result result = Cvk({command, ws, "CMOS_C1E"});
        EXPECT_EQ(result.exitCode, 2) << command << result.err;
        EXPECT_TRUE(Has(result.err, "is not of the form NAME=VALUE")) << result.err;
    }
}

TEST_F(CvkInputTest, OpenAndSaveRemoveTheTemporariesOfKilledSaves) {
    const std::string ws = NewWorkspace();
    // Pids above the kernel's limit never run; this test's own process does.
    const fs::path stale = folder_ / ".demo.cvw.999999999.0.0.tmp";
    const fs::path live = folder_ / (".demo.cvw." + std::to_string(::getpid()) + ".0.0.tmp");
    const fs::path other = folder_ / ".other.cvw.999999999.0.0.tmp";
    for (const fs::path& path : {stale, live, other})
        WriteFile(path, "partial");
    ASSERT_EQ(Cvk({"info", ws}).exitCode, 0);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live)) << "a save in progress";
    EXPECT_TRUE(fs::exists(other)) << "another file's";
    WriteFile(stale, "partial");
    ASSERT_EQ(Cvk({"reviewed", ws}).exitCode, 0);
    EXPECT_FALSE(fs::exists(stale));
}

TEST_F(CvkInputTest, OutputsWarnOfSettingsTheIniWalkLeavesOut) {
    // "Odd" has a default that is none of its answers: the INI writer's walk of its menu ends
    // there, and the locked setting after it is not in the lock table.
    const std::string map = Board("odd", R"({"build": {"maxLocked": 16, "maxHidden": 16},
        "setup": [{"menu": "Main", "items": [
            {"setting": "First", "keyword": "CMOS_FIRST", "choices": ["a", "b"]},
            {"setting": "Odd", "keyword": "CMOS_ODD", "choices": ["a", "b"], "default": 3,
             "cmos": {"byte": "0x50", "bit": 0, "bits": 2}},
            {"setting": "After", "keyword": "CMOS_AFTER", "choices": ["a", "b"]}]},
            {"menu": "Other", "items": [
             {"setting": "Later", "keyword": "CMOS_LATER", "choices": ["a", "b"]}]}]})");
    const std::string ws = NewWorkspace(map);
    ASSERT_EQ(Cvk({"lock", ws, "CMOS_AFTER"}).exitCode, 0);
    fs::create_directories(folder_ / "out");
    const std::vector<std::vector<std::string>> outputs = {
        {"ini", ws, PathOf("out.ini")},
        {"report", ws, PathOf("out.txt")},
        {"batch", ws, PathOf("out")},
        {"media", ws, PathOf("out"), "--overwrite"},
    };
    for (const std::vector<std::string>& args : outputs) {
        Result run = Cvk(args);
        EXPECT_EQ(run.exitCode, 0) << args[0] << run.err;
        EXPECT_TRUE(Has(run.err, "warning: the CMOS setting \"Main/Odd\" (CMOS_ODD) has no "
                                 "current choice"))
            << args[0] << run.err;
        EXPECT_TRUE(Has(run.err, ": \"Main/After\" (CMOS_AFTER), locked; choose")) << run.err;
        EXPECT_FALSE(Has(run.err, "CMOS_FIRST")) << run.err;
        EXPECT_FALSE(Has(run.err, "CMOS_LATER")) << run.err;
    }
    Result cmosLess = Cvk({"report", ws, PathOf("out.txt"), "--components", "smbios"});
    EXPECT_FALSE(Has(cmosLess.err, "warning")) << cmosLess.err;

    ASSERT_EQ(Cvk({"set", ws, "CMOS_ODD=a"}).exitCode, 0);
    for (const std::vector<std::string>& args : outputs) {
        Result mended = Cvk(args);
        EXPECT_EQ(mended.exitCode, 0);
        EXPECT_FALSE(Has(mended.err, "warning")) << args[0] << mended.err;
    }
}

TEST_F(CvkInputTest, ChoicesOfSettingsPastTheCmosImageAreKeptAndWarned) {
    // cvkgen places settings within the image only; the far one is moved past it by hand.
    cvkgen::Board board = cvkgen::ParseBoard(R"({"build": {"maxLocked": 4}, "setup": [
        {"setting": "Near", "keyword": "CMOS_NEAR", "choices": ["a", "b"]},
        {"setting": "Far", "keyword": "CMOS_FAR", "choices": ["a", "b"]}]})");
    board.setup.at(1).setting.bitOffset = 2048;
    cvkgen::SaveFileAtomically(PathOf("far.cvk"),
                               cvkgen::WriteMapFile(cvkgen::BuildMapFile(board)));
    const std::string ws = NewWorkspace(PathOf("far.cvk"));
    const struct {
        std::vector<std::string> args;
        bool warns;
    } cases[] = {
        {{"set", ws, "CMOS_NEAR=b"}, false},
        {{"set", ws, "CMOS_FAR=b"}, true},
        {{"lock", ws, "CMOS_FAR"}, false},
    };
    for (const auto& c : cases) {
        Result run = Cvk(c.args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Has(run.err, "warning: the CMOS setting \"CMOS_FAR\" lies at bit 2048, past "
                               "the 2048 bits of the CMOS image"),
                  c.warns)
            << c.args[2] << run.err;
    }
    const nlohmann::json shown = nlohmann::json::parse(Cvk({"show", ws, "--json"}).out);
    EXPECT_EQ(shown.at("cmos").at("tree").at("settings").at(1).at("current"), "b");
}

TEST_F(CvkInputTest, ComponentsThatDropEditsNameThem) {
    const std::string ws = NewWorkspace(CORVANE_DEMO_MAP);
    ASSERT_EQ(Cvk({"hide", ws, "CMOS_C1E"}).exitCode, 0);
    ASSERT_EQ(Cvk({"smbios", ws, "SystemVersion=1"}).exitCode, 0);
    ASSERT_EQ(Cvk({"module", ws, "20", "on"}).exitCode, 0);
    const struct {
        const char* components;
        std::vector<std::string> warned; // thermal holds no edits and is never named
    } cases[] = {
        {"cmos,thermal,smbios,flex", {}},
        {"cmos,flex", {"smbios"}},
        {"cmos", {"flex"}},
        {"none", {"cmos"}},
    };
    for (const auto& c : cases) {
        Result run = Cvk({"components", ws, c.components});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::string expected;
        for (const std::string& name : c.warned)
            expected += "cvk: warning: the component " + name +
                        " held edits; they were dropped with it and its values are back at "
                        "the BIOS image's defaults\n";
        EXPECT_EQ(run.err, expected) << c.components;
    }
}

TEST_F(CvkInputTest, BootPositionsNamingOneDeviceWarn) {
    const std::string ws = NewWorkspace();
    const std::string clash = "warning: the boot positions CMOS_2NDBOOTDEV and CMOS_3RDBOOTDEV "
                              "both name \"Hard Drive\"";
    WriteFile(folder_ / "swap.json", R"json({"cmos": [
        {"setting": "CMOS_2NDBOOTDEV", "choice": "ATAPI CD-ROM"},
        {"setting": "CMOS_3RDBOOTDEV", "choice": "Hard Drive"}]})json");
    const struct {
        std::vector<std::string> args;
        bool warns;
    } cases[] = {
        {{"set", ws, "CMOS_3RDBOOTDEV=Hard Drive"}, true}, // the second names it already
        {{"ini", ws, PathOf("out.ini")}, true},
        {{"apply", ws, PathOf("swap.json")}, false},
        {{"ini", ws, PathOf("out.ini")}, false},
    };
    for (const auto& c : cases) {
        Result run = Cvk(c.args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Has(run.err, clash), c.warns) << c.args[0] << run.err;
    }
}

TEST_F(CvkInputTest, AFlashImageThatCannotBeReadIsNamedAndLeftOutOnlyByDefault) {
    const std::string map = CopyDemoMap("demo.cvk");
    const fs::path samples = fs::path(CORVANE_DEMO_MAP).parent_path();
    fs::copy_file(samples / "demo.bio", folder_ / "demo.bio");
    std::string second = ReadFile(samples / "demo_2.bio");
    second[second.size() - 1] ^= 0x01; // one flipped byte in the continuation file
    WriteFile(folder_ / "demo_2.bio", second);
    const std::string why = "The flash image \"" + PathOf("demo.bio") +
                            "\" cannot be read: demo_2.bio: part checksum does not match.";
    const struct {
        std::vector<std::string> components;
        int exitCode;
        std::string says; // on stderr; empty: nothing
    } cases[] = {
        {{}, 0, "cvk: warning: " + why + " The workspace is made without modules"},
        {{"--components", "cmos,flex"}, 1, why},
        {{"--components", "cmos"}, 0, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"new", map, "--out", PathOf("demo.cvw")};
        args.insert(args.end(), c.components.begin(), c.components.end());
        fs::remove(PathOf("demo.cvw"));
        Result run = Cvk(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(c.says.empty() ? run.err.empty() : Has(run.err, c.says), true) << run.err;
        EXPECT_EQ(fs::exists(PathOf("demo.cvw")), c.exitCode == 0);
    }
    const nlohmann::json shown =
        nlohmann::json::parse(Cvk({"show", PathOf("demo.cvw"), "--json"}).out);
    EXPECT_TRUE(shown.at("flex").is_null());
}

TEST_F(CvkInputTest, CvkgenRefusesMenusDeeperThanTheEngineReads) {
    // Menus nested `levels` deep around one setting.
    const auto nested = [](int levels) {
        std::string json = R"({"setting": "Deep", "keyword": "CMOS_DEEP", "choices": ["a", "b"]})";
        for (int i = 0; i < levels; ++i)
            json = R"({"menu": "M", "items": [)" + json + "]}";
        return R"({"setup": [)" + json + "]}";
    };
    WriteFile(folder_ / "deepest.json", nested(64));
    WriteFile(folder_ / "deeper.json", nested(65));
    Result deepest = RunProgram({CVKGEN_PROGRAM, PathOf("deepest.json"), PathOf("deepest.cvk")},
                                folder_, registry_);
    ASSERT_EQ(deepest.exitCode, 0) << deepest.err;
    const std::string ws = NewWorkspace(PathOf("deepest.cvk"));
    EXPECT_EQ(Cvk({"set", ws, "CMOS_DEEP=b"}).exitCode, 0) << "the engine reads 64 levels";

    Result deeper = RunProgram({CVKGEN_PROGRAM, PathOf("deeper.json"), PathOf("deeper.cvk")},
                               folder_, registry_);
    EXPECT_EQ(deeper.exitCode, 1);
    EXPECT_TRUE(Has(deeper.err, "menus nest deeper than the 64 levels the engine reads"))
        << deeper.err;
    EXPECT_FALSE(fs::exists(PathOf("deeper.cvk")));
}

TEST_F(CvkInputTest, ALockHideTableBeyondTheIniIsWarnedAndExplained) {
    const std::string map = Board("big", R"({"build": {"maxLocked": 64, "maxHidden": 65},
        "setup": [{"setting": "Root", "choices": ["x", "y"]}]})");
    const std::string ws = PathOf("big.cvw");
    const std::string says = "the BIOS asks for 64 lock and 65 hide entries";
    Result made = Cvk({"new", map, "--out", ws});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    EXPECT_TRUE(Has(made.err, "warning: " + says)) << made.err;
    Result info = Cvk({"info", ws});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_TRUE(Has(info.err, "warning: " + says)) << info.err;
    Result ini = Cvk({"ini", ws, PathOf("out.ini")});
    EXPECT_EQ(ini.exitCode, 1);
    EXPECT_TRUE(Has(ini.err, "The BIOS asks for 64 lock and 65 hide entries; the table holds 128"))
        << ini.err;
}

TEST_F(CvkInputTest, SmbiosValuesRefuseControlsAndWarnOfCharactersTheCodePageLacks) {
    const std::string ws = NewWorkspace();
    const std::string before = ReadFile(ws);
    WriteFile(folder_ / "nul.json",
              R"json({"smbios": [{"key": "SystemVersion", "value": "a\u0000b"}]})json");
    Result nul = Cvk({"apply", ws, PathOf("nul.json")});
    EXPECT_EQ(nul.exitCode, 1);
    EXPECT_TRUE(Has(nul.err, "holds the control character U+0000")) << nul.err;
    Result bell = Cvk({"smbios", ws, "SystemVersion=a\ab"});
    EXPECT_EQ(bell.exitCode, 1);
    EXPECT_TRUE(Has(bell.err, "holds the control character U+0007")) << bell.err;
    EXPECT_EQ(ReadFile(ws), before);

    // "\u20ac" is in the code page; the Greek letter and the emoji are not.
    Result foreign = Cvk({"smbios", ws, "SystemVersion=\u20ac \u03a9 \U0001F600 \u03a9?"});
    EXPECT_EQ(foreign.exitCode, 0) << foreign.err;
    EXPECT_TRUE(Has(foreign.err, "warning: the value for \"System Version\"")) << foreign.err;
    EXPECT_TRUE(Has(foreign.err, ": \"\u03a9\" (U+03A9), \"\U0001F600\" (U+1F600)\n"))
        << foreign.err;
    Result plain = Cvk({"smbios", ws, "SystemVersion=Caf\u00e9 \u20ac?"});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_FALSE(Has(plain.err, "warning")) << plain.err;
}

TEST_F(CvkInputTest, UpdateSaysTheModulesAndLogoWereReset) {
    const std::string flex = NewWorkspace(CORVANE_DEMO_MAP);
    Result update = Cvk({"update", flex, CORVANE_DEMO_MAP});
    EXPECT_EQ(update.exitCode, 0) << update.err;
    EXPECT_TRUE(Has(update.err, "warning: the module selection and the logo were reset"))
        << update.err;
    fs::remove(flex);
    const std::string plain = NewWorkspace(CORVANE_DEMO_PLAIN_MAP);
    Result quiet = Cvk({"update", plain, CORVANE_DEMO_PLAIN_MAP});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_FALSE(Has(quiet.err, "warning")) << quiet.err;
}

TEST_F(CvkInputTest, ModulesListsTheBadgeThatShowAndTheBiosFileHold) {
    const std::string ws = NewWorkspace(CORVANE_DEMO_MAP);
    // An 800 x 600 picture: the logo takes the 800 x 600 badge (handle 11) instead of the
    // default 640 x 480 one (handle 10).
    const int width = 800, height = 600, row = (width * 3 + 3) & ~3;
    std::string bmp(54 + std::size_t(row) * height, '\x40');
    const std::uint32_t header[] = {std::uint32_t(bmp.size()), 0, 54, 40, width, height};
    bmp[0] = 'B', bmp[1] = 'M';
    std::memcpy(&bmp[2], header, sizeof header);
    const std::uint16_t planesAndBits[] = {1, 24};
    std::memcpy(&bmp[26], planesAndBits, sizeof planesAndBits);
    std::memset(&bmp[30], 0, 24);
    WriteFile(folder_ / "logo.bmp", bmp);
    ASSERT_EQ(Cvk({"logo", ws, PathOf("logo.bmp"), "--badge", "upper-left"}).exitCode, 0);
    Result modules = Cvk({"modules", ws});
    ASSERT_EQ(modules.exitCode, 0) << modules.err;
    const nlohmann::json shown = nlohmann::json::parse(Cvk({"show", ws, "--json"}).out);
    for (const auto& module : shown.at("flex").at("modules")) {
        if (module.at("type") != "badge")
            continue;
        const std::string line = std::to_string(module.at("handle").get<int>()) + "  " +
                                 (module.at("in").get<bool>() ? "yes" : "no ");
        EXPECT_TRUE(Has(modules.out, line)) << line << "\n" << modules.out;
    }
    EXPECT_TRUE(Has(modules.out, "11  yes")) << modules.out;
}

TEST_F(CvkInputTest, ModuleHandlesAreUnsigned) {
    // The demo image with its last module (25, needed by none) at a handle above 2^31.
    modweave::Image image;
    ASSERT_TRUE(modweave::ReadImageFile(
                    (fs::path(CORVANE_DEMO_MAP).parent_path() / "demo.bio").string(), &image)
                    .ok());
    ASSERT_EQ(image.modules.back().handle, 25u);
    image.modules.back().handle = 0x80000019u;
    std::string why;
    ASSERT_EQ(modweave::WriteImageFiles(image, folder_.string(), {"big.bio"}, &why), S_OK) << why;
    const std::string ws = NewWorkspace(CopyDemoMap("big.cvk"));

    Result on = Cvk({"module", ws, "2147483673", "on"});
    EXPECT_EQ(on.exitCode, 0) << on.err;
    Result modules = Cvk({"modules", ws});
    EXPECT_TRUE(Has(modules.out, "2147483673  yes")) << modules.out;
    EXPECT_FALSE(Has(modules.out, "-2147483623")) << modules.out;
    const nlohmann::json shown = nlohmann::json::parse(Cvk({"show", ws, "--json"}).out);
    EXPECT_EQ(shown.at("flex").at("modules").back().at("handle"), 2147483673u);
}

TEST_F(CvkInputTest, EditsThatMakeTheSelectionInvalidAreKeptAndWarned) {
    const std::string ws = NewWorkspace(CORVANE_DEMO_MAP);
    Result in = Cvk({"module", ws, "20", "on"}); // puts in 21, which 20 needs
    EXPECT_EQ(in.exitCode, 0);
    EXPECT_FALSE(Has(in.err, "warning")) << in.err;
    Result out = Cvk({"module", ws, "21", "off"});
    EXPECT_EQ(out.exitCode, 0);
    EXPECT_TRUE(Has(out.err, "warning: module 20 needs module 21, which is out of the update"))
        << out.err;
    ASSERT_EQ(Cvk({"module", ws, "20", "off"}).exitCode, 0);
    // A smaller flash part leaves less optional space than the selection takes.
    Result smaller = Cvk({"flash-size", ws, "393216"});
    EXPECT_EQ(smaller.exitCode, 0);
    EXPECT_TRUE(Has(smaller.err, "bytes more than the optional space holds")) << smaller.err;
}

} // namespace
