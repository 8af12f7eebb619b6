// cvk.bat and the autoexec.bat call, byte for byte, through the registered engine's workspace.
#include "engine/include/cvkserver.h"
#include "tests/engine/core/engine_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <initializer_list>

namespace cvk::testing {
namespace {

constexpr LONG kInstallAll = SUBSYS_CMOS | SUBSYS_ENVCTL | SUBSYS_SMBIOS;

// Lines, each ended by CR LF.
std::string Crlf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines)
        (text += line) += "\r\n";
    return text;
}

const std::string kHeader =
    Crlf({"@echo off", "", ":: HALVEX(R) CORVANE", ":: System-generated batch file", ""});

const std::string kCallText =
    Crlf({"", "@echo off", "", "", ":: Call Halvex(R) Corvane batch file.", "", "Call cvk.bat "});

class BatchFilesTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        workspace_ = NewWorkspace(kInstallAll, WriteMap("board.cvk"));
        media_ = PathOf("media");
        std::filesystem::create_directory(media_);
    }

    HRESULT DumpBatch(std::u16string_view base, std::u16string_view bios, std::u16string_view lang,
                      LONG subsysMask, LONG commandMask, const std::string& dir = {}) {
        Bstr folder = Bstr::FromUtf8(dir.empty() ? media_ : dir);
        Bstr baseName(base), biosName(bios), langName(lang);
        return workspace_->DumpBatchToFloppy(folder.get(), baseName.get(), biosName.get(),
                                             langName.get(), subsysMask, commandMask);
    }

    HRESULT ModifyAutoexec() {
        Bstr folder = Bstr::FromUtf8(media_);
        return workspace_->ModifyAutoexecBatFile(folder.get());
    }

    std::string Media(const std::string& name) const { return media_ + "/" + name; }
    bool Exists(const std::string& name) const { return std::filesystem::exists(Media(name)); }
    void WriteMedia(const std::string& name, std::string_view bytes) const {
        WriteFile("media/" + name, bytes);
    }

    ComPtr<IWorkspace> workspace_;
    std::string media_;
};

TEST_F(BatchFilesTest, EveryStepWithLogAndReport) {
    ASSERT_EQ(DumpBatch(u"CVK", u"BIOS.BIO", u"EUROPE.LNG", kInstallAll, 3), S_OK);
    EXPECT_EQ(ReadFile(Media("cvk.bat")),
              kHeader +
                  Crlf({"IF NOT EXIST temp.txt GOTO Bios",
                        "FIND /I \"Bios\" temp.txt > NUL",
                        "IF ERRORLEVEL 1 goto BiosEnd ",
                        ":Bios",
                        "echo Lang > temp.txt ",
                        "cvtool flash -bio=BIOS.BIO -log=CVK.log ",
                        ":BiosEnd",
                        "",
                        "::Lang",
                        "FIND /I \"Lang\" temp.txt > NUL",
                        "IF ERRORLEVEL 1 goto LangEnd ",
                        "echo Install > temp.txt ",
                        "cvtool flash -lang=EUROPE.LNG -log=CVK.log ",
                        ":LangEnd",
                        "",
                        "::Install",
                        "FIND /I \"Install\" temp.txt > NUL",
                        "IF ERRORLEVEL 1 goto InstallEnd ",
                        "echo Report > temp.txt ",
                        "cvtool install -cmos -smbios -therm -ini=CVK.ini -log=CVK.log -reboot ",
                        ":InstallEnd",
                        "",
                        "::Report",
                        "FIND /I \"Report\" temp.txt > NUL",
                        "IF ERRORLEVEL 1 goto ReportEnd ",
                        "DEL temp.txt ",
                        "cvtool report -txt=CVK.txt ",
                        ":ReportEnd",
                        ""}));
}

