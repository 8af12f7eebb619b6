// The system information report: its header clock, sections, columns and marks, the whole report
// of the demo workspace against a reviewed file, and writing that never leaves a partial file.
#include "engine/core/workspace.h"
#include "engine/output/report.h"
#include "platform/com/registry.h"
#include "tests/engine/core/engine_test_support.h"
#include "tools/cvkgen/board.h"
#include "tools/cvkgen/flash_image.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>

namespace cvk::testing {
namespace {

std::string Crlf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines)
        (text += line) += "\r\n";
    return text;
}

// Thursday 14 March 2024 (or another day of that month) at the given time.
std::tm At(int hour, int minute, int second = 0, int day = 14) {
    std::tm time{};
    time.tm_year = 124;
    time.tm_mon = 2;
    time.tm_mday = day;
    time.tm_wday = (4 + day - 14 + 70) % 7;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

const std::string kRule(79, '*');

std::string Header(std::string_view time) {
    return Crlf({"            H A L V E X (R)   C O R V A N E", "",
                 "                         System Information Report",
                 "                         " + std::string(time), ""});
}

const std::string kEnd = Crlf({"", kRule, "\t\t\t\tEnd of Report", kRule, "",
                               "Copyright (C) 2001-2003 Halvex Corporation.  All rights reserved.",
                               "Halvex and Corvane are trademarks of Halvex Corporation.",
                               "Other names and brands may be claimed as the property of others."});

class ReportTest : public EngineTest {
protected:
    // A workspace of the engine's own classes, so that its reports can be given a clock.
    ComPtr<Workspace> MakeWorkspace(LONG mask, const std::string& mapFile) {
        auto workspace = MakeObject<Workspace>();
        Bstr map = Bstr::FromUtf8(mapFile);
        EXPECT_EQ(workspace->InitSubsystems(mask, map.get()), S_OK);
        return workspace;
    }

    std::string WriteBoard(const std::string& base, const std::string& json) {
        const cvkgen::Board board = cvkgen::ParseBoard(json);
        const std::vector<std::uint8_t> map = cvkgen::WriteMapFile(cvkgen::BuildMapFile(board));
        WriteFile(base + ".cvk",
                  std::string_view(reinterpret_cast<const char*>(map.data()), map.size()));
        if (board.modules)
            cvkgen::WriteFlashImage(*board.modules, PathOf(base + ".bio"));
        return PathOf(base + ".cvk");
    }

    // The report of `workspace` for `mask` at `time`, as the file holds it.
    std::string ReportText(IWorkspace* workspace, LONG mask, const std::tm& time = At(12, 30)) {
        ComPtr<IReport> report;
        EXPECT_EQ(workspace->get_Report(report.put()), S_OK);
        if (!report)
            return "<no report>";
        static_cast<Report*>(report.get())->SetClock([time] { return time; });
        const std::string path = PathOf("report.txt");
        Bstr file = Bstr::FromUtf8(path);
        const HRESULT hr = report->GenerateReport(file.get(), mask);
        EXPECT_EQ(hr, S_OK);
        return SUCCEEDED(hr) ? ReadFile(path) : "<failed>";
    }
};

std::string MySystem(const std::string& mapFile, std::string_view id, std::string_view date) {
    return Crlf({kRule, "My System", kRule, "", "BIOS File Location\t " + mapFile,
                 "BIOS ID\t\t\t " + std::string(id), "BIOS Date\t\t " + std::string(date), ""});
}

TEST_F(ReportTest, TheHeaderShowsTheHourInTwelveHourForm) {
    EXPECT_EQ(ReportTimeText(At(12, 30)), u"Thu Mar 14 12:30:00 PM");
    EXPECT_EQ(ReportTimeText(At(0, 30)), u"Thu Mar 14 12:30:00 AM");
    EXPECT_EQ(ReportTimeText(At(13, 5)), u"Thu Mar 14 01:05:00 PM");
    EXPECT_EQ(ReportTimeText(At(11, 59, 59)), u"Thu Mar 14 11:59:59 AM");
    EXPECT_EQ(ReportTimeText(At(23, 0, 7, 5)), u"Tue Mar  5 11:00:07 PM");
}

TEST_F(ReportTest, MaskZeroHasHeaderMySystemAndEndOnly) {
    const std::string map = WriteMap("board.cvk");
    auto workspace = MakeWorkspace(SUBSYS_AVAILABLE, map);
    const std::string id = Bstr(TextOf(workspace.get(), &IWorkspace::get_BIOSID)).utf8();
    const std::string date = Bstr(TextOf(workspace.get(), &IWorkspace::get_BIOSBuildDate)).utf8();
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(ReportText(workspace.get(), 0, At(13, 5)),
              Header("Thu Mar 14 01:05:00 PM") + MySystem(map, id, date) + kEnd);
    // Bits without a section of their own add nothing.
    EXPECT_EQ(ReportText(workspace.get(), SUBSYS_BOM | SUBSYS_SPLASH, At(0, 30)),
              Header("Thu Mar 14 12:30:00 AM") + MySystem(map, id, date) + kEnd);
}

// Paths and names far longer than 300 characters are written whole.
TEST_F(ReportTest, ALongMapFilePathIsWrittenWhole) {
    const std::string deep =
        std::string(120, 'd') + "/" + std::string(120, 'e') + "/" + std::string(120, 'f');
    std::filesystem::create_directories(PathOf(deep));
    const std::string map = WriteMap(deep + "/board.cvk");
    ASSERT_GT(map.size(), 360u);
    auto workspace = MakeWorkspace(SUBSYS_AVAILABLE, map);
    EXPECT_NE(ReportText(workspace.get(), 0).find("\r\nBIOS File Location\t " + map + "\r\n"),
              std::string::npos);
}

TEST_F(ReportTest, SectionsComeInAFixedOrder) {
    auto workspace = MakeWorkspace(SUBSYS_AVAILABLE, WriteMap("board.cvk"));
    const std::string both = ReportText(workspace.get(), SUBSYS_FLEX | SUBSYS_SMBIOS);
    const std::size_t smbios = both.find("\r\nSMBIOS\r\n");
    const std::size_t modules = both.find("\r\nFlex Modules\r\n");
    ASSERT_NE(smbios, std::string::npos);
    ASSERT_NE(modules, std::string::npos);
    EXPECT_LT(smbios, modules);
    EXPECT_EQ(both.find("Lock/Hide"), std::string::npos);

    const std::string all = ReportText(workspace.get(), SUBSYS_AVAILABLE);
    const std::size_t cmos = all.find("Lock/Hide\tAdvanced");
    ASSERT_NE(cmos, std::string::npos);
    EXPECT_LT(all.find("\r\nSMBIOS\r\n"), cmos);
    EXPECT_LT(cmos, all.find("\r\nFlex Modules\r\n"));
}

// The SMBIOS names fill 29 columns; a prompt shows its question.
TEST_F(ReportTest, SmbiosLinesShowValuesAndPrompts) {
    auto workspace = MakeWorkspace(SUBSYS_AVAILABLE, WriteMap("board.cvk"));
    ComPtr<ISmbiosList> list;
    ASSERT_EQ(workspace->get_SmbiosList(list.put()), S_OK);
    ComPtr<ISmbiosNode> first, second;
    ASSERT_EQ(list->GetFirst(first.put()), S_OK);
    ASSERT_EQ(list->GetNext(second.put()), S_OK);
    Bstr value(u"Tarrow"), question(u"Enter the model:");
    ASSERT_EQ(first->put_Value(value.get()), S_OK);
    ASSERT_EQ(second->put_Prompt(VARIANT_TRUE), S_OK);
    ASSERT_EQ(second->put_Value(question.get()), S_OK);
    Bstr firstName, secondName;
    first->get_DisplayName(firstName.put());
    second->get_DisplayName(secondName.put());

    const std::string text = ReportText(workspace.get(), SUBSYS_SMBIOS);
    auto line = [](const std::string& name, const std::string& shown) {
        return "\r\n" + name + std::string(29 - name.size(), ' ') + shown + "\r\n";
    };
    EXPECT_NE(text.find(Crlf({kRule, "SMBIOS", kRule, ""}) + firstName.utf8()), std::string::npos);
    EXPECT_NE(text.find(line(firstName.utf8(), "Tarrow")), std::string::npos);
    EXPECT_NE(text.find(line(secondName.utf8(), "Enter the model:")), std::string::npos);
}

TEST_F(ReportTest, ModuleNamesFillTheirColumn) {
    const std::string n47(47, 'q'), n48(48, 'r'), n50(50, 's'), n64(64, 't'), n65(65, 'u'),
        n70(70, 'v');
    const std::string json = R"({
  "build": {"biosId": "MOD.0001", "version": "M1", "dateStamp": "0401020304"},
  "modules": {
    "version": "M1", "flashPartSize": 1048576, "requiredContent": 1000,
    "list": [
      {"handle": 1, "name": "Core", "required": true, "size": 4000},
      {"handle": 2, "name": ")" +
                             n47 + R"(", "default": true, "size": 100},
      {"handle": 3, "name": ")" +
                             n48 + R"(", "size": 200},
      {"handle": 4, "name": ")" +
                             n50 + R"(", "default": true, "size": 300},
      {"handle": 5, "name": ")" +
                             n64 + R"(", "size": 400},
      {"handle": 6, "name": ")" +
                             n65 + R"(", "size": 500},
      {"handle": 7, "name": ")" +
                             n70 + R"(", "size": 600}
    ]
  }
})";
    auto workspace = MakeWorkspace(SUBSYS_FLEX, WriteBoard("modular", json));
    const std::string text = ReportText(workspace.get(), SUBSYS_FLEX);
    const std::string section =
        Crlf({kRule, "Flex Modules", kRule, "", "\t\t\t\t\t      Included\t\tSize in bytes", "",
              "Core" + std::string(43, ' ') + "Yes\t\t4000", n47 + "Yes\t\t100",
              n48 + std::string(17, ' ') + "No\t\t200", n50 + std::string(15, ' ') + "Yes\t\t300",
              n64 + std::string(1, ' ') + "No\t\t400", n65 + "No\t\t500", n70 + "No\t\t600", ""});
    EXPECT_NE(text.find(section + kEnd), std::string::npos) << text;
}

