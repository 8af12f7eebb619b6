// cvk's editing and output commands end to end on the demo board: CMOS, SMBIOS and thermal
// edits, modules and the BIOS update file, apply, batch files and the report.
#include "tests/tools/cvk_run.h"

#include <map>

namespace {

using namespace cvktest;
namespace fs = std::filesystem;
using Json = nlohmann::json;

// Settings of the demo board that have keywords, for filling the lock table.
const std::vector<std::string> kKeywords = {
    "CMOS_FLOPPY_A",   "CMOS_PRI_MASTER", "CMOS_PRI_SLAVE",   "CMOS_SEC_MASTER",
    "CMOS_SEC_SLAVE",  "CMOS_HALT_ON",    "CMOS_CPUID_LIMIT", "CMOS_XD_BIT",
    "CMOS_SPEEDSTEP",  "CMOS_C1E",        "CMOS_CPU_TM",      "CMOS_CPU_RATIO",
    "CMOS_CMP",        "CMOS_ATA_CONFIG", "CMOS_LEGACY_IDE",  "CMOS_HDD_WRITE_PROTECT",
    "CMOS_IDE_TIMEOUT"};

const char kLockLimit[] = "The maximum number of lock-able settings reached, please unlock a "
                          "different setting to lock this setting.";
const char kCut[] =
    "Exceeded maximum number of characters allowed.  This value has been truncated.";

// A 24-bit BMP picture of the given size, filled with one colour.
std::string Bmp(int width, int height) {
    const int row = (width * 3 + 3) & ~3;
    const std::uint32_t pixels = std::uint32_t(row) * std::uint32_t(height);
    std::string bytes(54 + pixels, '\x40');
    auto put32 = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B', bytes[1] = 'M';
    put32(2, 54 + pixels);
    put32(6, 0);
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(height));
    bytes[26] = 1, bytes[27] = 0, bytes[28] = 24, bytes[29] = 0;
    put32(30, 0);
    put32(34, pixels);
    for (std::size_t at = 38; at < 54; ++at)
        bytes[at] = 0;
    return bytes;
}

// The header of a baseline JPEG picture: start of image, a JFIF segment, the frame with its
// size, end of image. Enough for the programs, which read the size, not the pixels.
std::string Jpeg(int width, int height) {
    std::string bytes = "\xFF\xD8";
    bytes += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    bytes += std::string("\xFF\xC0\x00\x0B\x08", 5);
    bytes += char(height >> 8), bytes += char(height & 0xFF);
    bytes += char(width >> 8), bytes += char(width & 0xFF);
    bytes += std::string("\x01\x01\x11\x00", 4);
    return bytes + "\xFF\xD9";
}

class CvkEditTest : public CvkTest {
protected:
    std::string NewWorkspace(const std::string& name, const std::string& map,
                             const std::string& components = "") {
        const std::string ws = PathOf(name);
        std::vector<std::string> args = {"new", map, "--out", ws};
        if (!components.empty())
            args.insert(args.end(), {"--components", components});
        Result made = Cvk(args);
        EXPECT_EQ(made.exitCode, 0) << made.err;
        return ws;
    }

    Json Show(const std::string& ws) {
        Result show = Cvk({"show", ws, "--json"});
        EXPECT_EQ(show.exitCode, 0) << show.err;
        return show.exitCode == 0 ? Json::parse(show.out) : Json();
    }

    static const Json* FindCmosSetting(const Json& group, const std::string& keyword) {
        for (const Json& setting : group.at("settings"))
            if (setting.at("keyword") == keyword)
                return &setting;
        for (const Json& child : group.at("groups"))
            if (const Json* found = FindCmosSetting(child, keyword))
                return found;
        return nullptr;
    }

    static const Json* FindNamed(const Json& group, std::vector<std::string> path) {
        const Json* at = &group;
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            const Json* next = nullptr;
            for (const Json& child : at->at("groups"))
                if (child.at("name") == path[i])
                    next = &child;
            if (!next)
                return nullptr;
            at = next;
        }
        for (const Json& setting : at->at("settings"))
            if (setting.at("name") == path.back())
                return &setting;
        return nullptr;
    }

    static const Json* FindModule(const Json& flex, int handle) {
        for (const Json& module : flex.at("modules"))
            if (module.at("handle") == handle)
                return &module;
        return nullptr;
    }
};

