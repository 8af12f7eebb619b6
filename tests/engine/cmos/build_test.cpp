// The CMOS tree built from map files written by cvkgen: shape, special settings, strings.
#include "tests/engine/cmos/cmos_test_support.h"

#include "engine/include/engine_status.h"

#include <gtest/gtest.h>

namespace cvk::testing {
namespace {

using Names = std::vector<std::u16string>;

TEST(CmosBuild, KeepsGroupsSettingsAndChoicesInTemplateOrder) {
    auto cmos = BuildCmos(BoardMap(R"({"setup": [
        {"menu": "Main", "items": [
            {"label": "System Overview"},
            {"setting": "Quick Boot", "keyword": "CMOS_QUICKBOOT", "help": "Skips tests.",
             "choices": ["Disabled", "Enabled"], "default": "Enabled", "attributes": 7},
            {"menu": "Sub", "items": [{"setting": "Deep", "choices": ["A", "B"]}]}
        ]},
        {"menu": "Advanced", "items": [{"setting": "Fan", "choices": ["Off", "On"]}]}
    ]})"));
    EXPECT_TRUE(cmos->IsValid());
    EXPECT_TRUE(cmos->Changed());
    EXPECT_EQ(cmos->Root()->Name().view(), u"CMOS");
    ASSERT_EQ(cmos->Root()->Children().Size(), 2u);
    EXPECT_EQ(cmos->Root()->Children().At(0).Name().view(), u"Main");
    EXPECT_EQ(cmos->Root()->Children().At(1).Name().view(), u"Advanced");

    SettingNode* quick = FindSetting(*cmos, {u"Main"}, u"Quick Boot");
    ASSERT_NE(quick, nullptr);
    EXPECT_EQ(quick->Keyword().view(), u"CMOS_QUICKBOOT");
    EXPECT_EQ(ChoiceNames(*quick), (Names{u"Disabled", u"Enabled"}));
    EXPECT_EQ(CurrentName(*quick), u"Enabled");
    EXPECT_EQ(DefaultName(*quick), u"Enabled");
    VARIANT_BOOL advanced = VARIANT_TRUE;
    quick->get_Advanced(&advanced);
    EXPECT_EQ(advanced, VARIANT_FALSE);
    Bstr help;
    quick->get_HelpString(help.put());
    EXPECT_EQ(help.view(), u"Skips tests.");
    LONG attributes = 0;
    quick->get_Attributes(&attributes);
    EXPECT_EQ(attributes, 7);

    SettingNode* deep = FindSetting(*cmos, {u"Main", u"Sub"}, u"Deep");
    ASSERT_NE(deep, nullptr);
    // No portable keyword: advanced, with a null keyword.
    EXPECT_TRUE(deep->Keyword().is_null());
    deep->get_Advanced(&advanced);
    EXPECT_EQ(advanced, VARIANT_TRUE);
}

TEST(CmosBuild, LeavesOutWhatSetupWouldNotShow) {
    auto cmos = BuildCmos(BoardMap(R"({"setup": [{"menu": "Main", "items": [
        {"menu": null, "items": [{"setting": "Unnamed menu", "choices": ["A", "B"]}]},
        {"menu": "Empty", "items": [{"label": "only a label"}]},
        {"setting": "Password", "type": 2},
        {"setting": "Single", "choices": ["Only"]},
        {"setting": "None"},
        {"setting": "Fifth boot", "keyword": "CMOS_5THBOOTDEV", "choices": ["A", "B"]},
        {"setting": "Kept", "choices": ["A", "B"]}
    ]}]})"));
    ASSERT_EQ(cmos->Root()->Children().Size(), 1u);
    const GroupNode& main = cmos->Root()->Children().At(0);
    EXPECT_EQ(main.Children().Size(), 0u);
    ASSERT_EQ(main.Settings().Size(), 1u);
    EXPECT_EQ(main.Settings().At(0).Name().view(), u"Kept");
    EXPECT_EQ(cmos->FindByKeyword(u"CMOS_5THBOOTDEV"), nullptr);
}

