// Shared helpers of the thermal tests.
#include "tests/engine/thermal/therm_test_support.h"

#include "platform/text/codepage.h"

namespace cvk::testing {

CoThermGroup* ThermGroupAt(const CoTherm& therm, const std::vector<std::u16string>& path) {
    CoThermGroup* group = therm.Root();
    for (const std::u16string& wanted : path) {
        if (!group || !group->Children())
            return nullptr;
        CoThermGroup* found = nullptr;
        for (const ComPtr<CoThermGroup>& child : *group->Children())
            if (child->Name().view() == wanted)
                found = child.get();
        group = found;
    }
    return group;
}

CoThermSetting* ThermSettingAt(const CoTherm& therm, const std::vector<std::u16string>& path,
                               std::u16string_view name) {
    CoThermGroup* group = ThermGroupAt(therm, path);
    if (!group || !group->Settings())
        return nullptr;
    for (const ComPtr<CoThermSetting>& setting : *group->Settings())
        if (setting->Name().view() == name)
            return setting.get();
    return nullptr;
}

std::vector<std::u16string> ChildNames(const CoThermGroup& group) {
    std::vector<std::u16string> names;
    if (group.Children())
        for (const ComPtr<CoThermGroup>& child : *group.Children())
            names.push_back(child->Name().str());
    return names;
}

std::vector<std::u16string> SettingNames(const CoThermGroup& group) {
    std::vector<std::u16string> names;
    if (group.Settings())
        for (const ComPtr<CoThermSetting>& setting : *group.Settings())
            names.push_back(setting->Name().str());
    return names;
}

std::string Describe(const VARIANT& value) {
    std::u16string text;
    if (FAILED(Variant::CopyOf(value).ToText(&text)))
        return "<unconvertible>";
    const char* type = value.vt == VT_R4      ? "R4:"
                       : value.vt == VT_I4    ? "I4:"
                       : value.vt == VT_BSTR  ? "BSTR:"
                       : value.vt == VT_EMPTY ? "EMPTY:"
                                              : "other:";
    return type + text::Utf16ToUtf8(text);
}

} // namespace cvk::testing
