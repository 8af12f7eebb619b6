// cvk end to end: new, info and show on the demo board, what a saved workspace file holds as
// an independent reader sees it, and the failure output and exit statuses.
#include "tests/tools/cvk_run.h"

namespace {

using namespace cvktest;
namespace fs = std::filesystem;

TEST_F(CvkTest, VersionRegistersTheComponentsOnAFreshStore) {
    ASSERT_FALSE(fs::exists(registry_));
    Result result = Cvk({"--version"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("engine 2.10.0.0012\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("module engine "), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("registered"), std::string::npos) << result.err;
    EXPECT_TRUE(fs::exists(registry_));
    // Registered once; the next run finds the classes.
    result = Cvk({"--version"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
}

TEST_F(CvkTest, NewInfoShowOnTheDemoBoard) {
    const std::string ws = PathOf("demo.cvw");
    Result made =
        Cvk({"new", CORVANE_DEMO_MAP, "--components", "cmos,smbios,thermal", "--out", ws});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_NE(made.out.find("0x0000000E (cmos, thermal, smbios)"), std::string::npos);

    Result info = Cvk({"info", ws});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (const char* line :
         {"BIOS ID:         TR865PE.86A.0037.P11\n", "BIOS version:    P1.11\n",
          "Build date:      15 Jul 2003\n", "Subsystems:      0x0000000E (cmos, thermal, smbios)\n",
          "Valid:           yes\n", "Unsaved changes: no\n"})
        EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;
    EXPECT_NE(info.out.find(std::string("Map file:        ") + CORVANE_DEMO_MAP), std::string::npos)
        << info.out;

    Result show = Cvk({"show", ws, "--json"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    const nlohmann::json document = nlohmann::json::parse(show.out);
    const nlohmann::json& workspace = document.at("workspace");
    EXPECT_EQ(workspace.at("biosId"), "TR865PE.86A.0037.P11");
    EXPECT_EQ(workspace.at("biosVersion"), "P1.11");
    EXPECT_EQ(workspace.at("buildDate"), "15 Jul 2003");
    EXPECT_EQ(workspace.at("mapFile"), CORVANE_DEMO_MAP);
    EXPECT_EQ(workspace.at("iniFile"), "");
    EXPECT_EQ(workspace.at("subsystemMask"), 14);
    EXPECT_EQ(workspace.at("subsystems"), nlohmann::json({"cmos", "thermal", "smbios"}));
    EXPECT_EQ(workspace.at("valid"), true);
    EXPECT_EQ(workspace.at("requiresSave"), false);
    EXPECT_TRUE(document.at("cmos").is_object());
    // Settings without a keyword show null, not an empty keyword.
    EXPECT_NE(show.out.find("\"keyword\": null"), std::string::npos);
    EXPECT_NE(show.out.find("\"keyword\": \"CMOS_XD_BIT\""), std::string::npos);
    EXPECT_EQ(show.out.find("\"keyword\": \"\""), std::string::npos);
    EXPECT_TRUE(document.at("smbios").is_object());
    EXPECT_TRUE(document.at("thermal").is_object());
    EXPECT_TRUE(document.at("flex").is_null());

    Result text = Cvk({"show", ws});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("workspace.biosId: TR865PE.86A.0037.P11\n"), std::string::npos);
}

TEST_F(CvkTest, SavedFileHoldsOneDataStreamWithTheWorkspaceHeader) {
    const std::string ws = PathOf("demo.cvw");
    ASSERT_EQ(Cvk({"new", CORVANE_DEMO_MAP, "--components", "cmos", "--out", ws}).exitCode, 0);
    const std::string stream = ReadDataStream(ws);
    ASSERT_GE(stream.size(), 28u);
    EXPECT_EQ(stream.substr(0, 12), std::string("$\0C\0V\0K\0$\0\0\0", 12));
    EXPECT_EQ(U32At(stream, 12), 0x3FA66666u);
    EXPECT_EQ(U32At(stream, 16), 0x00000300u);
    EXPECT_EQ(U32At(stream, 20), 0xFFFFFFFFu) << "RequiresSave and Valid both true";
    EXPECT_EQ(U32At(stream, 24), 2u);

    // An independent reader of the compound file format sees the same single stream.
    const bool required = std::getenv("CORVANE_REQUIRE_INTEROP") &&
                          std::string(std::getenv("CORVANE_REQUIRE_INTEROP")) == "1";
    const std::string script = "import sys\n"
                               "try:\n"
                               "    import olefile\n"
                               "except ImportError:\n"
                               "    sys.exit(3)\n"
                               "ole = olefile.OleFileIO(sys.argv[1])\n"
                               "entries = ole.listdir(streams=True, storages=True)\n"
                               "if entries != [['cvkData']]:\n"
                               "    print(entries, file=sys.stderr)\n"
                               "    sys.exit(4)\n"
                               "open(sys.argv[2], 'wb').write(ole.openstream('cvkData').read())\n";
    const std::string copy = PathOf("olefile.bin");
    const Result python =
        RunProgram({"/usr/bin/python3", "-c", script, ws, copy}, folder_, registry_);
    if (python.exitCode == 3 || python.exitCode < 0) {
        if (required)
            FAIL() << "python3-olefile is missing and CORVANE_REQUIRE_INTEROP=1";
        GTEST_SKIP() << "python3-olefile is not installed (/usr/bin/python3)";
    }
    ASSERT_EQ(python.exitCode, 0) << python.err;
    EXPECT_EQ(ReadFile(copy), stream);
}

TEST_F(CvkTest, DefaultComponentsAddFlexOnlyForAModularBios) {
    const std::string map = CopyDemoMap("board.cvk");
    Result plain = Cvk({"new", map, "--out", PathOf("plain.cvw")});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(plain.out.find("0x0000000E (cmos, thermal, smbios)"), std::string::npos);

    modweave::Image image;
    image.version = "P1.11";
    image.flashPartSize = 65536;
    modweave::Module core;
    core.handle = 1;
    core.required = core.isDefault = core.selected = true;
    core.shortDesc = "Core";
    core.size = 100;
    image.modules = {core};
    std::string why;
    ASSERT_EQ(modweave::WriteImageFiles(image, folder_.string(), {"board.bio"}, &why), S_OK);
    Result modular = Cvk({"new", map, "--out", PathOf("flex.cvw")});
    ASSERT_EQ(modular.exitCode, 0) << modular.err;
    EXPECT_NE(modular.out.find("0x0000002E (cmos, thermal, smbios, flex)"), std::string::npos)
        << modular.out;
    Result show = Cvk({"show", PathOf("flex.cvw"), "--json"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    EXPECT_TRUE(nlohmann::json::parse(show.out).at("flex").is_object());
}

TEST_F(CvkTest, ComponentNamesMapToMaskBits) {
    const struct {
        const char* list;
        const char* mask;
    } cases[] = {{"thermal,cmos", "0x00000006 (cmos, thermal)"},
                 {"envctl,smbios", "0x0000000C (thermal, smbios)"},
                 {"none", "0x00000000 (none)"},
                 {"", "0x00000000 (none)"}};
    for (const auto& c : cases) {
        Result result =
            Cvk({"new", CORVANE_DEMO_MAP, "--components", c.list, "--out", PathOf("ws.cvw")});
        ASSERT_EQ(result.exitCode, 0) << c.list << ": " << result.err;
        EXPECT_NE(result.out.find(c.mask), std::string::npos) << c.list << ": " << result.out;
    }
}

TEST_F(CvkTest, EngineFailuresPrintTheStatusAndExitWith1) {
    const std::string ws = PathOf("ws.cvw");
    const struct {
        std::vector<std::string> args;
        const char* expected;
    } cases[] = {
        // A board without a modular flash image beside it cannot have modules.
        {{"new", CORVANE_DEMO_PLAIN_MAP, "--components", "flex", "--out", ws},
         "error 0x80070005: Invalid request for subsystems."},
        {{"new", CORVANE_DEMO_MAP, "--components", "bom", "--out", ws},
         "error 0x80070005: Invalid request for subsystems."},
        {{"new", CORVANE_DEMO_MAP, "--components", "cmos,splash", "--out", ws},
         "error 0x80070005: Invalid request for subsystems."},
        {{"new", PathOf("missing.cvk"), "--out", ws}, "error 0x80040400"},
        {{"new", PathOf("garbage.cvk"), "--components", "cmos", "--out", ws}, "error 0x80040403"},
        {{"info", PathOf("garbage.cvk")}, "error 0x80030050"},
        {{"show", PathOf("missing.cvw"), "--json"}, "error 0x80030002"},
    };
    WriteFile(folder_ / "garbage.cvk", std::string(1000, 'g'));
    for (const auto& c : cases) {
        Result result = Cvk(c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args[0] << " " << c.args[1];
        EXPECT_NE(result.err.find(c.expected), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(fs::exists(ws)) << "a failed new leaves no workspace file";
}

TEST_F(CvkTest, ReadOnlyTargetFailsAndKeepsTheFile) {
    const std::string ws = PathOf("locked.cvw");
    WriteFile(ws, "keep me");
    ASSERT_EQ(::chmod(ws.c_str(), 0444), 0);
    Result result = Cvk({"new", CORVANE_DEMO_MAP, "--components", "cmos", "--out", ws});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("error 0x80030005"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(ws), "keep me");
}

TEST_F(CvkTest, UsageErrorsExitWith2) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"new", CORVANE_DEMO_MAP},
        {"new", "--out", PathOf("ws.cvw")},
        {"new", CORVANE_DEMO_MAP, "--components", "cmos,bogus", "--out", PathOf("ws.cvw")},
        {"new", CORVANE_DEMO_MAP, "--out"},
        {"new", CORVANE_DEMO_MAP, "--frob", "--out", PathOf("ws.cvw")},
        {"info"},
        {"info", "a.cvw", "b.cvw"},
        {"show", "a.cvw", "--xml"},
        {"--version", "extra"},
    };
    for (const auto& args : cases) {
        Result result = Cvk(args);
        EXPECT_EQ(result.exitCode, 2) << (args.empty() ? "" : args[0]) << " " << result.err;
        EXPECT_NE(result.err.find("cvk: "), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(PathOf("ws.cvw")));
    Result help = Cvk({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: cvk new"), std::string::npos);
}

} // namespace
