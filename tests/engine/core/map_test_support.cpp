// Shared fixtures of the map-file tests.
#include "tests/engine/core/map_test_support.h"

#include <atomic>
#include <fstream>
#include <unistd.h>

namespace cvk::testing {

cvkgen::MapFileContent SmallMap() {
    cvkgen::MapFileContent m;
    BuildInfo& b = m.buildInfo;
    b.header = {7, 0};
    b.words = {1, 2, 0x0300, 0xBEEF};
    b.text1 = "Tarrow BIOS";
    b.buildDateStamp = "0307150930";
    b.biosVersion = "P1.11 \xE9t\xE9"; // Windows-1252 e-acute
    b.biosId = "TR865PE.86A.0037";
    b.text5 = "(C) 2003";
    b.maxLockSettings = 16;
    b.maxHideSettings = 8;
    b.triples = {{"Board", "TR865PE", "Rev 1.02"}, {"", "x", ""}};

    m.tokens.header = {1, 0x00020000};
    m.tokens.records = {
        {0x11111111, 0x10, 0xA0000001, 0x201, 0x1, 1, 1, 2, 3, 4, 5},
        {0, 0x11, 0, 0x202, 0x3, 2, 7, 0, 0, 0, 0xFFFFFFFF},
        {0, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    };

    ControlRecord quickBoot;
    quickBoot.type = 1;
    quickBoot.controlId = 1;
    quickBoot.promptStringId = 1;
    quickBoot.kept6 = {1, 2, 3, 4, 5, 6};
    quickBoot.optionFlags = ControlRecord::kOptionListFlag | 0x0100;
    quickBoot.typeBlock = {0x10, 9, 8, 7};
    quickBoot.helpFlags = ControlRecord::kHelpFlag;
    quickBoot.helpStringId = 7;
    quickBoot.optionCount = 2;
    quickBoot.options = {{2, 0}, {3, 1}};
    // A password control: its option count is stored but no option list follows.
    ControlRecord password;
    password.type = 2;
    password.controlId = 2;
    password.promptStringId = 6;
    password.typeBlock = {0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD};
    password.optionCount = 3;
    ControlRecord fan;
    fan.type = 7;
    fan.controlId = 3;
    fan.promptStringId = 4;
    fan.optionFlags = ControlRecord::kOptionListFlag;
    fan.typeBlock = {0x11, 0, 0, 0};
    fan.helpStringId = 0xFFFF;
    fan.optionCount = 3;
    fan.options = {{2, 0}, {3, 1}, {5, 7}};
    m.controls.records = {quickBoot, password, fan};

    TemplateItem setting;
    setting.type = TemplateItem::kSetting;
    setting.controlId = 1;
    TemplateItem subGroup;
    subGroup.type = TemplateItem::kSubGroup;
    subGroup.nameStringId = 8;
    subGroup.subTemplateId = 5;
    subGroup.kept20 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    TemplateItem fanItem = setting;
    fanItem.controlId = 3;
    m.setupTemplate.records = {{0, {setting, subGroup}, 0xFFFFFFFF}, {5, {fanItem}, 0}};

    m.portable.records = {{"CMOS_QUICKBOOT", 0x10}, {"", 0x12}};
    m.splash = {{2, 0}, {640, 480, 16, 0}, "logo.bmp", ""};
    m.languages.records = {{"Standard", {"us", "fr"}}, {"Asia Pack", {"jp", "cn", "xyz"}}};
    m.stringHeader.kept1 = 1;
    m.stringHeader.text4 = {'e', 'n', 'U', 'S'};
    m.stringHeader.text2 = {'u', 's'};
    m.stringHeader.kept4 = {9, 8, 7, 6};
    m.strings = {"",
                 "Quick Boot",
                 "Disabled",
                 "Enabled",
                 "Spread Spectrum 0\xAC%",
                 "Primary IDE Master   :",
                 "Change Password",
                 "Allows BIOS to skip certain tests while booting.",
                 "Advanced",
                 "Enabled"};
    m.checksum = {{3, 0}, {0x12345678, 0x9ABCDEF0}};
    return m;
}

ScratchFile::ScratchFile() {
    static std::atomic<int> serial{0};
    dir_ = std::filesystem::temp_directory_path() /
           ("cvk-map-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "board.cvk").string();
}

ScratchFile::~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void ScratchFile::Write(const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

HRESULT LoadWritten(const std::vector<std::uint8_t>& bytes, BiosImage& image) {
    ScratchFile file;
    file.Write(bytes);
    return image.Load(file.Path());
}

HRESULT LoadContent(const cvkgen::MapFileContent& content, BiosImage& image,
                    const cvkgen::LayoutOptions& options) {
    return LoadWritten(cvkgen::WriteMapFile(content, options), image);
}

} // namespace cvk::testing