// The lock/hide column: with a current choice hiding wins over locking, without one locking
// wins; advanced settings get "Adv" behind the two tabs. Long names keep a blank after them.
TEST_F(ReportTest, CmosLinesShowChoiceMarksAndAdvanced) {
    const std::string json = R"({
  "build": {"biosId": "CMOS.0001", "version": "C1", "dateStamp": "0401020304",
            "maxLocked": 8, "maxHidden": 8},
  "setup": [
    {"setting": "Quick Boot", "keyword": "CMOS_QUICKBOOT", "choices": ["Disabled", "Enabled"],
     "default": "Enabled"},
    {"setting": "Odd Default", "keyword": "CMOS_ODD", "choices": ["Low", "High"], "default": 7},
    {"setting": "Tuning", "choices": ["Off", "On"]},
    {"setting": "A Setting Name Of Thirty Chars", "keyword": "CMOS_LONG",
     "choices": ["No", "Yes"]},
    {"menu": "Boot", "items": [
      {"setting": "Boot Order Lock", "keyword": "CMOS_BOOTLOCK", "choices": ["Off", "On"]}
    ]}
  ]
})";
    auto workspace = MakeWorkspace(SUBSYS_CMOS, WriteBoard("cmos", json));
    ComPtr<ICmos> cmos;
    ASSERT_EQ(workspace->get_Cmos(cmos.put()), S_OK);
    ComPtr<IGroupNode> root;
    ASSERT_EQ(cmos->get_DataTree(root.put()), S_OK);
    Bstr rootName;
    root->get_Name(rootName.put());
    ComPtr<ISettingList> settings;
    ASSERT_EQ(root->get_SettingList(settings.put()), S_OK);
    ComPtr<ISettingNode> quick, odd, tuning;
    ASSERT_EQ(settings->GetFirst(quick.put()), S_OK);
    ASSERT_EQ(settings->GetNext(odd.put()), S_OK);
    ASSERT_EQ(settings->GetNext(tuning.put()), S_OK);
    // Putting one flag clears the other; a workspace file can still hold both, as here.
    static_cast<SettingNode*>(quick.get())->SetLockHide(true, true);
    static_cast<SettingNode*>(odd.get())->SetLockHide(true, true);
    ASSERT_EQ(tuning->put_Locked(VARIANT_TRUE), S_OK);
    // The BIOS default is none of the answers: no current choice.
    ComPtr<IChoiceNode> noChoice;
    ASSERT_EQ(odd->get_CurrentChoice(noChoice.put()), E_FAIL);

    auto name = [](std::string text) { return "  " + text + std::string(27 - text.size(), ' '); };
    auto choice = [](std::string text) { return text + std::string(20 - text.size(), ' '); };
    const std::string expected =
        Crlf({kRule, rootName.utf8(), kRule, "", "\t\t\t\t\t\tLock/Hide\tAdvanced", "",
              name("Quick Boot") + choice("Enabled") + "Hide\t\t",
              name("Odd Default") + choice("") + "Lock\t\t",
              name("Tuning") + choice("Off") + "Lock\t\tAdv",
              "  A Setting Name Of Thirty Chars " + choice("No") + "\t\t", "", "", "Boot",
              name("Boot Order Lock") + choice("Off") + "\t\t", ""});
    const std::string text = ReportText(workspace.get(), SUBSYS_CMOS);
    EXPECT_NE(text.find(expected + kEnd), std::string::npos) << text;
}

