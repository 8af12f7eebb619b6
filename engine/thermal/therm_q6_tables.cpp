// The fan-control tables of the "Qordis 6" hardware monitor: its groups, settings and choices.
#include "engine/thermal/therm_builder.h"

#include <iterator>

namespace cvk {
namespace {

// Tags encode places: a zone or fan group, plus 100 times the kind of setting, plus the
// position of a choice.
const ThermGroupEntry kGroups[] = {
    {1000, 20001, u"Zone A"}, {2000, 20001, u"Zone B"},         {3000, 20001, u"Zone C"},
    {11000, 20002, u"Fan D"}, {12000, 20002, u"Fan E / Fan F"}, {13000, 20002, u"Fan G"},
    {20001, 20010, u"Zones"}, {20002, 20010, u"Fans"},          {20010, 20010, u"Qordis 6"},
};

#define CVK_TEMP_LOW_TEXT(zone)                                                                    \
    u"Identifies the temperature\nat which zone " zone "'s\nassociated fan(s) will\nbe set to "    \
    u"the value specified\nby DutyLow (%)"

constexpr const char16_t* kTempDeltaText =
    u"Identifies the number\nof degrees over which\nthe fan duty cycle will\nincrease from the "
    u"value\nset in DutyLow(%) to 100%";
constexpr const char16_t* kTempAllOnText =
    u"If this temperature is\nexceeded, all fan outputs\nin the system are raised\nto 100% duty "
    u"cycles";
constexpr const char16_t* kResponseTimeText =
    u"Indicates the responsiveness\nof Fan D's duty cycle\nto changes in Zone A's\ntemperature";
// Zones B and C carry this one text, which names zone B.
constexpr const char16_t* kDutyZeroDeltaText =
    u"The number of degrees\nthat zone B's temperature\nmust drop below\nTempLow(Celsius) "
    u"before\nassociated fan duty\ncycles are set to zero";
constexpr const char16_t* kFanDDutyLowText = u"The minimum duty cycle\nthat fan D will spin at";
constexpr const char16_t* kFanEFMappingText =
    u"Identifies which thermal\nzone(s) controls the\noutputs for Fan E and\nFan F";
constexpr const char16_t* kFanEFDutyLowText =
    u"The minimum duty cycle\nthat fans E and F will\nspin at";
constexpr const char16_t* kFanGMappingText =
    u"Identifies which thermal\nzone(s) controls the\noutput for Fan G";
constexpr const char16_t* kFanGDutyLowText = u"The minimum duty cycle\nthat fan G will spin at";

constexpr const char16_t* kTempLow = u"TempLow (Celsius)";
constexpr const char16_t* kTempDelta = u"TempDelta (Celsius)";
constexpr const char16_t* kDutyZeroDelta = u"DutyZero Delta (Celsius)";
constexpr const char16_t* kTempAllOn = u"TempAllOn (Celsius)";
constexpr const char16_t* kResponseTime = u"Response Time (Seconds)";
constexpr const char16_t* kMapping = u"Mapping";
constexpr const char16_t* kDutyLow = u"DutyLow (%)";

const ThermSettingEntry kSettings[] = {
    {1100, 1000, kTempLow, CVK_TEMP_LOW_TEXT("A"), u"-125", u"125", VT_I4, u"0", VT_I4},
    {1200, 1000, kTempDelta, kTempDeltaText, nullptr, nullptr, VT_EMPTY, u"5", VT_R4},
    {1400, 1000, kTempAllOn, kTempAllOnText, u"-125", u"125", VT_I4, u"0", VT_I4},
    {1500, 1000, kResponseTime, kResponseTimeText, nullptr, nullptr, VT_EMPTY, u"0", VT_R4},
    {2100, 2000, kTempLow, CVK_TEMP_LOW_TEXT("B"), u"-125", u"125", VT_I4, u"0", VT_I4},
    {2200, 2000, kTempDelta, kTempDeltaText, nullptr, nullptr, VT_EMPTY, u"5", VT_R4},
    {2300, 2000, kDutyZeroDelta, kDutyZeroDeltaText, u"0", u"15", VT_I4, u"0", VT_I4},
    {2400, 2000, kTempAllOn, kTempAllOnText, u"-125", u"125", VT_I4, u"0", VT_I4},
    {3100, 3000, kTempLow, CVK_TEMP_LOW_TEXT("C"), u"-125", u"125", VT_I4, u"0", VT_I4},
    {3200, 3000, kTempDelta, kTempDeltaText, nullptr, nullptr, VT_EMPTY, u"5", VT_R4},
    {3300, 3000, kDutyZeroDelta, kDutyZeroDeltaText, u"0", u"15", VT_I4, u"0", VT_I4},
    {3400, 3000, kTempAllOn, kTempAllOnText, u"-125", u"125", VT_I4, u"0", VT_I4},
    {11300, 11000, kDutyLow, kFanDDutyLowText, u"0", u"100", VT_I4, u"100", VT_I4},
    {12200, 12000, kMapping, kFanEFMappingText, nullptr, nullptr, VT_EMPTY, u"FullDuty", VT_BSTR},
    {12300, 12000, kDutyLow, kFanEFDutyLowText, u"0", u"100", VT_I4, u"0", VT_I4},
    {13200, 13000, kMapping, kFanGMappingText, nullptr, nullptr, VT_EMPTY, u"FullDuty", VT_BSTR},
    {13300, 13000, kDutyLow, kFanGDutyLowText, u"0", u"100", VT_I4, u"0", VT_I4},
};

#undef CVK_TEMP_LOW_TEXT

// clang-format off
// The TempDelta choices of a zone whose setting tag is `s`.
#define CVK_TEMP_DELTA_CHOICES(s)                                                                  \
    {s + 1, s, VT_R4, u"2"}, {s + 2, s, VT_R4, u"2.5"}, {s + 3, s, VT_R4, u"3.33"},                \
    {s + 4, s, VT_R4, u"4"}, {s + 5, s, VT_R4, u"5"}, {s + 6, s, VT_R4, u"6.67"},                  \
    {s + 7, s, VT_R4, u"8"}, {s + 8, s, VT_R4, u"10"}, {s + 9, s, VT_R4, u"13.33"},                \
    {s + 10, s, VT_R4, u"16"}, {s + 11, s, VT_R4, u"20"}, {s + 12, s, VT_R4, u"26.67"},            \
    {s + 13, s, VT_R4, u"32"}, {s + 14, s, VT_R4, u"40"}, {s + 15, s, VT_R4, u"53.33"},            \
    {s + 16, s, VT_R4, u"80"}

// Response times from 0.8 seconds on; `first` is the tag of the first of them.
#define CVK_RESPONSE_CHOICES(s, first)                                                             \
    {first, s, VT_R4, u"0.8"}, {first + 1, s, VT_R4, u"1.6"}, {first + 2, s, VT_R4, u"3.0"},       \
    {first + 3, s, VT_R4, u"4.4"}, {first + 4, s, VT_R4, u"7.0"}, {first + 5, s, VT_R4, u"11.8"},  \
    {first + 6, s, VT_R4, u"17.6"}, {first + 7, s, VT_R4, u"35"}

#define CVK_MAPPING_CHOICES(s)                                                                     \
    {s + 1, s, VT_BSTR, u"ZoneB"}, {s + 2, s, VT_BSTR, u"ZoneC"},                                  \
    {s + 3, s, VT_BSTR, u"ZoneB/ZoneC"}, {s + 4, s, VT_BSTR, u"FullDuty"}
// clang-format on

// Settings 2500 and 3500 do not exist: their choices are built and linked nowhere.
const ThermChoiceEntry kChoices[] = {
    CVK_TEMP_DELTA_CHOICES(1200),     {1501, 1500, VT_R4, u"0"},
    CVK_RESPONSE_CHOICES(1500, 1502), CVK_TEMP_DELTA_CHOICES(2200),
    CVK_RESPONSE_CHOICES(2500, 2501), CVK_TEMP_DELTA_CHOICES(3200),
    CVK_RESPONSE_CHOICES(3500, 3501), CVK_MAPPING_CHOICES(12200),
    CVK_MAPPING_CHOICES(13200),
};

#undef CVK_TEMP_DELTA_CHOICES
#undef CVK_RESPONSE_CHOICES
#undef CVK_MAPPING_CHOICES

static_assert(std::size(kGroups) == 9);
static_assert(std::size(kSettings) == 17);
static_assert(std::size(kChoices) == 81);

} // namespace

ThermQ6Builder::ThermQ6Builder() : ThermBuilder(Groups(), Settings(), Choices()) {}

ThermTable<ThermGroupEntry> ThermQ6Builder::Groups() {
    return {kGroups, std::size(kGroups)};
}
ThermTable<ThermSettingEntry> ThermQ6Builder::Settings() {
    return {kSettings, std::size(kSettings)};
}
ThermTable<ThermChoiceEntry> ThermQ6Builder::Choices() {
    return {kChoices, std::size(kChoices)};
}

} // namespace cvk
