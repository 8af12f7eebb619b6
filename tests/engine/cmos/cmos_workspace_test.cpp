// The CMOS subsystem through the registered engine: DumpIni output, carry-over to a new BIOS
// build, and the workspace file round trip.
#include "tests/engine/cmos/cmos_test_support.h"
#include "tests/engine/core/engine_test_support.h"

#include "engine/include/engine_status.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

extern char** environ;

namespace cvk::testing {
namespace {

constexpr LONG kCmosOnly = SUBSYS_CMOS;

// The setting named by its group path below the root and its name, through the interfaces.
ComPtr<ISettingNode> SettingAt(IWorkspace* workspace, const std::vector<std::u16string>& groups,
                               std::u16string_view name) {
    ComPtr<ICmos> cmos;
    ComPtr<IGroupNode> group;
    if (FAILED(workspace->get_Cmos(cmos.put())) || FAILED(cmos->get_DataTree(group.put())))
        return {};
    auto childNamed = [](IGroupNode* parent, std::u16string_view wanted) {
        ComPtr<IGroupList> list;
        ComPtr<IGroupNode> child;
        parent->get_ChildList(list.put());
        for (list->GetFirst(child.put()); child; list->GetNext(child.put())) {
            Bstr text;
            child->get_Name(text.put());
            if (text.view() == wanted)
                return child;
        }
        return ComPtr<IGroupNode>();
    };
    for (const std::u16string& wanted : groups) {
        group = childNamed(group.get(), wanted);
        if (!group)
            return {};
    }
    ComPtr<ISettingList> settings;
    ComPtr<ISettingNode> setting;
    group->get_SettingList(settings.put());
    for (settings->GetFirst(setting.put()); setting; settings->GetNext(setting.put())) {
        Bstr text;
        setting->get_Name(text.put());
        if (text.view() == name)
            return setting;
    }
    return {};
}

std::u16string CurrentOf(ISettingNode* setting) {
    ComPtr<IChoiceNode> choice;
    Bstr name;
    if (FAILED(setting->get_CurrentChoice(choice.put())) || !choice)
        return u"<none>";
    choice->get_Name(name.put());
    return name.str();
}

// Makes the choice named `text` current.
void Choose(ISettingNode* setting, std::u16string_view text) {
    ComPtr<IChoiceList> list;
    ComPtr<IChoiceNode> choice;
    setting->get_ChoiceList(list.put());
    for (list->GetFirst(choice.put()); choice; list->GetNext(choice.put())) {
        Bstr name;
        choice->get_Name(name.put());
        if (name.view() == text) {
            EXPECT_EQ(setting->put_CurrentChoice(choice.get()), S_OK);
            return;
        }
    }
    ADD_FAILURE() << "no such choice";
}

bool Flag(ISettingNode* setting, HRESULT (ISettingNode::*getter)(VARIANT_BOOL*)) {
    VARIANT_BOOL value = VARIANT_FALSE;
    EXPECT_EQ((setting->*getter)(&value), S_OK);
    return value != VARIANT_FALSE;
}

std::string HeaderText() {
    return ";\r\n; cvtool INI file\r\n; Halvex(R) Corvane\r\n"
           "; Copyright (C) 2001-2003 Halvex Corporation.\r\n; All rights reserved.\r\n;\r\n"
           "; Warning: DO NOT REMOVE OR EDIT CORVANE SECTIONS OR\r\n"
           ";          KEYWORDS.  Doing so may cause unexpected results.\r\n"
           ";          SMBIOS strings may be edited.  Refer to the \r\n"
           ";          cvtool.CHM file for instructions.\r\n;\r\n\r\n";
}

class CmosWorkspace : public EngineTest {
protected:
    std::string Map(const std::string& name, const std::string& json) {
        return WriteMap(name, BoardMap(json));
    }
    HRESULT Dump(IWorkspace* workspace, const std::string& path, LONG mask) {
        return workspace->DumpIni(Bstr::FromUtf8(path).get(), mask, 0);
    }
};

TEST_F(CmosWorkspace, DumpIniWritesTheWorkedExamplesByteForByte) {
    const std::string map = Map("worked.cvk", R"({
        "build": {"biosId": "A", "maxLocked": 16, "maxHidden": 16},
        "languages": {"builtIn": {"name": "Standard", "codes": ["us"]},
                      "packs": [{"name": "Asia Pack", "codes": ["jp"]}]},
        "setup": [{"menu": "Main", "items": [
            {"setting": "Two bits", "choices": ["0", "1", "2", "3"], "default": "2",
             "cmos": {"byte": 1, "bit": 4, "bits": 2}},
            {"setting": "Language", "keyword": "CMOS_LANGUAGE", "choices": ["x"],
             "cmos": "none"},
            {"setting": "1st", "keyword": "CMOS_1STBOOTDEV"},
            {"setting": "2nd", "keyword": "CMOS_2NDBOOTDEV"},
            {"setting": "3rd", "keyword": "CMOS_3RDBOOTDEV"}]}]})");
    auto workspace = NewWorkspace(kCmosOnly, map);
    Choose(SettingAt(workspace.get(), {u"Main"}, u"1st").get(), u"Hard Drive");
    Choose(SettingAt(workspace.get(), {u"Main"}, u"2nd").get(), u"Removable Device");
    Choose(SettingAt(workspace.get(), {u"Main"}, u"Language").get(), u"Japanese - Asia Pack");

