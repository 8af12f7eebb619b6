// cvk media end to end: the folder it writes boots through the batch interpreter, its INI is
// what cvk ini writes, and every copied file is byte-identical to its source.
#include "tests/engine/output/batch_interpreter.h"
#include "tests/tools/cvk_run.h"

namespace {

using namespace cvktest;
using cvk::testing::BootResult;
using cvk::testing::DosBoard;
using cvk::testing::ToolCall;
namespace fs = std::filesystem;

class CvkMediaTest : public CvkTest {
protected:
    void SetUp() override {
        CvkTest::SetUp();
        fs::create_directories(folder_ / "tools");
        fs::create_directories(folder_ / "media");
        for (const char* tool : {"cvtool.exe", "romwrite.exe", "romwrite2.exe"})
            WriteFile(folder_ / "tools" / tool, std::string("MZ tool ") + tool);
    }
    // The demo board with its two-file flash image and a signature beside it.
    std::string DemoWorkspace() {
        const std::string map = CopyDemoMap("demo.cvk");
        const fs::path samples = fs::path(CORVANE_DEMO_MAP).parent_path();
        for (const char* file : {"demo.bio", "demo_2.bio"})
            fs::copy_file(samples / file, folder_ / file);
        WriteFile(folder_ / "demo.sig", "signature");
        EXPECT_EQ(Cvk({"new", map, "--out", PathOf("demo.cvw")}).exitCode, 0);
        return PathOf("demo.cvw");
    }
    void ExpectSameBytes(const std::string& source, const std::string& copied) {
        EXPECT_EQ(ReadFile(PathOf(source)), ReadFile(PathOf("media/" + copied))) << copied;
    }
};

TEST_F(CvkMediaTest, ModularDemoBootsAndCopiesTheChainAndTools) {
    const std::string ws = DemoWorkspace();
    Result run = Cvk({"media", ws, PathOf("media"), "--batch", "--log", "--report", "--base",
                      "LINE1", "--bios", PathOf("demo.bio"), "--cvtool", PathOf("tools"),
                      "--romwrite", PathOf("tools")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("[6/7] demo.bio\n[7/7] done\nFiles copied successfully!\n"),
              std::string::npos)
        << run.out;

    ASSERT_EQ(
        Cvk({"ini", ws, PathOf("expected.ini"), "--components", "cmos,thermal,smbios"}).exitCode,
        0);
    EXPECT_EQ(ReadFile(PathOf("media/LINE1.ini")), ReadFile(PathOf("expected.ini")));
    for (const char* file : {"demo.bio", "demo_2.bio", "demo.sig"})
        ExpectSameBytes(file, file);
    ExpectSameBytes("tools/cvtool.exe", "cvtool.exe");
    ExpectSameBytes("tools/romwrite2.exe", "romwrite2.exe");
    EXPECT_FALSE(fs::exists(PathOf("media/romwrite.exe")));

    DosBoard board(PathOf("media"));
    BootResult first = board.Boot();
    EXPECT_EQ(first.error, "");
    EXPECT_EQ(first.toolCalls,
              std::vector<ToolCall>({{"flash", "-bio=demo.bio", "-log=LINE1.log"}}));
    BootResult second = board.Boot();
    EXPECT_EQ(second.error, "");
    EXPECT_EQ(second.toolCalls,
              std::vector<ToolCall>({{"install", "-cmos", "-smbios", "-therm", "-ini=LINE1.ini",
                                      "-log=LINE1.log", "-reboot"}}));
    BootResult third = board.Boot();
    EXPECT_EQ(third.error, "");
    EXPECT_EQ(third.toolCalls, std::vector<ToolCall>({{"report", "-txt=LINE1.txt"}}));
}

TEST_F(CvkMediaTest, PlainBiosCopiesTheLanguagePackAndKeepsExistingFiles) {
    const std::string map = PathOf("plain.cvk");
    fs::copy_file(CORVANE_DEMO_PLAIN_MAP, map);
    ASSERT_EQ(Cvk({"new", map, "--out", PathOf("plain.cvw")}).exitCode, 0);
    WriteFile(folder_ / "asia.lng", "language pack");
    WriteFile(folder_ / "asia.sln", "its companion");
    WriteFile(folder_ / "media" / "romwrite.exe", "older utility");
    const std::vector<std::string> args = {"media",        PathOf("plain.cvw"), PathOf("media"),
                                           "--lang",       PathOf("asia.lng"),  "--romwrite",
                                           PathOf("tools")};
    Result run = Cvk(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectSameBytes("asia.lng", "asia.lng");
    ExpectSameBytes("asia.sln", "asia.sln");
    EXPECT_NE(run.out.find("kept " + PathOf("media/romwrite.exe")), std::string::npos) << run.out;
    EXPECT_EQ(ReadFile(PathOf("media/romwrite.exe")), "older utility");

    std::vector<std::string> overwrite = args;
    overwrite.push_back("--overwrite");
    ASSERT_EQ(Cvk(overwrite).exitCode, 0);
    ExpectSameBytes("tools/romwrite.exe", "romwrite.exe");
}

TEST_F(CvkMediaTest, FailuresAndRefusals) {
    const std::string ws = DemoWorkspace();
    fs::remove(PathOf("demo.sig"));
    Result missing = Cvk({"media", ws, PathOf("media"), "--bios", PathOf("demo.bio")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Failure copying BIOS file: " + PathOf("demo.sig")),
              std::string::npos)
        << missing.err;
    EXPECT_NE(missing.err.find("Generate floppy not successful."), std::string::npos);

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--base", "TOOLONG12"},
                                                {"--base", "a.b"},
                                                {"--bios", PathOf("demo.cvk")},
                                                {"--lang", PathOf("demo.bio")},
                                                {"--nope"}}) {
        std::vector<std::string> args = {"media", ws, PathOf("refused")};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(Cvk(args).exitCode, 2) << bad[0];
    }
    EXPECT_FALSE(fs::exists(PathOf("refused")));
    Result gone = Cvk({"media", ws, PathOf("refused")});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_NE(gone.err.find("A disk error occurred."), std::string::npos) << gone.err;
    gone = Cvk({"media", ws, PathOf("refused"), "--cvtool", PathOf("tools")});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_NE(gone.err.find("Disk not detected, please insert floppy in drive"), std::string::npos)
        << gone.err;
}

} // namespace
