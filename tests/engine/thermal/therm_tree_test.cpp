// The thermal tree: its fixed shape, the choice and range rules, the lists and the error texts.
#include "engine/thermal/therm_builder.h"
#include "engine/thermal/therm_ini.h"
#include "platform/storage/memory_stream.h"
#include "tests/engine/thermal/therm_test_support.h"

#include <gtest/gtest.h>

namespace cvk::testing {
namespace {

using Path = std::vector<std::u16string>;
const Path kZoneA{u"Zones", u"Zone A"};
const Path kFanD{u"Fans", u"Fan D"};
const Path kFanEF{u"Fans", u"Fan E / Fan F"};

class ThermTreeTest : public ::testing::Test {
protected:
    void SetUp() override { therm_ = MakeObject<CoTherm>(); }

    CoThermSetting& SettingAt(const Path& path, std::u16string_view name) {
        CoThermSetting* setting = ThermSettingAt(*therm_, path, name);
        EXPECT_NE(setting, nullptr);
        return *setting;
    }

    // Puts `value` and returns the status; the error text (if any) goes to `error`.
    HRESULT Put(CoThermSetting& setting, const Variant& value, std::u16string* error = nullptr) {
        SetErrorInfo(0, nullptr);
        const HRESULT hr = setting.put_Value(value.get());
        const std::u16string text = TakeErrorDescription();
        if (error)
            *error = text;
        return hr;
    }