    const std::string ini = PathOf("worked.ini");
    ASSERT_EQ(Dump(workspace.get(), ini, kCmosOnly), S_OK);

    std::string expected = HeaderText() + "[System]\r\nINIVersion=2.1\r\n" +
                           "[ReferenceSystem]\r\nReferenceID=A\r\nReferenceChecksum=65471\r\n";
    auto pieces = [](const std::string& section, const std::string& text, const char* sum) {
        std::string out = "[" + section + "]\r\nCheckSum=" + sum + "\r\n";
        for (std::size_t k = 0; k * 64 < text.size(); ++k)
            out += "Image" + std::to_string(k + 1) + "=" + text.substr(64 * k, 64) + "\r\n";
        return out;
    };
    std::string image = std::string(512, 'A');
    image.replace(2, 2, "CA"); // byte 1 = 0x20
    std::string mask = std::string(512, 'P');
    mask.replace(2, 2, "MP"); // byte 1 = 0xCF
    // Mask: every byte 0xFF except byte 1; sum of (0xFF ^ i) over i, with byte 1 as 0xCF ^ 1.
    std::uint32_t maskSum = 0;
    for (std::uint32_t i = 0; i < 256; ++i)
        maskSum += (i == 1 ? 0xCFu : 0xFFu) ^ i;
    const std::string maskChecksum = std::to_string((65536 - maskSum % 65536) % 65536);
    expected += pieces("CMOS.ImageData", image, "32864");
    expected += pieces("CMOS.ImageMask", mask, maskChecksum.c_str());
    expected += pieces("CMOS.LockHide", std::string(128, 'A'), "63520");
    expected += "[CMOS.Values]\r\nLanguageFile=Asia Pack\r\n";
    expected += "[BootableDevices]\r\nHardDrive=1\r\nRemovableDevices=2\r\nCD-ROM=3\r\n";
    EXPECT_EQ(ReadFile(ini), expected);
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_IniFilePath), Bstr::FromUtf8(ini).str());
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_LangPackName), u"Asia Pack");
}

TEST_F(CmosWorkspace, DumpIniWithNoSubsystemsWritesTheHeaderAndTheVersion) {
    auto workspace = NewWorkspace(kCmosOnly, WriteMap("small.cvk"));
    const std::string ini = PathOf("plain.ini");
    WriteFile("plain.ini", "[Mine]\r\nKey=Value\r\n");
    ASSERT_EQ(Dump(workspace.get(), ini, 0), S_OK);
    EXPECT_EQ(ReadFile(ini), HeaderText() + "[System]\r\nINIVersion=2.1\r\n");
}

