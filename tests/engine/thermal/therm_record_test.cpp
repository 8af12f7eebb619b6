// The thermal tree's saved record and its INI sections.
#include "engine/output/ini_writer.h"
#include "engine/thermal/therm_builder.h"
#include "engine/thermal/therm_ini.h"
#include "platform/storage/memory_stream.h"
#include "tests/engine/thermal/therm_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

namespace cvk::testing {
namespace {

using Path = std::vector<std::u16string>;
const Path kZoneA{u"Zones", u"Zone A"};

std::string Saved(CoTherm& therm, BOOL clearDirty = TRUE) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateMemoryStream(stream.put()), S_OK);
    EXPECT_EQ(therm.Save(stream.get(), clearDirty), S_OK);
    std::string bytes;
    GetMemoryStreamBytes(stream.get(), &bytes);
    return bytes;
}

HRESULT LoadInto(CoTherm& therm, std::string_view bytes) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateMemoryStreamOn(bytes, stream.put()), S_OK);
    return therm.Load(stream.get());
}

std::string FloatBytes(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &bits, 4);
    return bytes;
}

// Every setting's tag with its value's type and text, in tree order.
std::vector<std::string> Snapshot(const CoThermGroup& group) {
    std::vector<std::string> out;
    if (group.Children())
        for (const ComPtr<CoThermGroup>& child : *group.Children())
            for (std::string& line : Snapshot(*child))
                out.push_back(std::move(line));
    if (group.Settings())
        for (const ComPtr<CoThermSetting>& setting : *group.Settings())
            out.push_back(std::to_string(setting->Tag()) + "=" + Describe(setting->Value()) +
                          " default " + Describe(setting->DefaultValue()));
    return out;
}

TEST(ThermRecordTest, RoundTripKeepsValuesTypesAndShape) {
    auto therm = MakeObject<CoTherm>();
    CoThermSetting* delta = ThermSettingAt(*therm, kZoneA, u"TempDelta (Celsius)");
    ASSERT_EQ(delta->put_Value(Variant::FromText(u"13.33").get()), S_OK);
    ASSERT_EQ(ThermSettingAt(*therm, {u"Fans", u"Fan G"}, u"Mapping")
                  ->put_Value(Variant::FromText(u"ZoneC").get()),
              S_OK);
    ASSERT_EQ(ThermSettingAt(*therm, kZoneA, u"TempLow (Celsius)")
                  ->put_Value(Variant::FromText(u"-40").get()),
              S_OK);
    const std::string bytes = Saved(*therm);
    EXPECT_EQ(therm->IsDirty(), S_FALSE);

    auto reopened = MakeObject<CoTherm>();
    ASSERT_EQ(LoadInto(*reopened, bytes), S_OK);
    EXPECT_EQ(reopened->IsDirty(), S_FALSE);
    EXPECT_EQ(Snapshot(*reopened->Root()), Snapshot(*therm->Root()));
    EXPECT_EQ(Describe(ThermSettingAt(*reopened, kZoneA, u"TempDelta (Celsius)")->Value()),
              "R4:13.33");
    EXPECT_EQ(ChildNames(*reopened->Root()), ChildNames(*therm->Root()));
    EXPECT_EQ(reopened->Root()->Name().view(), u"Halvex(R) Thermaline");
    // The reopened tree still validates, and saves to the same bytes.
    CoThermSetting* mapping = ThermSettingAt(*reopened, {u"Fans", u"Fan G"}, u"Mapping");
    EXPECT_EQ(mapping->put_Value(Variant::FromText(u"Zone").get()), E_FAIL);
    Bstr text;
    ASSERT_EQ(mapping->get_Description(text.put()), S_OK);
    EXPECT_EQ(text.view(), u"Identifies which thermal\nzone(s) controls the\noutput for Fan G");
    EXPECT_EQ(Saved(*reopened), bytes);
}