// The demo board's workspace with a few edits, compared with a reviewed copy. The map file's
// place differs from machine to machine and stands as "<map>" in the reviewed file.
TEST_F(ReportTest, TheDemoWorkspaceReportMatchesTheReviewedFile) {
    const std::string map = PathOf("demo.cvk");
    std::filesystem::copy_file(CORVANE_DEMO_MAP, map);
    std::filesystem::copy_file(std::filesystem::path(CORVANE_DEMO_MAP).replace_extension(".bio"),
                               PathOf("demo.bio"));
    std::filesystem::copy_file(std::filesystem::path(CORVANE_DEMO_MAP).parent_path() / "demo_2.bio",
                               PathOf("demo_2.bio"));
    auto workspace = MakeWorkspace(SUBSYS_AVAILABLE, map);

    // A maker's value and a production-line prompt among the SMBIOS strings.
    ComPtr<ISmbiosList> smbios;
    ASSERT_EQ(workspace->get_SmbiosList(smbios.put()), S_OK);
    ComPtr<ISmbiosNode> maker, serial;
    ASSERT_EQ(smbios->GetFirst(maker.put()), S_OK);
    Bstr makerName(u"Northwind Systems"), question(u"Scan the serial number:");
    ASSERT_EQ(maker->put_Value(makerName.get()), S_OK);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(smbios->GetNext(serial.put()), S_OK);
    ASSERT_EQ(serial->put_Prompt(VARIANT_TRUE), S_OK);
    ASSERT_EQ(serial->put_Value(question.get()), S_OK);

    // The first menu's first setting locked, its second locked and hidden.
    ComPtr<ICmos> cmos;
    ComPtr<IGroupNode> root, menu;
    ComPtr<IGroupList> menus;
    ComPtr<ISettingList> settings;
    ComPtr<ISettingNode> first, second;
    ASSERT_EQ(workspace->get_Cmos(cmos.put()), S_OK);
    ASSERT_EQ(cmos->get_DataTree(root.put()), S_OK);
    ASSERT_EQ(root->get_ChildList(menus.put()), S_OK);
    ASSERT_EQ(menus->GetFirst(menu.put()), S_OK);
    ASSERT_EQ(menu->get_SettingList(settings.put()), S_OK);
    ASSERT_EQ(settings->GetFirst(first.put()), S_OK);
    ASSERT_EQ(settings->GetNext(second.put()), S_OK);
    ASSERT_EQ(first->put_Locked(VARIANT_TRUE), S_OK);
    ASSERT_EQ(second->put_Locked(VARIANT_TRUE), S_OK);
    ASSERT_EQ(second->put_Hidden(VARIANT_TRUE), S_OK);

    std::string text = ReportText(workspace.get(), SUBSYS_AVAILABLE, At(13, 5));
    const std::size_t at = text.find(map);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, map.size(), "<map>");

    const std::string reviewed = std::string(CORVANE_OUTPUT_EXPECTED) + "/demo_report.txt";
    if (std::getenv("CORVANE_WRITE_EXPECTED"))
        std::ofstream(reviewed, std::ios::binary) << text;
    EXPECT_EQ(text, ReadFile(reviewed));
}