TEST_F(CvkEditTest, CmosCommandsEditSaveAndRefuseBeyondTheLockLimit) {
    const std::string ws = NewWorkspace("demo.cvw", CORVANE_DEMO_PLAIN_MAP, "cmos,smbios");
    Result set = Cvk({"set", ws, "CMOS_HYPERTHREADING=Disabled",
                      "Advanced/PCI/PnP Configuration/Clear NVRAM=Yes*"});
    ASSERT_EQ(set.exitCode, 0) << set.err;

    std::vector<std::string> lock = {"lock", ws};
    lock.insert(lock.end(), kKeywords.begin(), kKeywords.begin() + 16);
    Result locked = Cvk(lock);
    ASSERT_EQ(locked.exitCode, 0) << locked.err;
    const std::string before = ReadFile(ws);
    Result refused = Cvk({"lock", ws, kKeywords[16]});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find(std::string("error 0x80004005: ") + kLockLimit), std::string::npos)
        << refused.err;
    Result badChoice = Cvk({"set", ws, "CMOS_HYPERTHREADING=Sometimes"});
    EXPECT_EQ(badChoice.exitCode, 1);
    EXPECT_NE(badChoice.err.find("no choice \"Sometimes\""), std::string::npos) << badChoice.err;
    EXPECT_EQ(ReadFile(ws), before) << "a refused edit leaves the file as it was";

    // Unlocking makes room again; hiding a locked setting takes its lock away.
    ASSERT_EQ(Cvk({"unlock", ws, kKeywords[0]}).exitCode, 0);
    ASSERT_EQ(Cvk({"hide", ws, kKeywords[1], kKeywords[16]}).exitCode, 0);
    const Json document = Show(ws);
    const Json& cmos = document.at("cmos");
    EXPECT_EQ(cmos.at("locked"), 14);
    EXPECT_EQ(cmos.at("hidden"), 2);
    const Json& tree = cmos.at("tree");
    EXPECT_EQ(FindCmosSetting(tree, "CMOS_HYPERTHREADING")->at("current"), "Disabled");
    EXPECT_EQ(FindCmosSetting(tree, "CMOS_CLEAR_NVRAM")->at("current"), "Yes");
    EXPECT_EQ(FindCmosSetting(tree, kKeywords[1])->at("hidden"), true);
    EXPECT_EQ(FindCmosSetting(tree, kKeywords[1])->at("locked"), false);
    const Json& choice = FindCmosSetting(tree, "CMOS_HYPERTHREADING")->at("choices").at(0);
    EXPECT_EQ(choice.at("name"), "Disabled");
    EXPECT_EQ(choice.at("current"), true);
    EXPECT_TRUE(choice.contains("cmosValue") && choice.contains("default"));

    Result ini = Cvk({"ini", ws, PathOf("out.ini")});
    ASSERT_EQ(ini.exitCode, 0) << ini.err;
    const std::string text = ReadFile(PathOf("out.ini"));
    for (const char* section : {"[CMOS.ImageData]\r\n", "[CMOS.ImageMask]\r\n",
                                "[CMOS.LockHide]\r\n", "[SMBIOS.Values]\r\n"})
        EXPECT_NE(text.find(section), std::string::npos) << section;
    ASSERT_EQ(Cvk({"ini", ws, PathOf("smbios.ini"), "--components", "smbios"}).exitCode, 0);
    const std::string smbiosOnly = ReadFile(PathOf("smbios.ini"));
    EXPECT_NE(smbiosOnly.find("[SMBIOS.Values]"), std::string::npos);
    EXPECT_EQ(smbiosOnly.find("[CMOS."), std::string::npos);

    ASSERT_EQ(Cvk({"defaults", ws}).exitCode, 0);
    ASSERT_EQ(Cvk({"reviewed", ws}).exitCode, 0);
    const Json restored = Show(ws);
    EXPECT_EQ(
        FindCmosSetting(restored.at("cmos").at("tree"), "CMOS_HYPERTHREADING")->at("current"),
        FindCmosSetting(restored.at("cmos").at("tree"), "CMOS_HYPERTHREADING")->at("default"));
}