TEST(ThermRecordTest, LayoutOfTheRecordsHeads) {
    auto therm = MakeObject<CoTherm>();
    const std::string bytes = Saved(*therm);
    // CoTherm: version 1.0, tree present; the root group: version 1.0, its counted name.
    EXPECT_EQ(bytes.substr(0, 4), FloatBytes(1.0f));
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes.substr(5, 4), FloatBytes(1.0f));
    const std::u16string name = u"Halvex(R) Thermaline";
    std::uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 9, 4);
    EXPECT_EQ(count, 2 * name.size() + 2);
    std::int32_t tag = 0;
    std::memcpy(&tag, bytes.data() + 13 + count, 4);
    EXPECT_EQ(tag, 20010);

    // A setting record: version 1.2, then the default as an R4 variant (type 4, four bytes).
    const std::string settingHead = FloatBytes(1.2f) + std::string("\x04\x00", 2) +
                                    FloatBytes(5.0f) + std::string("\x04\x00", 2) +
                                    FloatBytes(5.0f) + std::string("\x01", 1);
    EXPECT_NE(bytes.find(settingHead), std::string::npos);
    // Name as a string variant: type 8, byte count, text and terminator.
    const std::u16string mapping = u"Mapping";
    std::string mappingVariant("\x08\x00\x10\x00\x00\x00", 6);
    for (char16_t c : mapping)
        mappingVariant += std::string{static_cast<char>(c), '\0'};
    mappingVariant += std::string(2, '\0');
    EXPECT_NE(bytes.find(mappingVariant), std::string::npos);
}

TEST(ThermRecordTest, NoStoredTreeKeepsTheBuiltOne) {
    auto therm = MakeObject<CoTherm>();
    ASSERT_EQ(LoadInto(*therm, FloatBytes(1.0f) + std::string(1, '\0')), S_OK);
    ASSERT_NE(therm->Root(), nullptr);
    EXPECT_EQ(SettingNames(*ThermGroupAt(*therm, kZoneA)).size(), 4u);
}

TEST(ThermRecordTest, DamagedRecordsFailWithoutHarm) {
    auto therm = MakeObject<CoTherm>();
    const std::string bytes = Saved(*therm);
    std::string newer = bytes;
    newer.replace(0, 4, FloatBytes(2.0f));
    EXPECT_EQ(LoadInto(*MakeObject<CoTherm>(), newer), E_FAIL);
    std::string presence = bytes;
    presence[4] = 2;
    EXPECT_EQ(LoadInto(*MakeObject<CoTherm>(), presence), E_FAIL);

    // Every cut of the stream fails cleanly and leaves a usable tree.
    for (std::size_t size = 0; size < bytes.size(); size += 13) {
        auto reader = MakeObject<CoTherm>();
        ASSERT_TRUE(FAILED(LoadInto(*reader, bytes.substr(0, size)))) << size;
        ASSERT_NE(reader->Root(), nullptr);
    }

    // A setting record that breaks off reports the setting's own text.
    const std::size_t setting = bytes.find(FloatBytes(1.2f));
    ASSERT_NE(setting, std::string::npos);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(LoadInto(*MakeObject<CoTherm>(), bytes.substr(0, setting + 8)), E_FAIL);
    EXPECT_EQ(TakeErrorDescription(),
              u"The setting could not be restored from the provided stream.");
}

// A whole CoTherm record whose tree is a chain of `depth` groups below the root.
std::string ChainOfGroups(int depth) {
    const std::string head = FloatBytes(1.0f) + std::string(4, '\0') + std::string(4, '\0');
    const std::string oneChild =
        FloatBytes(1.0f) + std::string("\x01\x00\x00\x00", 4) + std::string(4, '\0');
    std::string group = head + std::string(2, '\0'); // no child list, no setting list
    for (int i = 0; i < depth; ++i)
        group = head + std::string(1, '\x01') + oneChild + group + std::string(1, '\0');
    return FloatBytes(1.0f) + std::string(1, '\x01') + group;
}

TEST(ThermRecordTest, NestingBeyondTheLimitIsRefused) {
    auto therm = MakeObject<CoTherm>();
    EXPECT_EQ(LoadInto(*therm, ChainOfGroups(10)), S_OK);
    EXPECT_EQ(ChildNames(*therm->Root()).size(), 1u);
    EXPECT_EQ(LoadInto(*MakeObject<CoTherm>(), ChainOfGroups(500)), E_FAIL);
}