// Empty BIOS and language names, subsystem mask 0 and command mask 0: every step keeps its
// labels and marker lines, and no command is left.
TEST_F(BatchFilesTest, NothingToRunKeepsTheSteps) {
    ASSERT_EQ(DumpBatch(u"CVK", u"", u"", 0, 0), S_OK);
    const std::string text = ReadFile(Media("cvk.bat"));
    EXPECT_EQ(text, kHeader + Crlf({"IF NOT EXIST temp.txt GOTO Bios",
                                    "FIND /I \"Bios\" temp.txt > NUL",
                                    "IF ERRORLEVEL 1 goto BiosEnd ",
                                    ":Bios",
                                    "echo Lang > temp.txt ",
                                    ":BiosEnd",
                                    "",
                                    "::Lang",
                                    "FIND /I \"Lang\" temp.txt > NUL",
                                    "IF ERRORLEVEL 1 goto LangEnd ",
                                    "echo Install > temp.txt ",
                                    ":LangEnd",
                                    "",
                                    "::Install",
                                    "FIND /I \"Install\" temp.txt > NUL",
                                    "IF ERRORLEVEL 1 goto InstallEnd ",
                                    "echo Report > temp.txt ",
                                    ":InstallEnd",
                                    "",
                                    "::Report",
                                    "FIND /I \"Report\" temp.txt > NUL",
                                    "IF ERRORLEVEL 1 goto ReportEnd ",
                                    "DEL temp.txt ",
                                    ":ReportEnd",
                                    ""}));
    EXPECT_EQ(text.find("CVK.ini"), std::string::npos);
    EXPECT_EQ(text.find("-log="), std::string::npos);
}

// Without a log, the option's place stays: two blanks before -reboot, one before the flash
// line's end blank. Only the chosen subsystems' options appear.
TEST_F(BatchFilesTest, OptionsFollowTheMasks) {
    ASSERT_EQ(DumpBatch(u"PLANT7", u"B.BIO", u"L.LNG", SUBSYS_SMBIOS, 2), S_OK);
    const std::string text = ReadFile(Media("cvk.bat"));
    EXPECT_NE(text.find("\r\ncvtool flash -bio=B.BIO  \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\ncvtool flash -lang=L.LNG  \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\ncvtool install -smbios -ini=PLANT7.ini  -reboot \r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\ncvtool report -txt=PLANT7.txt \r\n"), std::string::npos);

    ASSERT_EQ(DumpBatch(u"PLANT7", u"B.BIO", u"", SUBSYS_CMOS | SUBSYS_ENVCTL, 1), S_OK);
    const std::string logged = ReadFile(Media("cvk.bat"));
    EXPECT_NE(logged.find("\r\ncvtool install -cmos -therm -ini=PLANT7.ini -log=PLANT7.log "
                          "-reboot \r\n"),
              std::string::npos);
    EXPECT_EQ(logged.find("cvtool report"), std::string::npos);
    EXPECT_EQ(logged.find("-lang="), std::string::npos);
}

TEST_F(BatchFilesTest, EntryChecksComeBeforeAnyWriting) {
    EXPECT_EQ(DumpBatch(u"ABCDEFGH", u"B.BIO", u"", kInstallAll, 3), S_OK);
    EXPECT_NE(ReadFile(Media("cvk.bat")).find("-ini=ABCDEFGH.ini"), std::string::npos);
    std::filesystem::remove(Media("cvk.bat"));

    EXPECT_EQ(DumpBatch(u"ABCDEFGHI", u"B.BIO", u"", kInstallAll, 3), E_FAIL);
    EXPECT_EQ(DumpBatch(u"", u"B.BIO", u"", kInstallAll, 3), E_FAIL);
    EXPECT_EQ(DumpBatch(u"CVK", u"B.BIO", u"", kInstallAll, 3, PathOf("missing")), E_FAIL);
    EXPECT_FALSE(Exists("cvk.bat"));

    // A subsystem the workspace lacks is refused first, even when the folder is missing too.
    ASSERT_EQ(server()->ChangeWorkspace(workspace_.get(), SUBSYS_SMBIOS), S_OK);
    EXPECT_EQ(DumpBatch(u"CVK", u"", u"", SUBSYS_CMOS, 0), E_ACCESSDENIED);
    EXPECT_EQ(DumpBatch(u"CVK", u"", u"", SUBSYS_CMOS, 0, PathOf("missing")), E_ACCESSDENIED);
    EXPECT_EQ(DumpBatch(u"CVK", u"", u"", SUBSYS_BOM, 0), E_ACCESSDENIED);
    EXPECT_FALSE(Exists("cvk.bat"));
    EXPECT_EQ(DumpBatch(u"CVK", u"", u"", SUBSYS_SMBIOS, 0), S_OK);
}