TEST(CmosBuild, DefaultOutsideTheChoicesLeavesNoCurrentAndNoDefault) {
    auto cmos = BuildCmos(BoardMap(OneMenuBoard(
        R"([{"setting": "Odd", "choices": ["A", "B"], "default": 9},
            {"setting": "All ones", "choices": [{"text": "Auto", "value": "0xFFFF"},
                                                {"text": "Off", "value": 0}],
             "default": "Auto", "cmos": "none"}])")));
    SettingNode* odd = FindSetting(*cmos, {u"Main"}, u"Odd");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->Current(), nullptr);
    EXPECT_EQ(odd->Default(), nullptr);
    ComPtr<IChoiceNode> choice;
    EXPECT_EQ(odd->get_DefaultChoice(choice.put()), E_FAIL);
    EXPECT_EQ(odd->get_CurrentChoice(choice.put()), E_FAIL);
    // The default compares as a 16-bit pattern: 0xFFFF matches the value -1.
    SettingNode* ones = FindSetting(*cmos, {u"Main"}, u"All ones");
    ASSERT_NE(ones, nullptr);
    EXPECT_EQ(CurrentName(*ones), u"Auto");
    EXPECT_EQ(ones->Current()->Value(), -1);
}

TEST(CmosBuild, RebuildsTheLanguageAndTheFirstThreeBootDevices) {
    auto cmos = BuildCmos(BoardMap(R"({
        "languages": {"builtIn": {"name": "Std", "codes": ["us", "FR"]},
                      "packs": [{"name": "Asia Pack", "codes": ["jp", "xx", "abc"]}]},
        "setup": [{"menu": "Boot", "items": [
            {"setting": "Language", "keyword": "CMOS_LANGUAGE", "choices": ["E"],
             "cmos": {"byte": "0x50", "bit": 0, "bits": 3}},
            {"setting": "1st", "keyword": "CMOS_1STBOOTDEV", "choices": ["x"]},
            {"setting": "2nd", "keyword": "CMOS_2NDBOOTDEV", "choices": ["x", "y"]},
            {"setting": "3rd", "keyword": "CMOS_3RDBOOTDEV"},
            {"setting": "4th", "keyword": "CMOS_4THBOOTDEV", "choices": ["x", "y"]}
        ]}]})"));
    SettingNode* language = cmos->FindByKeyword(u"CMOS_LANGUAGE");
    ASSERT_NE(language, nullptr);
    EXPECT_EQ(ChoiceNames(*language), (Names{u"English", u"French", u"Japanese - Asia Pack",
                                             u"XX - Asia Pack", u"Unknown - Asia Pack"}));
    EXPECT_EQ(language->Choices().At(2).Value(), 0); // numbered within its record
    EXPECT_EQ(language->Choices().At(4).Value(), 2);
    EXPECT_EQ(CurrentName(*language), u"English");
    EXPECT_EQ(DefaultName(*language), u"English");
    EXPECT_EQ(language->BitOffset(), 0x50 * 8); // the token's place stays

    const Names devices{u"Removable Device", u"Hard Drive", u"ATAPI CD-ROM"};
    const char16_t* keywords[] = {u"CMOS_1STBOOTDEV", u"CMOS_2NDBOOTDEV", u"CMOS_3RDBOOTDEV"};
    for (int position = 0; position < 3; ++position) {
        SettingNode* boot = cmos->FindByKeyword(keywords[position]);
        ASSERT_NE(boot, nullptr) << position;
        EXPECT_EQ(ChoiceNames(*boot), devices);
        EXPECT_EQ(CurrentName(*boot), devices[position]);
        EXPECT_EQ(boot->BitOffset(), 0);
        EXPECT_EQ(boot->BitMask(), 0);
        VARIANT_BOOL advanced = VARIANT_FALSE;
        boot->get_Advanced(&advanced);
        EXPECT_EQ(advanced, VARIANT_TRUE);
    }
    EXPECT_EQ(cmos->FindByKeyword(u"CMOS_4THBOOTDEV"), nullptr);
}

TEST(CmosBuild, AppliesTheStringRulesToPromptsAndChoices) {
    auto content = BoardMap(OneMenuBoard(
        R"([{"setting": "Voltage", "choices": ["1", "2"]},
            {"setting": "Primary IDE Master   : Auto", "choices": ["A", "B"]}])"));
    for (std::string& text : content.strings) {
        if (text == "Voltage")
            text = "Voltage 1\xAB V";
        if (text == "2")
            text = "2\xAC mV";
    }
    auto cmos = BuildCmos(content);
    EXPECT_NE(FindSetting(*cmos, {u"Main"}, u"Voltage 1.5"), nullptr);
    SettingNode* voltage = FindSetting(*cmos, {u"Main"}, u"Voltage 1.5");
    ASSERT_NE(voltage, nullptr);
    EXPECT_EQ(ChoiceNames(*voltage), (Names{u"1", u"2.25"}));
    EXPECT_NE(FindSetting(*cmos, {u"Main"}, u"Primary IDE Master"), nullptr);
}