TEST_F(CmosWorkspace, AFailedDumpLeavesAnEarlierFileAsItWas) {
    const std::string map = Map("odd.cvk", R"({"build": {"maxLocked": 64, "maxHidden": 65},
        "setup": [{"setting": "Root", "choices": ["x", "y"]}]})");
    auto workspace = NewWorkspace(kCmosOnly, map);
    const std::string before = "[Hand]\r\nWritten=1\r\n";
    WriteFile("kept.ini", before);
    // 129 lockable and hideable settings are beyond the encoding.
    EXPECT_EQ(Dump(workspace.get(), PathOf("kept.ini"), kCmosOnly), E_FAIL);
    ErrorText why;
    ASSERT_TRUE(TakeErrorText(&why));
    EXPECT_EQ(why.description,
              u"The BIOS asks for 64 lock and 65 hide entries; the table holds 128.");
    EXPECT_EQ(ReadFile(PathOf("kept.ini")), before);

    // A read-only target is refused and stays as it was.
    ::chmod(PathOf("kept.ini").c_str(), 0444);
    EXPECT_EQ(Dump(workspace.get(), PathOf("kept.ini"), 0), E_FAIL);
    EXPECT_EQ(ReadFile(PathOf("kept.ini")), before);
    // Entry checks.
    EXPECT_EQ(Dump(workspace.get(), PathOf("kept.ini"), SUBSYS_SMBIOS), E_ACCESSDENIED);
    EXPECT_EQ(Dump(workspace.get(), PathOf("no-such-folder/x.ini"), 0), E_FAIL);
    EXPECT_EQ(
        workspace->DumpIniToFloppy(Bstr::FromUtf8(PathOf("")).get(), Bstr(u"ninechars").get(), 0),
        E_FAIL);
}

TEST_F(CmosWorkspace, ModulesAloneHaveNoIniContent) {
    const std::string map = WriteMap("flex.cvk");
    WriteFlashImage("flex.bio");
    auto workspace = NewWorkspace(SUBSYS_FLEX | SUBSYS_CMOS, map);
    WriteFile("flex.ini", "before");
    EXPECT_EQ(Dump(workspace.get(), PathOf("flex.ini"), SUBSYS_FLEX), E_FAIL);
    EXPECT_EQ(ReadFile(PathOf("flex.ini")), "before");
}

// Two builds of one board: what the user did on the first, what the second changed.
constexpr const char* kOldBoard = R"({"build": {"maxLocked": 4, "maxHidden": 4}, "setup": [
    {"menu": "Main", "items": [
        {"setting": "Quick Boot", "keyword": "CMOS_QUICKBOOT", "choices": ["Disabled", "Enabled"]},
        {"setting": "Halt On", "keyword": "CMOS_HALT", "choices": ["All Errors", "No Errors"]},
        {"setting": "Mode", "keyword": "CMOS_MODE", "choices": ["Auto", "Manual"]},
        {"setting": "Fan", "choices": ["Off", "On"]},
        {"setting": "Stay", "choices": ["Off", "On"]},
        {"setting": "Legacy", "keyword": "CMOS_LEGACY", "choices": ["Off", "On"]}]}]})";
constexpr const char* kNewBoard = R"({"build": {"maxLocked": 4, "maxHidden": 4}, "setup": [
    {"menu": "Main", "items": [
        {"setting": "Brand New", "keyword": "CMOS_NEW", "choices": ["Off", "On"]},
        {"setting": "Stay", "choices": ["Off", "On"]},
        {"setting": "Quick Boot", "keyword": "CMOS_QUICKBOOT", "choices": ["Disabled", "Enabled"]},
        {"setting": "Halt On", "keyword": "CMOS_HALT", "choices": ["All Errors", "No Errors"]},
        {"setting": "Mode", "keyword": "CMOS_MODE", "choices": ["AUTO", "Manual"],
         "default": "Manual"}]},
    {"menu": "Power", "items": [{"setting": "Fan", "choices": ["Off", "On"]}]}]})";

class CmosCarryOver : public CmosWorkspace {
protected:
    void SetUp() override {
        CmosWorkspace::SetUp();
        workspace_ = NewWorkspace(kCmosOnly, Map("old.cvk", kOldBoard));
        Setting({u"Main"}, u"Quick Boot")->put_Locked(VARIANT_TRUE);
        Choose(Setting({u"Main"}, u"Halt On").get(), u"No Errors");
        Setting({u"Main"}, u"Halt On")->put_Hidden(VARIANT_TRUE);
        Setting({u"Main"}, u"Stay")->put_Hidden(VARIANT_TRUE);
    }
    ComPtr<ISettingNode> Setting(const std::vector<std::u16string>& groups,
                                 std::u16string_view name) {
        auto setting = SettingAt(workspace_.get(), groups, name);
        EXPECT_TRUE(setting) << "no setting";
        return setting;
    }
    HRESULT Update(const std::string& map) {
        return server()->UpdateWorkspace(workspace_.get(), Bstr::FromUtf8(map).get());
    }
    // The stream a save writes now, after a save that cleared the flags.
    std::string SettledStream() {
        Save(workspace_.get(), "settle.cvw");
        return ReadWorkspaceStream(Save(workspace_.get(), "now.cvw"));
    }
    ComPtr<IWorkspace> workspace_;
};