    ComPtr<CoTherm> therm_;
};

TEST_F(ThermTreeTest, RootZonesAndFansInTableOrder) {
    ComPtr<IThermGroup> root;
    ASSERT_EQ(therm_->get_DataTree(root.put()), S_OK);
    Bstr name;
    root->get_Name(name.put());
    EXPECT_EQ(name.view(), u"Halvex(R) Thermaline");
    EXPECT_EQ(ChildNames(*therm_->Root()), (Path{u"Zones", u"Fans"}));
    EXPECT_EQ(ChildNames(*ThermGroupAt(*therm_, {u"Zones"})),
              (Path{u"Zone A", u"Zone B", u"Zone C"}));
    EXPECT_EQ(ChildNames(*ThermGroupAt(*therm_, {u"Fans"})),
              (Path{u"Fan D", u"Fan E / Fan F", u"Fan G"}));
    LONG tag = 0;
    root->get_tag(&tag);
    EXPECT_EQ(tag, 20010);
}

TEST_F(ThermTreeTest, LeafGroupsHoldTheirSettingsAndNoChildList) {
    EXPECT_EQ(SettingNames(*ThermGroupAt(*therm_, kZoneA)),
              (Path{u"TempLow (Celsius)", u"TempDelta (Celsius)", u"TempAllOn (Celsius)",
                    u"Response Time (Seconds)"}));
    const Path zoneBC{u"TempLow (Celsius)", u"TempDelta (Celsius)", u"DutyZero Delta (Celsius)",
                      u"TempAllOn (Celsius)"};
    EXPECT_EQ(SettingNames(*ThermGroupAt(*therm_, {u"Zones", u"Zone B"})), zoneBC);
    EXPECT_EQ(SettingNames(*ThermGroupAt(*therm_, {u"Zones", u"Zone C"})), zoneBC);
    EXPECT_EQ(SettingNames(*ThermGroupAt(*therm_, kFanD)), (Path{u"DutyLow (%)"}));
    EXPECT_EQ(SettingNames(*ThermGroupAt(*therm_, kFanEF)), (Path{u"Mapping", u"DutyLow (%)"}));

    CoThermGroup* zoneA = ThermGroupAt(*therm_, kZoneA);
    VARIANT_BOOL has = VARIANT_TRUE;
    zoneA->get_HasChildren(&has);
    EXPECT_EQ(has, VARIANT_FALSE);
    ComPtr<IThermGroupList> list;
    EXPECT_EQ(zoneA->get_ChildList(list.put()), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(), u"No list is present.");
    ComPtr<IThermSettingList> none;
    EXPECT_EQ(ThermGroupAt(*therm_, {u"Zones"})->get_SettingList(none.put()), E_FAIL);
}

TEST_F(ThermTreeTest, DefaultsCarryTheirTablesTypes) {
    VARIANT value;
    SettingAt(kZoneA, u"TempDelta (Celsius)").get_Value(&value);
    EXPECT_EQ(Describe(value), "R4:5");
    VariantClear(&value);
    SettingAt(kZoneA, u"TempLow (Celsius)").get_Value(&value);
    EXPECT_EQ(Describe(value), "I4:0");
    VariantClear(&value);
    SettingAt(kFanD, u"DutyLow (%)").get_Value(&value);
    EXPECT_EQ(Describe(value), "I4:100");
    VariantClear(&value);
    SettingAt(kFanEF, u"Mapping").get_Value(&value);
    EXPECT_EQ(Describe(value), "BSTR:FullDuty");
    VariantClear(&value);
}

TEST_F(ThermTreeTest, ChoiceListsOfTheTable) {
    auto choiceTexts = [](CoThermSetting& setting) {
        std::vector<std::string> texts;
        for (const ComPtr<CoThermChoice>& choice : *setting.Choices())
            texts.push_back(Describe(choice->Value()));
        return texts;
    };
    EXPECT_EQ(choiceTexts(SettingAt(kZoneA, u"Response Time (Seconds)")),
              (std::vector<std::string>{"R4:0", "R4:0.8", "R4:1.6", "R4:3", "R4:4.4", "R4:7",
                                        "R4:11.8", "R4:17.6", "R4:35"}));
    const auto deltas = choiceTexts(SettingAt(kZoneA, u"TempDelta (Celsius)"));
    ASSERT_EQ(deltas.size(), 16u);
    EXPECT_EQ(deltas[2], "R4:3.33");
    EXPECT_EQ(deltas[15], "R4:80");
    EXPECT_EQ(choiceTexts(SettingAt(kFanEF, u"Mapping")),
              (std::vector<std::string>{"BSTR:ZoneB", "BSTR:ZoneC", "BSTR:ZoneB/ZoneC",
                                        "BSTR:FullDuty"}));
    LONG tag = 0;
    SettingAt(kZoneA, u"Response Time (Seconds)").Choices()->At(0).get_tag(&tag);
    EXPECT_EQ(tag, 1501);
    // Zones B and C have no response time: the table's choices for 2500 and 3500 reach no tree.
    EXPECT_EQ(ThermSettingAt(*therm_, {u"Zones", u"Zone B"}, u"Response Time (Seconds)"), nullptr);
}

TEST_F(ThermTreeTest, DescriptionsKeepTheirLineFeeds) {
    Bstr text;
    ASSERT_EQ(SettingAt({u"Zones", u"Zone C"}, u"TempLow (Celsius)").get_Description(text.put()),
              S_OK);
    EXPECT_EQ(text.view(), u"Identifies the temperature\nat which zone C's\nassociated fan(s) "
                           u"will\nbe set to the value specified\nby DutyLow (%)");
    ASSERT_EQ(
        SettingAt({u"Zones", u"Zone C"}, u"DutyZero Delta (Celsius)").get_Description(text.put()),
        S_OK);
    EXPECT_NE(text.view().find(u"zone B's temperature"), std::u16string_view::npos);
}

TEST_F(ThermTreeTest, RangeRuleAtTheBoundsAndConversions) {
    CoThermSetting& dutyLow = SettingAt(kFanD, u"DutyLow (%)");
    std::u16string error;
    EXPECT_EQ(Put(dutyLow, Variant::FromI4(101), &error), E_FAIL);
    EXPECT_EQ(error, u"The value provided is not valid.");
    EXPECT_EQ(Describe(dutyLow.Value()), "I4:100");
    EXPECT_EQ(Put(dutyLow, Variant::FromI4(0)), S_OK);
    EXPECT_EQ(Put(dutyLow, Variant::FromI4(100)), S_OK);
    EXPECT_EQ(Put(dutyLow, Variant::FromI4(-1)), E_FAIL);

    CoThermSetting& tempLow = SettingAt(kZoneA, u"TempLow (Celsius)");
    EXPECT_EQ(Put(tempLow, Variant::FromText(u"-125")), S_OK);
    EXPECT_EQ(Put(tempLow, Variant::FromText(u"-126")), E_FAIL);
    // Text and floats are stored as the integer they convert to, half to even.
    EXPECT_EQ(Put(tempLow, Variant::FromText(u" 1e1 ")), S_OK);
    EXPECT_EQ(Describe(tempLow.Value()), "I4:10");
    EXPECT_EQ(Put(tempLow, Variant::FromR4(2.5f)), S_OK);
    EXPECT_EQ(Describe(tempLow.Value()), "I4:2");
    EXPECT_EQ(Put(tempLow, Variant::FromText(u"1,000")), E_FAIL);

    EXPECT_EQ(Put(tempLow, Variant::FromText(u"abc"), &error), E_FAIL);
    EXPECT_EQ(error, u"The value provided is not valid.");
    EXPECT_EQ(Describe(tempLow.Value()), "I4:2");
}

TEST_F(ThermTreeTest, ChoiceRuleConvertsToTheChoiceType) {
    CoThermSetting& delta = SettingAt(kZoneA, u"TempDelta (Celsius)");
    EXPECT_EQ(Put(delta, Variant::FromText(u"13.33")), S_OK);
    EXPECT_EQ(Describe(delta.Value()), "R4:13.33");
    EXPECT_EQ(delta.Value().vt, VT_R4);
    std::u16string error;
    EXPECT_EQ(Put(delta, Variant::FromI4(13), &error), E_FAIL);
    EXPECT_EQ(error, u"The value provided is not valid.");
    EXPECT_EQ(Describe(delta.Value()), "R4:13.33");
    EXPECT_EQ(Put(delta, Variant::FromI4(80)), S_OK);
    EXPECT_EQ(delta.Value().vt, VT_R4);

    // Text choices compare exactly.
    CoThermSetting& mapping = SettingAt(kFanEF, u"Mapping");
    EXPECT_EQ(Put(mapping, Variant::FromText(u"zoneb")), E_FAIL);
    EXPECT_EQ(Put(mapping, Variant::FromText(u"ZoneB/ZoneC")), S_OK);
    EXPECT_EQ(Describe(mapping.Value()), "BSTR:ZoneB/ZoneC");
}

TEST_F(ThermTreeTest, MinimumAndMaximumOnlyForRangeSettings) {
    VARIANT value;
    EXPECT_EQ(SettingAt(kZoneA, u"TempDelta (Celsius)").get_ValueMin(&value), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(),
              u"This setting uses choices.  Minimum and maximum values are unsupported.");
    ASSERT_EQ(SettingAt(kZoneA, u"TempLow (Celsius)").get_ValueMin(&value), S_OK);
    EXPECT_EQ(Describe(value), "I4:-125");
    VariantClear(&value);
    ASSERT_EQ(SettingAt({u"Zones", u"Zone B"}, u"DutyZero Delta (Celsius)").get_ValueMax(&value),
              S_OK);
    EXPECT_EQ(Describe(value), "I4:15");

    ComPtr<IThermChoiceList> choices;
    EXPECT_EQ(SettingAt(kZoneA, u"TempLow (Celsius)").GetChoices(choices.put()), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(),
              u"This setting does not have a list of settings to choose from.");
}

TEST_F(ThermTreeTest, NullPointersAndEmptyFieldsSetTheirTexts) {
    CoThermSetting& setting = SettingAt(kZoneA, u"TempLow (Celsius)");
    EXPECT_EQ(setting.get_Value(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), u"An invalid pointer has been provided.");
    EXPECT_EQ(setting.HasChoices(nullptr), E_FAIL);
    EXPECT_EQ(therm_->get_DataTree(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), u"An invalid pointer was provided to the method.");
    EXPECT_EQ(setting.Choices(), nullptr);

    CoThermChoice& choice = SettingAt(kFanEF, u"Mapping").Choices()->At(0);
    EXPECT_EQ(choice.get_tag(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), u"An invalid pointer has been provided to CCoThermChoice");

    auto bare = MakeObject<CoThermSetting>();
    Bstr text;
    EXPECT_EQ(bare->get_Name(text.put()), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(), u"No name has been provided for this setting.");
    EXPECT_EQ(bare->get_Description(text.put()), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(), u"No description has been provided for this setting.");
    auto unset = MakeObject<CoThermChoice>();
    VARIANT value;
    EXPECT_EQ(unset->get_Value(&value), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(), u"The choice's value has not been set.");
}

TEST_F(ThermTreeTest, ListWalkEndsWithEolThenFails) {
    ComPtr<IThermSettingList> list;
    ASSERT_EQ(ThermGroupAt(*therm_, kFanEF)->get_SettingList(list.put()), S_OK);
    LONG count = 0;
    list->get_Count(&count);
    EXPECT_EQ(count, 2);
    std::vector<LONG> tags;
    ComPtr<IThermSetting> setting;
    VARIANT_BOOL eol = VARIANT_TRUE;
    ASSERT_EQ(list->GetFirst(setting.put()), S_OK);
    for (list->get_EOL(&eol); !eol; list->get_EOL(&eol)) {
        LONG tag = 0;
        setting->get_tag(&tag);
        tags.push_back(tag);
        ASSERT_EQ(list->GetNext(setting.put()), S_OK);
    }
    EXPECT_EQ(tags, (std::vector<LONG>{12200, 12300}));
    EXPECT_EQ(setting.get(), nullptr);
    EXPECT_EQ(list->GetNext(setting.put()), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(), u"The end of the list has already been reached.");
    EXPECT_EQ(list->get_Count(nullptr), E_POINTER);
    EXPECT_EQ(TakeErrorDescription(), u"An invalid pointer has been provided");

    auto empty = MakeObject<CoThermGroupList>();
    ComPtr<IThermGroup> group;
    EXPECT_EQ(empty->GetFirst(group.put()), S_OK);
    EXPECT_EQ(group.get(), nullptr);
    empty->get_EOL(&eol);
    EXPECT_EQ(eol, VARIANT_TRUE);
}

TEST_F(ThermTreeTest, AppendRefusesTheSameObjectTwice) {
    auto list = MakeObject<CoThermChoiceList>();
    auto first = MakeObject<CoThermChoice>();
    auto twin = MakeObject<CoThermChoice>();
    first->SetValue(Variant::FromI4(7));
    twin->SetValue(Variant::FromI4(7));
    VARIANT_BOOL eol = VARIANT_FALSE;
    list->get_EOL(&eol);
    EXPECT_EQ(eol, VARIANT_TRUE);
    EXPECT_EQ(list->Append(first.get()), S_OK);
    // The first element appended becomes the cursor.
    list->get_EOL(&eol);
    EXPECT_EQ(eol, VARIANT_FALSE);
    EXPECT_EQ(list->Append(first.get()), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(), u"A duplicate choice is already in the list.");
    EXPECT_EQ(list->Append(twin.get()), S_OK);
    EXPECT_EQ(list->Size(), 2u);
    EXPECT_EQ(list->Append(nullptr), E_POINTER);

    auto groups = MakeObject<CoThermGroupList>();
    auto group = MakeObject<CoThermGroup>();
    groups->Append(group.get());
    EXPECT_EQ(groups->Append(group.get()), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(), u"A duplicate group is already in the list.");
}

TEST_F(ThermTreeTest, RestoreDefaultsReturnsEveryValueAndMarksTheChange) {
    ASSERT_EQ(Put(SettingAt(kZoneA, u"TempDelta (Celsius)"), Variant::FromText(u"40")), S_OK);
    ASSERT_EQ(Put(SettingAt(kFanD, u"DutyLow (%)"), Variant::FromI4(30)), S_OK);
    ASSERT_EQ(Put(SettingAt(kFanEF, u"Mapping"), Variant::FromText(u"ZoneC")), S_OK);
    ComPtr<IStream> sink;
    ASSERT_EQ(CreateMemoryStream(sink.put()), S_OK);
    ASSERT_EQ(therm_->Save(sink.get(), TRUE), S_OK);
    ASSERT_EQ(therm_->IsDirty(), S_FALSE);

    ASSERT_EQ(therm_->RestoreHalvexDefaults(), S_OK);
    EXPECT_EQ(Describe(SettingAt(kZoneA, u"TempDelta (Celsius)").Value()), "R4:5");
    EXPECT_EQ(Describe(SettingAt(kFanD, u"DutyLow (%)").Value()), "I4:100");
    EXPECT_EQ(Describe(SettingAt(kFanEF, u"Mapping").Value()), "BSTR:FullDuty");
    EXPECT_EQ(therm_->IsDirty(), S_OK);
}

TEST(ThermBuilderTest, TablesHoldTheirCounts) {
    EXPECT_EQ(ThermQ6Builder::Groups().count, 9u);
    EXPECT_EQ(ThermQ6Builder::Settings().count, 17u);
    EXPECT_EQ(ThermQ6Builder::Choices().count, 81u);
}

TEST(ThermBuilderTest, MissingTablesAndRefusedDefaultsFail) {
    ComPtr<CoThermGroup> root;
    ThermBuilder noChoices(ThermQ6Builder::Groups(), ThermQ6Builder::Settings(), {});
    EXPECT_EQ(noChoices.Build(&root), E_POINTER);

    const ThermGroupEntry groups[] = {{1000, 1000, u"Only"}};
    const ThermSettingEntry outOfRange[] = {
        {1100, 1000, u"S", u"D", u"0", u"10", VT_I4, u"11", VT_I4}};
    const ThermChoiceEntry choices[] = {{9901, 9900, VT_I4, u"1"}};
    ThermBuilder refused({groups, 1}, {outOfRange, 1}, {choices, 1});
    EXPECT_EQ(refused.Build(&root), E_FAIL);
    EXPECT_EQ(root.get(), nullptr);

    const ThermSettingEntry fine[] = {{1100, 1000, u"S", u"D", u"0", u"10", VT_I4, u"3", VT_I4}};
    const ThermGroupEntry noRoot[] = {{1000, 2000, u"Orphan"}};
    EXPECT_EQ(ThermBuilder({noRoot, 1}, {fine, 1}, {choices, 1}).Build(&root), E_FAIL);
    const ThermChoiceEntry badText[] = {{9901, 9900, VT_R4, u"fast"}};
    EXPECT_EQ(ThermBuilder({groups, 1}, {fine, 1}, {badText, 1}).Build(&root), E_FAIL);
    ASSERT_EQ(ThermBuilder({groups, 1}, {fine, 1}, {choices, 1}).Build(&root), S_OK);
    EXPECT_EQ(Describe(root->Settings()->At(0).Value()), "I4:3");
}

TEST(ThermIniPlaceTest, TagsMapToSectionsAndKeys) {
    const char* section = nullptr;
    const char* key = nullptr;
    ASSERT_TRUE(ThermIniPlace(12300, &section, &key));
    EXPECT_STREQ(section, "Therm.FanE/FanF");
    EXPECT_STREQ(key, "DutyLow(%)");
    ASSERT_TRUE(ThermIniPlace(1500, &section, &key));
    EXPECT_STREQ(key, "ResponseTime(Seconds)");
    EXPECT_FALSE(ThermIniPlace(11100, &section, &key)); // a fan has no TempLow
    EXPECT_FALSE(ThermIniPlace(4100, &section, &key));
    EXPECT_FALSE(ThermIniPlace(1600, &section, &key));
    EXPECT_FALSE(ThermIniPlace(-1100, &section, &key));
}

} // namespace
} // namespace cvk::testing
