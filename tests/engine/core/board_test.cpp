// Board descriptions: cvkgen's translation into records, and the demo board read back.
#include "engine/core/bios_image.h"
#include "tests/engine/core/map_test_support.h"
#include "tools/cvkgen/board.h"

#include <gtest/gtest.h>

#include <bitset>
#include <fstream>
#include <functional>
#include <iterator>

namespace cvk {
namespace {

using cvkgen::Board;
using cvkgen::BoardError;
using cvkgen::BoardItem;
using cvkgen::ItemKind;

// Walks the forms of a loaded image from `templateId` alongside the description's items and
// checks that every reference (form, control, token, keyword, string) resolves to what the
// description says. Counts the settings it met.
class TreeChecker {
public:
    explicit TreeChecker(const BiosImage& image) {
        EXPECT_EQ(image.GetSetupTemplate(&forms_), S_OK);
        EXPECT_EQ(image.GetControlList(&controls_), S_OK);
        EXPECT_EQ(image.GetTokenList(&tokens_), S_OK);
        EXPECT_EQ(image.GetPortableCmosInfo(&portable_), S_OK);
        EXPECT_EQ(image.GetStringTable(&strings_), S_OK);
    }

    int settings = 0;

    void Form(std::uint32_t templateId, const std::vector<BoardItem>& items) {
        const TemplateRecord* form = forms_->Find(templateId);
        ASSERT_NE(form, nullptr) << "form " << templateId;
        ASSERT_EQ(form->items.size(), items.size()) << "form " << templateId;
        for (std::size_t i = 0; i < items.size(); ++i)
            Item(form->items[i], items[i]);
    }

private:
    std::string Raw(std::uint16_t id) const {
        FileString raw;
        EXPECT_TRUE(SUCCEEDED(strings_->ReadRaw(id, raw))) << "string " << id;
        return raw;
    }

    void Item(const TemplateItem& item, const BoardItem& expected) {
        switch (expected.kind) {
        case ItemKind::Menu:
            ASSERT_EQ(item.type, TemplateItem::kSubGroup);
            if (expected.text)
                EXPECT_EQ(Raw(item.nameStringId), *expected.text);
            else
                EXPECT_EQ(item.nameStringId, BiosStringTable::kNoString);
            Form(item.subTemplateId, expected.items);
            return;
        case ItemKind::Label:
            EXPECT_EQ(item.type, expected.itemType);
            EXPECT_EQ(Raw(item.nameStringId), *expected.text);
            return;
        case ItemKind::Setting:
            ASSERT_EQ(item.type, TemplateItem::kSetting);
            Setting(item.controlId, expected.setting);
            return;
        }
    }

    void Setting(std::uint32_t controlId, const cvkgen::BoardSetting& s) {
        ++settings;
        const ControlRecord* control = controls_->Find(std::uint16_t(controlId));
        ASSERT_NE(control, nullptr) << s.prompt;
        EXPECT_EQ(control->type, s.controlType);
        EXPECT_EQ(Raw(control->promptStringId), s.prompt);
        EXPECT_EQ(control->HasHelp(), !s.help.empty()) << s.prompt;
        if (control->HasHelp()) {
            EXPECT_EQ(Raw(control->helpStringId), s.help);
        }
        ASSERT_EQ(control->options.size(), s.choices.size()) << s.prompt;
        EXPECT_EQ(control->optionCount, s.choices.size());
        for (std::size_t i = 0; i < s.choices.size(); ++i) {
            EXPECT_EQ(Raw(control->options[i].stringId), s.choices[i].text);
            EXPECT_EQ(control->options[i].value, s.choices[i].value);
        }
        if (!control->HasToken())
            return;
        const TokenRecord* token = tokens_->Find(control->TokenId());
        ASSERT_NE(token, nullptr) << s.prompt;
        EXPECT_EQ(token->defaultValue, s.defaultValue) << s.prompt;
        EXPECT_EQ(token->bitOffset, s.bitOffset);
        EXPECT_EQ(token->bitMask, s.bitMask);
        EXPECT_EQ(token->bitSize, s.bitSize);
        const PortableRecord* portable = portable_->FindByToken(control->TokenId());
        EXPECT_EQ(portable != nullptr, s.keyword.has_value()) << s.prompt;
        if (portable && s.keyword) {
            EXPECT_EQ(portable->keyword, *s.keyword);
        }
    }