TEST(ThermRecordTest, VariantsOfEveryStoredKind) {
    const Variant values[] = {Variant(),
                              Variant::FromI4(-7),
                              Variant::FromR4(0.8f),
                              Variant::FromR8(1.25),
                              Variant::FromBool(true),
                              Variant::FromCurrency(123456),
                              Variant::FromText(u"ZoneB/ZoneC")};
    for (const Variant& value : values) {
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateMemoryStream(stream.put()), S_OK);
        RecordWriter out(stream.get());
        ASSERT_EQ(WriteVariant(out, value.get()), S_OK);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        RecordReader in(stream.get());
        Variant back;
        ASSERT_EQ(ReadVariant(in, &back), S_OK);
        EXPECT_EQ(back.vt(), value.vt());
        EXPECT_TRUE(SameValue(back.get(), value.get())) << Describe(value.get());
    }
    // An unknown type tag is refused.
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateMemoryStreamOn(std::string("\x09\x00\x00\x00\x00\x00", 6), stream.put()), S_OK);
    RecordReader in(stream.get());
    Variant back;
    EXPECT_EQ(ReadVariant(in, &back), E_FAIL);
}

// The default sections, in tree order.
constexpr char kDefaultSections[] = "[Therm.ZoneA]\r\n"
                                    "TempLow(Celsius)=0\r\n"
                                    "TempDelta(Celsius)=5\r\n"
                                    "TempAllOn(Celsius)=0\r\n"
                                    "ResponseTime(Seconds)=0\r\n"
                                    "[Therm.ZoneB]\r\n"
                                    "TempLow(Celsius)=0\r\n"
                                    "TempDelta(Celsius)=5\r\n"
                                    "DutyZeroDelta(Celsius)=0\r\n"
                                    "TempAllOn(Celsius)=0\r\n"
                                    "[Therm.ZoneC]\r\n"
                                    "TempLow(Celsius)=0\r\n"
                                    "TempDelta(Celsius)=5\r\n"
                                    "DutyZeroDelta(Celsius)=0\r\n"
                                    "TempAllOn(Celsius)=0\r\n"
                                    "[Therm.FanD]\r\n"
                                    "DutyLow(%)=100\r\n"
                                    "[Therm.FanE/FanF]\r\n"
                                    "Mapping=FullDuty\r\n"
                                    "DutyLow(%)=0\r\n"
                                    "[Therm.FanG]\r\n"
                                    "Mapping=FullDuty\r\n"
                                    "DutyLow(%)=0\r\n";

TEST(ThermIniTest, FreshTreeWritesTheDefaultSections) {
    auto therm = MakeObject<CoTherm>();
    IniWriter ini;
    ASSERT_EQ(therm->WriteIni(ini), S_OK);
    EXPECT_EQ(ini.Text(), kDefaultSections);
}

TEST(ThermIniTest, EditedValuesInTheirShortestText) {
    auto therm = MakeObject<CoTherm>();
    ThermSettingAt(*therm, kZoneA, u"TempDelta (Celsius)")
        ->put_Value(Variant::FromText(u"13.33").get());
    ThermSettingAt(*therm, kZoneA, u"Response Time (Seconds)")
        ->put_Value(Variant::FromText(u"0.8").get());
    ThermSettingAt(*therm, kZoneA, u"TempLow (Celsius)")->put_Value(Variant::FromR8(-12).get());
    IniWriter ini;
    ASSERT_EQ(therm->WriteIni(ini), S_OK);
    std::string value;
    ini.GetString("Therm.ZoneA", "TempDelta(Celsius)", value);
    EXPECT_EQ(value, "13.33");
    ini.GetString("Therm.ZoneA", "ResponseTime(Seconds)", value);
    EXPECT_EQ(value, "0.8");
    ini.GetString("Therm.ZoneA", "TempLow(Celsius)", value);
    EXPECT_EQ(value, "-12");
}

TEST(ThermIniTest, SettingWithoutAPlaceFailsTheDump) {
    const ThermGroupEntry groups[] = {{20010, 20010, u"Chip"}};
    const ThermSettingEntry settings[] = {
        {20110, 20010, u"Odd", u"D", u"0", u"9", VT_I4, u"1", VT_I4}};
    const ThermChoiceEntry choices[] = {{1, 2, VT_I4, u"1"}};
    ComPtr<CoThermGroup> root;
    ASSERT_EQ(ThermBuilder({groups, 1}, {settings, 1}, {choices, 1}).Build(&root), S_OK);
    IniWriter ini;
    EXPECT_EQ(WriteThermIni(*root, ini), E_FAIL);
}

} // namespace
} // namespace cvk::testing