// Unlike the engine's other classes, the report registers as usable from any thread, and as
// neither programmable nor described by the type library.
TEST_F(ReportTest, TheReportClassRegistersItsOwnWay) {
    const std::string key = "CLSID\\" + FormatGuid(CLSID_Report);
    auto valueOf = [](const std::string& k, const std::string& name = "") {
        std::string value;
        return SUCCEEDED(registry::GetValue(k, name, &value)) ? value : "<missing>";
    };
    EXPECT_EQ(valueOf(key + "\\InprocServer32", "ThreadingModel"), "both");
    EXPECT_EQ(valueOf(key + "\\ProgID"), "CvkServer.Report.1");
    EXPECT_EQ(valueOf(key + "\\VersionIndependentProgID"), "CvkServer.Report");
    EXPECT_EQ(valueOf(key + "\\TypeLib"), "<missing>");
    registry::Store store;
    ASSERT_EQ(registry::Store::Load(registry::StorePath(), &store), S_OK);
    EXPECT_FALSE(store.HasKey(key + "\\Programmable"));
    EXPECT_TRUE(store.HasKey("CLSID\\" + FormatGuid(CLSID_Workspace) + "\\Programmable"));
}

// A report made by class identifier has no workspace behind it: it writes the parts that need
// none, and a section without its object fails without touching an earlier file.
TEST_F(ReportTest, AReportWithoutSourcesWritesOnlyWhatNeedsNone) {
    ComPtr<IReport> report;
    ASSERT_EQ(CoCreateInstance(CLSID_Report, nullptr, CLSCTX_INPROC_SERVER, IReport::iid,
                               report.put_void()),
              S_OK);
    const std::string path = PathOf("report.txt");
    Bstr file = Bstr::FromUtf8(path);
    ASSERT_EQ(report->GenerateReport(file.get(), 0), S_OK);
    const std::string written = ReadFile(path);
    EXPECT_NE(written.find("\r\nBIOS ID\t\t\t \r\n"), std::string::npos);
    EXPECT_EQ(written.substr(written.size() - kEnd.size()), kEnd);

    for (LONG bit : {SUBSYS_CMOS, SUBSYS_SMBIOS, SUBSYS_ENVCTL, SUBSYS_FLEX})
        EXPECT_EQ(report->GenerateReport(file.get(), bit), E_FAIL) << bit;
    EXPECT_EQ(ReadFile(path), written);
}