TEST(CmosBuild, LanguageNamesFollowTheTable) {
    EXPECT_EQ(LanguageDisplayName("br"), u"Portuguese (Brazilian)");
    EXPECT_EQ(LanguageDisplayName("GB"), u"English (British)");
    EXPECT_EQ(LanguageDisplayName("qz"), u"QZ");
    EXPECT_EQ(LanguageDisplayName("deu"), u"Unknown");
    EXPECT_EQ(LanguageDisplayName(""), u"Unknown");
}

// Template records patched after cvkgen wrote them.
class CmosBuildFaults : public ::testing::Test {
protected:
    void SetUp() override {
        content_ = BoardMap(R"({"setup": [
            {"menu": "First", "items": [{"setting": "A", "choices": ["x", "y"]},
                                        {"menu": "Inner", "items": [
                                            {"setting": "B", "choices": ["x", "y"]}]},
                                        {"setting": "C", "choices": ["x", "y"]}]},
            {"menu": "Second", "items": [{"setting": "D", "choices": ["x", "y"]}]}
        ]})");
    }
    cvk::TemplateRecord& Form(std::uint32_t id) {
        for (auto& record : content_.setupTemplate.records)
            if (record.templateId == id)
                return record;
        throw std::runtime_error("no form");
    }
    cvkgen::MapFileContent content_;
};

TEST_F(CmosBuildFaults, ATemplateThatIncludesItselfEndsOnlyItsOwnSubGroup) {
    // "Inner" (form 2) now also includes "First" (form 1), which includes "Inner".
    cvk::TemplateItem loop = Form(1).items[1];
    loop.subTemplateId = 1;
    Form(2).items.push_back(loop);
    HRESULT hr = E_FAIL;
    auto cmos = BuildCmos(content_, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_NE(FindSetting(*cmos, {u"First", u"Inner"}, u"B"), nullptr);
    EXPECT_NE(FindSetting(*cmos, {u"First"}, u"C"), nullptr);
    EXPECT_NE(FindSetting(*cmos, {u"Second"}, u"D"), nullptr);
}

TEST_F(CmosBuildFaults, AFailingItemEndsItsGroupAndKeepsWhatWasBuilt) {
    Form(1).items[0].controlId = 0x10001; // wider than any control ID
    HRESULT hr = S_OK;
    auto cmos = BuildCmos(content_, &hr);
    EXPECT_EQ(hr, S_OK); // a sub-group's failure is its own
    EXPECT_EQ(FindSetting(*cmos, {u"First"}, u"C"), nullptr);
    EXPECT_EQ(cmos->Root()->Children().Size(), 1u); // "First" ended up empty
    EXPECT_NE(FindSetting(*cmos, {u"Second"}, u"D"), nullptr);

    // In the root form itself the failure is the build's.
    Form(0).items[1].subTemplateId = 0;
    cmos = BuildCmos(content_, &hr);
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_FALSE(cmos->IsValid());
}

TEST_F(CmosBuildFaults, AMissingTokenOrControlFailsTheGroup) {
    content_.tokens.records.erase(content_.tokens.records.begin()); // A's token
    HRESULT hr = S_OK;
    auto cmos = BuildCmos(content_, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(FindSetting(*cmos, {u"First", u"Inner"}, u"B"), nullptr);
    EXPECT_NE(FindSetting(*cmos, {u"Second"}, u"D"), nullptr);

    content_.setupTemplate.records.erase(content_.setupTemplate.records.begin()); // form 0
    cmos = BuildCmos(content_, &hr);
    EXPECT_EQ(hr, E_FAIL);
}

TEST(CmosBuild, BuildsOnlyOnce) {
    auto content = BoardMap(OneMenuBoard(R"([{"setting": "A", "choices": ["x", "y"]}])"));
    auto cmos = BuildCmos(content);
    BiosImage image;
    EXPECT_EQ(cmos->BuildFromBiosImage(image), E_FAIL);
    auto fresh = MakeObject<Cmos>();
    EXPECT_EQ(fresh->BuildFromBiosImage(image), E_IMAGE_NOT_LOADED);
}

} // namespace
} // namespace cvk::testing