TEST_F(CmosCarryOver, KeepsAnswersAndFlagsWhatIsDoubtful) {
    ASSERT_EQ(Update(Map("new.cvk", kNewBoard)), S_OK);
    auto quick = Setting({u"Main"}, u"Quick Boot");
    EXPECT_EQ(CurrentOf(quick.get()), u"Disabled"); // the default moves silently
    EXPECT_TRUE(Flag(quick.get(), &ISettingNode::get_Locked));
    EXPECT_FALSE(Flag(quick.get(), &ISettingNode::get_NeedsReview));

    auto stay = Setting({u"Main"}, u"Stay"); // found by group and name
    EXPECT_TRUE(Flag(stay.get(), &ISettingNode::get_Hidden));
    EXPECT_FALSE(Flag(stay.get(), &ISettingNode::get_NeedsReview));

    auto halt = Setting({u"Main"}, u"Halt On"); // a changed answer is kept and flagged
    EXPECT_EQ(CurrentOf(halt.get()), u"No Errors");
    EXPECT_TRUE(Flag(halt.get(), &ISettingNode::get_Hidden));
    EXPECT_TRUE(Flag(halt.get(), &ISettingNode::get_NeedsReview));

    auto mode = Setting({u"Main"}, u"Mode"); // only the letter case changed
    EXPECT_EQ(CurrentOf(mode.get()), u"Manual");
    EXPECT_TRUE(Flag(mode.get(), &ISettingNode::get_NeedsReview));

    auto fan = Setting({u"Power"}, u"Fan"); // no keyword, another group: new
    EXPECT_TRUE(Flag(fan.get(), &ISettingNode::get_NeedsReview));
    EXPECT_TRUE(Flag(Setting({u"Main"}, u"Brand New").get(), &ISettingNode::get_NeedsReview));
    EXPECT_FALSE(SettingAt(workspace_.get(), {u"Main"}, u"Legacy")); // gone

    ComPtr<ICmos> cmos;
    ASSERT_EQ(workspace_->get_Cmos(cmos.put()), S_OK);
    VARIANT_BOOL review = VARIANT_FALSE;
    EXPECT_EQ(cmos->get_NeedsReview(&review), S_OK);
    EXPECT_EQ(review, VARIANT_TRUE);
    EXPECT_EQ(TextOf(workspace_.get(), &IWorkspace::get_MapFilePath),
              Bstr::FromUtf8(PathOf("new.cvk")).str());
}

TEST_F(CmosCarryOver, MigratingOntoTheSameBoardFlagsOnlyChangedAnswers) {
    ASSERT_EQ(Update(Map("same.cvk", kOldBoard)), S_OK);
    for (const char16_t* name : {u"Quick Boot", u"Mode", u"Fan", u"Stay", u"Legacy"})
        EXPECT_FALSE(Flag(Setting({u"Main"}, name).get(), &ISettingNode::get_NeedsReview))
            << Bstr(name).utf8();
    EXPECT_TRUE(Flag(Setting({u"Main"}, u"Halt On").get(), &ISettingNode::get_NeedsReview));
}

TEST_F(CmosCarryOver, RefusalsAndFailuresLeaveTheWorkspaceExactlyAsItWas) {
    const std::string before = SettledStream();
    std::string fewer = kNewBoard;
    fewer.replace(fewer.find("\"maxHidden\": 4"), 14, "\"maxHidden\": 1");
    EXPECT_EQ(Update(Map("fewer.cvk", fewer)), E_LIMITS_EXCEEDED);
    EXPECT_EQ(ReadWorkspaceStream(Save(workspace_.get(), "now.cvw")), before);

    // A new map file whose root form is missing: the tree cannot be built.
    auto broken = BoardMap(kNewBoard);
    broken.setupTemplate.records.erase(broken.setupTemplate.records.begin());
    EXPECT_EQ(Update(WriteMap("broken.cvk", broken)), E_FAIL);
    EXPECT_EQ(ReadWorkspaceStream(Save(workspace_.get(), "now.cvw")), before);
    EXPECT_EQ(TextOf(workspace_.get(), &IWorkspace::get_MapFilePath),
              Bstr::FromUtf8(PathOf("old.cvk")).str());
}