    const SetupTemplate* forms_ = nullptr;
    const ControlList* controls_ = nullptr;
    const TokenList* tokens_ = nullptr;
    const PortableCmosInfo* portable_ = nullptr;
    const BiosStringTable* strings_ = nullptr;
};

void ForEachSetting(const std::vector<BoardItem>& items,
                    const std::function<void(const cvkgen::BoardSetting&)>& visit) {
    for (const BoardItem& item : items) {
        if (item.kind == ItemKind::Menu)
            ForEachSetting(item.items, visit);
        if (item.kind == ItemKind::Setting)
            visit(item.setting);
    }
}

std::vector<std::uint8_t> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DemoBoard, TheBuiltMapFileReadsBackAsDescribed) {
    const Board board = cvkgen::LoadBoard(CORVANE_DEMO_BOARD);
    const cvkgen::MapFileContent content = cvkgen::BuildMapFile(board);
    // The map file that the cvkgen program wrote at build time is what the library writes.
    const std::vector<std::uint8_t> built = ReadFile(CORVANE_DEMO_MAP);
    ASSERT_FALSE(built.empty()) << CORVANE_DEMO_MAP;
    EXPECT_EQ(built, cvkgen::WriteMapFile(content));

    BiosImage image;
    ASSERT_EQ(image.Load(CORVANE_DEMO_MAP), S_OK);
    const BuildInfo* build = nullptr;
    ASSERT_EQ(image.GetBuildInfo(&build), S_OK);
    EXPECT_EQ(*build, board.build);
    EXPECT_EQ(build->MaxNumLockSettings(), 16u);
    EXPECT_EQ(build->MaxNumHideSettings(), 16u);
    EXPECT_FALSE(build->BuildDate().empty());
    const LanguageInfo* languages = nullptr;
    ASSERT_EQ(image.GetLanguageInfo(&languages), S_OK);
    EXPECT_EQ(languages->records, board.languages);
    EXPECT_EQ(languages->records.size(), 3u); // built-in languages and two packs

    TreeChecker checker(image);
    checker.Form(0, board.setup);
    EXPECT_GE(checker.settings, 150);
}

TEST(DemoBoard, HasTheSettingsThatNeedSpecialCare) {
    const Board board = cvkgen::LoadBoard(CORVANE_DEMO_BOARD);
    std::vector<std::string> menus;
    for (const BoardItem& item : board.setup)
        if (item.kind == ItemKind::Menu)
            menus.push_back(item.text.value_or(""));
    EXPECT_EQ(menus, (std::vector<std::string>{"Main", "Advanced", "Chipset", "Power", "Boot",
                                               "Security"}));
    std::set<std::string> keywords;
    int withoutKeyword = 0;
    int idePrompts = 0;
    int halfOrQuarter = 0;
    std::bitset<2048> used;
    ForEachSetting(board.setup, [&](const cvkgen::BoardSetting& s) {
        if (s.keyword)
            keywords.insert(*s.keyword);
        else
            ++withoutKeyword;
        const bool ide = s.prompt.find("IDE Master") != std::string::npos ||
                         s.prompt.find("IDE Slave") != std::string::npos;
        if (ide && s.prompt.find("  :") != std::string::npos)
            ++idePrompts;
        if (s.prompt.find_first_of("\xAB\xAC") != std::string::npos)
            ++halfOrQuarter;
        // Every value has its own bits within one byte of the CMOS image.
        for (unsigned bit = 0; bit < s.bitSize; ++bit) {
            EXPECT_FALSE(used[s.bitOffset + bit]) << s.prompt;
            used[s.bitOffset + bit] = true;
        }
        if (s.controlType == 1 || s.controlType == 7) {
            EXPECT_NE(s.bitOffset, 0) << s.prompt;
            EXPECT_LE(s.bitOffset % 8 + s.bitSize, 8u) << s.prompt;
        }
    });
    for (const char* keyword : {"CMOS_LANGUAGE", "CMOS_1STBOOTDEV", "CMOS_2NDBOOTDEV",
                                "CMOS_3RDBOOTDEV", "CMOS_5THBOOTDEV"})
        EXPECT_EQ(keywords.count(keyword), 1u) << keyword;
    EXPECT_GT(withoutKeyword, 0);
    EXPECT_GE(idePrompts, 2);
    EXPECT_GE(halfOrQuarter, 2);
}

TEST(BoardDescription, AssignsIdsAndSharesStrings) {
    const Board board = cvkgen::ParseBoard(R"({
      "setup": [
        {"menu": "Boot", "items": [
          {"setting": "Quick Boot", "keyword": "CMOS_QUICKBOOT",
           "choices": ["Disabled", "Enabled"], "default": "Enabled"},
          {"label": "Boot Settings"},
          {"menu": null, "items": [{"setting": "Hidden", "choices": ["Off", "On"]}]}
        ]},
        {"setting": "Mode", "choices": [{"text": "Low", "value": 4}, "High", "Disabled"],
         "token": "0x10", "default": 5, "cmos": {"byte": 96, "bit": 5}},
        {"setting": "Password", "type": 2}
      ]})");
    const cvkgen::MapFileContent m = cvkgen::BuildMapFile(board);
    ASSERT_EQ(m.setupTemplate.records.size(), 3u);
    EXPECT_EQ(m.setupTemplate.records[0].templateId, 0u);
    const TemplateItem& boot = m.setupTemplate.records[0].items[0];
    EXPECT_EQ(boot.type, TemplateItem::kSubGroup);
    EXPECT_EQ(m.strings[boot.nameStringId], "Boot");
    const auto& bootItems = m.setupTemplate.records[1].items;
    EXPECT_EQ(bootItems[1].type, 0x42);
    EXPECT_EQ(bootItems[2].nameStringId, BiosStringTable::kNoString);

