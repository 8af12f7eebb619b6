// The generated media booted again and again by a simulated board: autoexec.bat calls cvk.bat,
// which runs each step once, in order, across the reboots its commands cause.
#include "engine/include/cvkserver.h"
#include "tests/engine/core/engine_test_support.h"
#include "tests/engine/output/batch_interpreter.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace cvk::testing {
namespace {

constexpr LONG kInstallAll = SUBSYS_CMOS | SUBSYS_ENVCTL | SUBSYS_SMBIOS;

class BatchResumeTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        workspace_ = NewWorkspace(kInstallAll, WriteMap("board.cvk"));
        media_ = PathOf("media");
        std::filesystem::create_directory(media_);
    }

    // Writes the media as the media wizard does: INI file, cvk.bat, the autoexec.bat call.
    void WriteMedia(std::u16string_view bios, std::u16string_view lang, LONG subsysMask,
                    LONG commandMask) {
        Bstr dir = Bstr::FromUtf8(media_), base(u"CVK"), biosName(bios), langName(lang);
        if (subsysMask != 0) {
            ASSERT_EQ(workspace_->DumpIniToFloppy(dir.get(), base.get(), subsysMask), S_OK);
        }
        ASSERT_EQ(workspace_->DumpBatchToFloppy(dir.get(), base.get(), biosName.get(),
                                                langName.get(), subsysMask, commandMask),
                  S_OK);
        ASSERT_EQ(workspace_->ModifyAutoexecBatFile(dir.get()), S_OK);
    }

    bool Exists(const std::string& name) const { return !board().Find(name).empty(); }
    DosBoard board() const { return DosBoard(media_); }

    ComPtr<IWorkspace> workspace_;
    std::string media_;
};

using Calls = std::vector<ToolCall>;

TEST_F(BatchResumeTest, EachStepRunsOnceInOrderAcrossReboots) {
    WriteFile("media/autoexec.bat", "@echo off\r\nPATH=A:\\\r\n");
    WriteMedia(u"BIOS.BIO", u"ASIA.LNG", kInstallAll, 3);
    DosBoard dos = board();

    BootResult first = dos.Boot();
    EXPECT_EQ(first.error, "");
    EXPECT_EQ(first.toolCalls, (Calls{{"flash", "-bio=BIOS.BIO", "-log=CVK.log"}}));
    EXPECT_TRUE(first.rebooted);

    BootResult second = dos.Boot();
    EXPECT_EQ(second.error, "");
    EXPECT_EQ(second.toolCalls, (Calls{{"flash", "-lang=ASIA.LNG", "-log=CVK.log"}}));
    EXPECT_TRUE(second.rebooted);

    BootResult third = dos.Boot();
    EXPECT_EQ(third.error, "");
    EXPECT_EQ(third.toolCalls, (Calls{{"install", "-cmos", "-smbios", "-therm", "-ini=CVK.ini",
                                       "-log=CVK.log", "-reboot"}}));
    EXPECT_TRUE(third.rebooted);
    EXPECT_TRUE(Exists("CVK.INI")); // the file the install command names is on the media

    BootResult fourth = dos.Boot();
    EXPECT_EQ(fourth.error, "");
    EXPECT_EQ(fourth.toolCalls, (Calls{{"report", "-txt=CVK.txt"}}));
    EXPECT_FALSE(fourth.rebooted);
    EXPECT_FALSE(Exists("temp.txt"));
    EXPECT_TRUE(Exists("CVK.TXT"));

    // The marker is gone: the next board starts again with the BIOS.
    BootResult fifth = dos.Boot();
    EXPECT_EQ(fifth.error, "");
    EXPECT_EQ(fifth.toolCalls, first.toolCalls);
    EXPECT_TRUE(fifth.rebooted);
}

// Steps without a command fall through to the next step in the same boot.
TEST_F(BatchResumeTest, StepsWithoutCommandsPassInTheSameBoot) {
    WriteMedia(u"BIOS.BIO", u"", kInstallAll, 0);
    DosBoard dos = board();
    EXPECT_EQ(dos.Boot().toolCalls, (Calls{{"flash", "-bio=BIOS.BIO"}}));
    BootResult second = dos.Boot();
    EXPECT_EQ(second.error, "");
    EXPECT_EQ(second.toolCalls,
              (Calls{{"install", "-cmos", "-smbios", "-therm", "-ini=CVK.ini", "-reboot"}}));
    BootResult third = dos.Boot();
    EXPECT_EQ(third.error, "");
    EXPECT_TRUE(third.toolCalls.empty());
    EXPECT_FALSE(third.rebooted);
    EXPECT_FALSE(Exists("temp.txt"));
}

TEST_F(BatchResumeTest, AnEmptyRunEndsWithoutAMarker) {
    WriteMedia(u"", u"", 0, 0);
    DosBoard dos = board();
    for (int boot = 0; boot < 2; ++boot) {
        BootResult result = dos.Boot();
        EXPECT_EQ(result.error, "");
        EXPECT_TRUE(result.toolCalls.empty());
        EXPECT_FALSE(Exists("temp.txt"));
    }
}

// The interpreter itself refuses what DOS would not run, so that the tests above can fail.
TEST_F(BatchResumeTest, TheInterpreterRefusesWhatDosWouldNotRun) {
    WriteFile("media/lf.bat", "@echo off\nGOTO End\r\n:End\r\n");
    EXPECT_NE(board().RunBatch("lf.bat").error, "");
    WriteFile("media/label.bat", "GOTO Missing\r\n");
    EXPECT_EQ(board().RunBatch("label.bat").error, "Label not found: Missing");
    // Labels count by their first 8 characters: both lines below are one label.
    WriteFile("media/eight.bat",
              "GOTO InstallEndB\r\n:InstallEndA\r\ncvtool report\r\n:InstallEndB\r\n");
    EXPECT_EQ(board().RunBatch("eight.bat").toolCalls, (Calls{{"report"}}));
    WriteFile("media/loop.bat", ":Top\r\nGOTO Top\r\n");
    EXPECT_EQ(board().RunBatch("loop.bat").error, "the batch file does not end");
}

} // namespace
} // namespace cvk::testing