TEST_F(CmosCarryOver, SavedUnchangedTheStreamIsByteIdentical) {
    const std::string first = ReadWorkspaceStream(Save(workspace_.get(), "one.cvw"));
    VARIANT_BOOL requiresSave = VARIANT_TRUE;
    EXPECT_EQ(workspace_->get_RequiresSave(&requiresSave), S_OK);
    EXPECT_EQ(requiresSave, VARIANT_FALSE);
    const std::string second = ReadWorkspaceStream(Save(workspace_.get(), "two.cvw"));

    ComPtr<IWorkspace> reopened;
    server()->CloseWorkspace(workspace_.get());
    workspace_ = nullptr;
    ASSERT_EQ(Open(PathOf("two.cvw"), &reopened), S_OK);
    EXPECT_EQ(reopened->get_RequiresSave(&requiresSave), S_OK);
    EXPECT_EQ(requiresSave, VARIANT_FALSE);
    const std::string third = ReadWorkspaceStream(Save(reopened.get(), "three.cvw"));
    EXPECT_NE(first, second); // the stored flags were set before the first save
    EXPECT_EQ(second, third);
    auto halt = SettingAt(reopened.get(), {u"Main"}, u"Halt On");
    ASSERT_TRUE(halt);
    EXPECT_EQ(CurrentOf(halt.get()), u"No Errors");
}

// Opens the workspace named by CVK_DEMO_CHILD_WS and writes its INI to CVK_DEMO_CHILD_INI; the
// parent test below runs it in a process of its own.
TEST_F(CmosWorkspace, DemoChild) {
    const char* workspacePath = std::getenv("CVK_DEMO_CHILD_WS");
    const char* iniPath = std::getenv("CVK_DEMO_CHILD_INI");
    if (!workspacePath || !iniPath)
        GTEST_SKIP() << "runs only as the child of DemoBoardIniSurvivesAFreshProcess";
    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(Open(workspacePath, &workspace), S_OK);
    LONG mask = 0;
    workspace->get_SubsystemMask(&mask);
    ASSERT_EQ(Dump(workspace.get(), iniPath, mask), S_OK);
}

TEST_F(CmosWorkspace, DemoBoardIniSurvivesAFreshProcess) {
    if (std::getenv("CVK_DEMO_CHILD_WS"))
        GTEST_SKIP();
    const LONG mask = SUBSYS_CMOS | SUBSYS_SMBIOS | SUBSYS_ENVCTL;
    auto workspace = NewWorkspace(mask, CORVANE_DEMO_MAP);
    auto quick = SettingAt(workspace.get(), {u"Boot"}, u"Quick Boot");
    if (quick)
        quick->put_Locked(VARIANT_TRUE);
    const std::string before = PathOf("before.ini");
    ASSERT_EQ(Dump(workspace.get(), before, mask), S_OK);
    const std::string saved = Save(workspace.get(), "demo.cvw");

    const std::string after = PathOf("after.ini");
    std::string wsVar = "CVK_DEMO_CHILD_WS=" + saved;
    std::string iniVar = "CVK_DEMO_CHILD_INI=" + after;
    std::string filter = "--gtest_filter=CmosWorkspace.DemoChild";
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    env.push_back(wsVar.data());
    env.push_back(iniVar.data());
    env.push_back(nullptr);
    char exe[] = "/proc/self/exe";
    char* argv[] = {exe, filter.data(), nullptr};
    pid_t child = 0;
    ASSERT_EQ(::posix_spawn(&child, exe, nullptr, nullptr, argv, env.data()), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string written = ReadFile(before);
    EXPECT_NE(written.find("[CMOS.ImageData]"), std::string::npos);
    EXPECT_EQ(ReadFile(after), written);
}

} // namespace
} // namespace cvk::testing