TEST_F(CvkEditTest, SmbiosCutValuesAndThermalRefusals) {
    const std::string ws = NewWorkspace("demo.cvw", CORVANE_DEMO_PLAIN_MAP, "thermal,smbios");
    const std::string long33(33, 's');
    Result cut = Cvk({"smbios", ws, "SystemSerialNum=" + long33, "SystemVersion=1.0"});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find(std::string("error 0x80040406: ") + kCut), std::string::npos) << cut.err;
    EXPECT_NE(cut.out.find("SystemSerialNum: " + std::string(31, 's') + "\n"), std::string::npos)
        << cut.out;
    Result prompt =
        Cvk({"smbios", ws, "SystemProduct", "ChassisAssetTag=" + std::string(71, 'p'), "--prompt"});
    EXPECT_EQ(prompt.exitCode, 1);
    EXPECT_NE(prompt.err.find("error 0x80040407"), std::string::npos) << prompt.err;

    Result range = Cvk({"thermal", ws, "Fans/Fan D/DutyLow (%)=101"});
    EXPECT_EQ(range.exitCode, 1);
    EXPECT_NE(range.err.find("The value must be between 0 and 100"), std::string::npos)
        << range.err;
    Result choice = Cvk({"thermal", ws, "Zones/Zone A/TempDelta (Celsius)=13"});
    EXPECT_EQ(choice.exitCode, 1);
    EXPECT_NE(choice.err.find("The value provided is not valid."), std::string::npos) << choice.err;
    Result typed = Cvk({"thermal", ws, "Zones/Zone A/TempDelta (Celsius)=13.33",
                        "Zones/Zone A/TempLow (Celsius)=1e1"});
    ASSERT_EQ(typed.exitCode, 0) << typed.err;

    // Values, types and prompt flags as a fresh process reads them back from the file.
    const Json document = Show(ws);
    std::map<std::string, Json> strings;
    for (const Json& node : document.at("smbios").at("strings"))
        strings[node.at("key")] = node;
    EXPECT_EQ(strings["SystemSerialNum"].at("value"), std::string(31, 's'));
    EXPECT_EQ(strings["SystemVersion"].at("value"), "1.0");
    EXPECT_EQ(strings["SystemProduct"].at("value"), "Enter System Product Name");
    EXPECT_EQ(strings["SystemProduct"].at("prompt"), true);
    EXPECT_EQ(strings["ChassisAssetTag"].at("value"), std::string(69, 'p'));
    const Json& tree = document.at("thermal").at("tree");
    EXPECT_EQ(tree.at("name"), "Halvex(R) Thermaline");
    const Json* delta = FindNamed(tree, {"Zones", "Zone A", "TempDelta (Celsius)"});
    ASSERT_NE(delta, nullptr);
    EXPECT_EQ(delta->at("value"), Json({{"value", "13.33"}, {"type", "R4"}}));
    const Json* low = FindNamed(tree, {"Zones", "Zone A", "TempLow (Celsius)"});
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(low->at("value"), Json({{"value", "10"}, {"type", "I4"}}));
    EXPECT_EQ(low->at("min").at("value"), "-125");

    // Turning the prompt off empties a string that still reads "Enter ...".
    ASSERT_EQ(Cvk({"smbios", ws, "SystemProduct", "--no-prompt"}).exitCode, 0);
    const Json after = Show(ws);
    for (const Json& node : after.at("smbios").at("strings")) {
        if (node.at("key") == "SystemProduct") {
            EXPECT_EQ(node.at("value"), "");
        }
    }
}