// An earlier cvk.bat is replaced whole, and one that may not be replaced stays as it was.
TEST_F(BatchFilesTest, TheBatchFileIsReplacedWholeOrNotAtAll) {
    WriteMedia("cvk.bat", std::string(5000, '#'));
    ASSERT_EQ(DumpBatch(u"CVK", u"", u"", 0, 0), S_OK);
    const std::string fresh = ReadFile(Media("cvk.bat"));
    EXPECT_EQ(fresh.rfind(kHeader, 0), 0u);
    EXPECT_EQ(fresh.find('#'), std::string::npos);

    ::chmod(Media("cvk.bat").c_str(), 0444);
    EXPECT_EQ(DumpBatch(u"OTHER", u"B.BIO", u"", 0, 0), E_FAIL);
    EXPECT_EQ(ReadFile(Media("cvk.bat")), fresh);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(media_),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left behind
}

TEST_F(BatchFilesTest, AMissingAutoexecIsCreatedWithTheCallOnly) {
    ASSERT_EQ(ModifyAutoexec(), S_OK);
    EXPECT_EQ(ReadFile(Media("autoexec.bat")), kCallText);
    // A second edit finds the call and changes nothing.
    ASSERT_EQ(ModifyAutoexec(), S_OK);
    EXPECT_EQ(ReadFile(Media("autoexec.bat")), kCallText);

    Bstr missing = Bstr::FromUtf8(PathOf("missing"));
    EXPECT_EQ(workspace_->ModifyAutoexecBatFile(missing.get()), E_FAIL);
    EXPECT_FALSE(std::filesystem::exists(PathOf("missing")));
}

TEST_F(BatchFilesTest, AnExistingCallInAnyLetterCaseIsKept) {
    for (std::string_view call : {"CALL CVK.BAT", "call Cvk.Bat", "  Call cvk.bat /q"}) {
        const std::string before = Crlf({"@ECHO OFF", "PATH=A:\\", std::string(call), "CLS"});
        WriteMedia("autoexec.bat", before);
        ASSERT_EQ(ModifyAutoexec(), S_OK);
        EXPECT_EQ(ReadFile(Media("autoexec.bat")), before) << call;
    }
}

// Lines that only mention the batch file in a REM or :: comment do not call it, however long
// the line: the comment mark is seen even when the name stands far behind it.
TEST_F(BatchFilesTest, CommentsNamingTheBatchGetTheCallAppended) {
    const std::string longComment = "REM " + std::string(120, '-') + " then cvk.bat";
    for (std::string before :
         {Crlf({"@echo off", "REM call cvk.bat", ":: CALL CVK.BAT here"}),
          Crlf({"rem Cvk.bat", longComment}), std::string("PATH=A:\\\r\n:: cvk.bat")}) {
        WriteMedia("autoexec.bat", before);
        ASSERT_EQ(ModifyAutoexec(), S_OK);
        EXPECT_EQ(ReadFile(Media("autoexec.bat")), before + kCallText);
    }
}

TEST_F(BatchFilesTest, AnAutoexecThatMayNotBeReplacedFailsUnchanged) {
    const std::string before = Crlf({"@echo off", "PATH=A:\\"});
    WriteMedia("autoexec.bat", before);
    ::chmod(Media("autoexec.bat").c_str(), 0444);
    EXPECT_EQ(ModifyAutoexec(), E_FAIL);
    EXPECT_EQ(ReadFile(Media("autoexec.bat")), before);
}

} // namespace
} // namespace cvk::testing