    // Controls are numbered from 1 in the order of the description.
    ASSERT_EQ(m.controls.records.size(), 4u);
    const ControlRecord& quickBoot = *m.controls.Find(1);
    EXPECT_EQ(m.strings[quickBoot.promptStringId], "Quick Boot");
    EXPECT_EQ(m.setupTemplate.records[1].items[0].controlId, 1u);
    const ControlRecord& mode = *m.controls.Find(3);
    EXPECT_EQ(m.strings[mode.promptStringId], "Mode");
    EXPECT_EQ(mode.options[1].value, 5);
    EXPECT_EQ(mode.options[2].value, 6);
    // "Disabled" is stored once and shared.
    EXPECT_EQ(mode.options[2].stringId, quickBoot.options[0].stringId);

    // Explicit tokens are kept and automatic ones step around them.
    EXPECT_EQ(mode.TokenId(), 0x10);
    EXPECT_NE(quickBoot.TokenId(), 0x10);
    const TokenRecord& modeToken = *m.tokens.Find(0x10);
    EXPECT_EQ(modeToken.defaultValue, 5);
    EXPECT_EQ(modeToken.bitOffset, 96 * 8 + 5);
    EXPECT_EQ(modeToken.bitSize, 3); // values up to 6
    EXPECT_EQ(modeToken.bitMask, 7);
    // The password control has no token and no options.
    const ControlRecord& password = *m.controls.Find(4);
    EXPECT_EQ(password.type, 2);
    EXPECT_EQ(m.tokens.records.size(), 3u);
    EXPECT_FALSE(password.HasOptionList());
    // Only settings with a keyword are portable.
    ASSERT_EQ(m.portable.records.size(), 1u);
    EXPECT_EQ(m.portable.records[0].keyword, "CMOS_QUICKBOOT");
    EXPECT_EQ(m.tokens.Find(m.portable.records[0].tokenId)->defaultValue, 1);
}

TEST(BoardDescription, RejectsWhatCannotBeWritten) {
    const struct {
        const char* json;
        const char* message;
    } cases[] = {
        {R"({"setup": [{"setting": "A", "colour": 1}]})", "unknown key \"colour\""},
        {R"({"setup": [{"setting": "\u4e2d"}]})", "Windows-1252"},
        {R"({"setup": [{"setting": "A", "choices": ["x"], "default": "y"}]})", "none of"},
        {R"({"setup": [{"setting": "A", "cmos": {"byte": 64, "bit": 6, "bits": 3}}]})",
         "within one byte"},
        {R"({"setup": [{"setting": "A", "cmos": {"byte": 64}},
                       {"setting": "B", "cmos": {"byte": 64}}]})",
         "already used"},
        {R"({"setup": [{"setting": "A", "token": 5}, {"setting": "B", "token": 5}]})",
         "used twice"},
        {R"({"setup": [{"setting": "A", "cmos": {"byte": 256}}]})", "256-byte"},
        {R"({"setup": [{"setting": "A", "token": "0x1G"}]})", "not a number"},
        {R"({"setup": [{"thing": 1}]})", "\"menu\", a \"setting\""},
        {R"({"build": {"maxLocked": -1}})", "non-negative"},
        {R"({"setup": [)", "not valid JSON"},
    };
    for (const auto& c : cases) {
        try {
            cvkgen::ParseBoard(c.json);
            ADD_FAILURE() << "accepted " << c.json;
        } catch (const BoardError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << e.what() << " / expected " << c.message;
        }
    }
    const std::string longText = R"({"setup": [{"setting": ")" + std::string(256, 'x') + "\"}]}";
    EXPECT_THROW(cvkgen::ParseBoard(longText), BoardError);
}

TEST(BoardDescription, TextsBecomeWindows1252Bytes) {
    const Board board = cvkgen::ParseBoard(
        R"({"setup": [{"setting": "Fan Slope 1\u00abPWM", "choices": ["0\u00ac%", "caf\u00e9"]}]})");
    const auto& s = board.setup[0].setting;
    EXPECT_EQ(s.prompt, "Fan Slope 1\xABPWM");
    EXPECT_EQ(s.choices[0].text, "0\xAC%");
    EXPECT_EQ(s.choices[1].text, "caf\xE9");
}

} // namespace
} // namespace cvk
