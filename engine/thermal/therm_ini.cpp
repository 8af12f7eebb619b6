// Writing a thermal tree's values into the INI document.
#include "engine/thermal/therm_ini.h"

#include "engine/output/ini_writer.h"

#include <string>

namespace cvk {

bool ThermIniPlace(LONG tag, const char** section, const char** key) {
    if (tag < 0)
        return false;
    const LONG hundreds = tag % 1000 / 100;
    const char* zoneKeys[] = {nullptr,
                              "TempLow(Celsius)",
                              "TempDelta(Celsius)",
                              "DutyZeroDelta(Celsius)",
                              "TempAllOn(Celsius)",
                              "ResponseTime(Seconds)"};
    const char* fanKeys[] = {nullptr, nullptr, "Mapping", "DutyLow(%)", nullptr, nullptr};
    const char* const* keys = nullptr;
    switch (tag - tag % 1000) {
    case 1000:
        *section = "Therm.ZoneA";
        keys = zoneKeys;
        break;
    case 2000:
        *section = "Therm.ZoneB";
        keys = zoneKeys;
        break;
    case 3000:
        *section = "Therm.ZoneC";
        keys = zoneKeys;
        break;
    case 11000:
        *section = "Therm.FanD";
        keys = fanKeys;
        break;
    case 12000:
        *section = "Therm.FanE/FanF";
        keys = fanKeys;
        break;
    case 13000:
        *section = "Therm.FanG";
        keys = fanKeys;
        break;
    default:
        return false;
    }
    if (hundreds > 5 || !keys[hundreds])
        return false;
    *key = keys[hundreds];
    return true;
}

namespace {

HRESULT WriteSettingIni(const CoThermSetting& setting, IniFile& ini) {
    const char* section = nullptr;
    const char* key = nullptr;
    if (!ThermIniPlace(setting.Tag(), &section, &key))
        return E_FAIL;
    std::u16string text;
    if (FAILED(Variant::CopyOf(setting.Value()).ToText(&text)))
        return E_FAIL;
    return IniResult(ini.SetString(section, key, IniLineText(text)));
}

} // namespace

HRESULT WriteThermIni(const CoThermGroup& group, IniFile& ini) {
    if (const CoThermGroupList* children = group.Children())
        for (const ComPtr<CoThermGroup>& child : *children)
            CVK_RETURN_IF_FAILED(WriteThermIni(*child, ini));
    if (const CoThermSettingList* settings = group.Settings())
        for (const ComPtr<CoThermSetting>& setting : *settings)
            CVK_RETURN_IF_FAILED(WriteSettingIni(*setting, ini));
    return S_OK;
}

} // namespace cvk