TEST_F(CvkEditTest, ApplyRunsEditsInOrderAndRefusesAsAWhole) {
    const std::string ws = NewWorkspace("demo.cvw", CORVANE_DEMO_PLAIN_MAP);
    WriteFile(folder_ / "edits.json", R"json({
        "cmos": [
            {"setting": "CMOS_HYPERTHREADING", "choice": "Disabled"},
            {"setting": ["Advanced", "CPU Configuration", "Hyper Threading Technology"],
             "choice": "Enabled", "locked": true},
            {"setting": "CMOS_XD_BIT", "hidden": true}
        ],
        "smbios": [{"key": "SystemSerialNum", "value": "Enter the serial number",
                    "prompt": true}],
        "thermal": [{"setting": ["Zones", "Zone A", "TempDelta (Celsius)"], "value": "13.33"},
                    {"setting": "Fans/Fan D/DutyLow (%)", "value": 40}]
    })json");
    Result applied = Cvk({"apply", ws, PathOf("edits.json")});
    ASSERT_EQ(applied.exitCode, 0) << applied.err;
    const Json document = Show(ws);
    const Json& tree = document.at("cmos").at("tree");
    EXPECT_EQ(FindCmosSetting(tree, "CMOS_HYPERTHREADING")->at("current"), "Enabled");
    EXPECT_EQ(FindCmosSetting(tree, "CMOS_HYPERTHREADING")->at("locked"), true);
    EXPECT_EQ(FindCmosSetting(tree, "CMOS_XD_BIT")->at("hidden"), true);
    const Json& serial = document.at("smbios").at("strings").at(3);
    EXPECT_EQ(serial.at("value"), "Enter the serial number");
    EXPECT_EQ(serial.at("prompt"), true);
    const Json& thermal = document.at("thermal").at("tree");
    EXPECT_EQ(FindNamed(thermal, {"Fans", "Fan D", "DutyLow (%)"})->at("value").at("value"), "40");

    // The second edit fails: the first is not saved either.
    const std::string before = ReadFile(ws);
    WriteFile(folder_ / "bad.json", R"json({
        "cmos": [{"setting": "CMOS_XD_BIT", "hidden": false}],
        "thermal": [{"setting": ["Zones", "Zone A", "TempLow (Celsius)"], "value": "500"}]
    })json");
    Result bad = Cvk({"apply", ws, PathOf("bad.json")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("The value must be between -125 and 125"), std::string::npos) << bad.err;
    WriteFile(folder_ / "unknown.json", R"json({"cmos": [], "colour": "blue"})json");
    Result unknown = Cvk({"apply", ws, PathOf("unknown.json")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("unknown key \"colour\""), std::string::npos) << unknown.err;
    EXPECT_EQ(ReadFile(ws), before);
}

TEST_F(CvkEditTest, ModulesLogoAndTheBiosUpdateFile) {
    const std::string ws = NewWorkspace("demo.cvw", CORVANE_DEMO_MAP);
    Result on = Cvk({"module", ws, "20", "on"});
    ASSERT_EQ(on.exitCode, 0) << on.err;
    EXPECT_NE(on.out.find("module 21 put in as a dependency of module 20"), std::string::npos);
    Result required = Cvk({"module", ws, "1", "off"});
    EXPECT_EQ(required.exitCode, 1);
    ASSERT_EQ(Cvk({"flash-size", ws, "1048576"}).exitCode, 0);
    WriteFile(folder_ / "logo.jpg", Jpeg(800, 480));
    Result logo = Cvk({"logo", ws, PathOf("logo.jpg"), "--badge", "lower-right"});
    ASSERT_EQ(logo.exitCode, 0) << logo.err;
    Result listing = Cvk({"modules", ws});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    EXPECT_NE(listing.out.find("Total Module Space Consumed:  "), std::string::npos);
    EXPECT_NE(listing.out.find("PXE Network Boot ROM (needs 21)"), std::string::npos);

    const Json flex = Show(ws).at("flex");
    EXPECT_EQ(flex.at("flashPartSize"), 1048576);
    EXPECT_EQ(FindModule(flex, 20)->at("in"), true);
    EXPECT_EQ(FindModule(flex, 21)->at("in"), true);
    const Json& settings = FindModule(flex, 5)->at("logo");
    EXPECT_EQ(settings.at("resolution"), "800x600") << "800 wide needs the 800 by 600 screen";
    EXPECT_EQ(settings.at("displayBadge"), true);
    EXPECT_EQ(settings.at("badgeX"), 662);
    EXPECT_EQ(settings.at("badgeY"), 444);

    // The update file opens again with the selection, the logo bytes and the badge.
    fs::remove(folder_ / "logo.jpg");
    Result bios = Cvk({"bios", ws, PathOf("update.bio")});
    ASSERT_EQ(bios.exitCode, 0) << bios.err;
    modweave::Image image;
    ASSERT_TRUE(modweave::ReadImageFile(PathOf("update.bio"), &image).ok());
    EXPECT_EQ(image.logo.imageBytes, Jpeg(800, 480));
    EXPECT_EQ(image.logo.badgeX, 662u);
    EXPECT_TRUE(image.logo.displayBadge);
    bool pxe = false;
    for (const modweave::Module& module : image.modules)
        pxe = pxe || module.handle == 20;
    EXPECT_TRUE(pxe);

    // Taking out a dependency makes the selection invalid: no file, the GUI's message.
    ASSERT_EQ(Cvk({"module", ws, "21", "off"}).exitCode, 0);
    Result invalid = Cvk({"bios", ws, PathOf("invalid.bio")});
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_NE(invalid.err.find("Update appears to be invalid.  Verify that the correct "
                               "dependencies have been selected."),
              std::string::npos)
        << invalid.err;
    EXPECT_FALSE(fs::exists(PathOf("invalid.bio")));

    WriteFile(folder_ / "huge.bmp", Bmp(1025, 100));
    Result huge = Cvk({"logo", ws, PathOf("huge.bmp")});
    EXPECT_EQ(huge.exitCode, 1);
    ASSERT_EQ(Cvk({"logo", ws, "--remove"}).exitCode, 0);
    const Json removed = Show(ws);
    EXPECT_EQ(FindModule(removed.at("flex"), 5)->at("containsUserData"), false);
}

TEST_F(CvkEditTest, BatchReportComponentsAndUpdate) {
    const std::string ws = NewWorkspace("demo.cvw", CORVANE_DEMO_PLAIN_MAP);
    const fs::path media = folder_ / "media";
    fs::create_directories(media);
    Result batch = Cvk({"batch", ws, media.string(), "--base", "BOARD", "--bios",
                        "/somewhere/TR865.bio", "--log", "--report"});
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    EXPECT_NE(ReadFile(media / "BOARD.ini").find("[SMBIOS.Values]"), std::string::npos);
    const std::string cvkBat = ReadFile(media / "cvk.bat");
    EXPECT_NE(cvkBat.find("TR865.bio"), std::string::npos) << cvkBat;
    EXPECT_EQ(cvkBat.find("somewhere"), std::string::npos) << "the media holds names only";
    EXPECT_NE(ReadFile(media / "autoexec.bat").find("cvk"), std::string::npos);
    Result longName = Cvk({"batch", ws, media.string(), "--base", "NINECHARS"});
    EXPECT_EQ(longName.exitCode, 1);

    Result report = Cvk({"report", ws, PathOf("report.txt")});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    const std::string text = ReadFile(PathOf("report.txt"));
    EXPECT_NE(text.find("TR865PE.86A.0037.P11"), std::string::npos);

    Result components = Cvk({"components", ws, "cmos"});
    ASSERT_EQ(components.exitCode, 0) << components.err;
    const Json document = Show(ws);
    EXPECT_TRUE(document.at("smbios").is_null());
    EXPECT_TRUE(document.at("cmos").is_object());
    Result smbios = Cvk({"smbios", ws, "SystemVersion=1"});
    EXPECT_EQ(smbios.exitCode, 1);

    Result update = Cvk({"update", ws, CORVANE_DEMO_MAP});
    ASSERT_EQ(update.exitCode, 0) << update.err;
    EXPECT_NE(update.out.find("setting(s) need review"), std::string::npos) << update.out;
}

TEST_F(CvkEditTest, EditCommandUsageErrorsExitWith2) {
    const std::vector<std::vector<std::string>> cases = {
        {"set", "a.cvw"},
        {"lock"},
        {"module", "a.cvw", "x", "on"},
        {"module", "a.cvw", "4", "maybe"},
        {"flash-size", "a.cvw", "lots"},
        {"logo", "a.cvw"},
        {"logo", "a.cvw", "--badge", "middle"},
        {"smbios", "a.cvw", "K=V", "--prompt", "--no-prompt"},
        {"ini", "a.cvw", "out.ini", "--components", "bogus"},
        {"batch", "a.cvw"},
    };
    for (const auto& args : cases) {
        Result result = Cvk(args);
        EXPECT_EQ(result.exitCode, 2) << args[0] << " " << result.err;
    }
}

} // namespace