TEST_F(ReportTest, AReadOnlyReportFileIsLeftAsItWas) {
    auto workspace = MakeWorkspace(SUBSYS_AVAILABLE, WriteMap("board.cvk"));
    WriteFile("report.txt", "earlier");
    ::chmod(PathOf("report.txt").c_str(), 0444);
    ComPtr<IReport> report;
    ASSERT_EQ(workspace->get_Report(report.put()), S_OK);
    Bstr file = Bstr::FromUtf8(PathOf("report.txt"));
    EXPECT_EQ(report->GenerateReport(file.get(), SUBSYS_AVAILABLE), E_FAIL);
    EXPECT_EQ(ReadFile(PathOf("report.txt")), "earlier");
    Bstr missing = Bstr::FromUtf8(PathOf("missing/report.txt"));
    EXPECT_EQ(report->GenerateReport(missing.get(), 0), E_FAIL);
}

// Through the registered engine: the workspace hands each report its own references, which
// outlive the workspace.
TEST_F(ReportTest, TheWorkspaceHandsOutANewReportEachTime) {
    ComPtr<IWorkspace> workspace =
        NewWorkspace(SUBSYS_CMOS | SUBSYS_ENVCTL | SUBSYS_SMBIOS, WriteMap("board.cvk"));
    ComPtr<IReport> first, second;
    ASSERT_EQ(workspace->get_Report(first.put()), S_OK);
    ASSERT_EQ(workspace->get_Report(second.put()), S_OK);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(workspace->get_Report(nullptr), E_POINTER);
    const std::u16string id = TextOf(workspace.get(), &IWorkspace::get_BIOSID);

    ASSERT_EQ(server()->CloseWorkspace(workspace.get()), S_OK);
    workspace = nullptr;
    Bstr file = Bstr::FromUtf8(PathOf("late.txt"));
    ASSERT_EQ(first->GenerateReport(file.get(), SUBSYS_AVAILABLE), S_OK);
    const std::string text = ReadFile(PathOf("late.txt"));
    EXPECT_NE(text.find("BIOS ID\t\t\t " + Bstr(id).utf8() + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("Lock/Hide"), std::string::npos);
}

} // namespace
} // namespace cvk::testing
