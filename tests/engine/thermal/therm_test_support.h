// Shared helpers of the thermal tests: finding groups and settings, reading values and errors.
#pragma once

#include "engine/thermal/co_therm.h"
#include "platform/com/errorinfo.h"

#include <string>
#include <string_view>
#include <vector>

namespace cvk::testing {

// The group at a path of names below the root (the root for an empty path), or null.
CoThermGroup* ThermGroupAt(const CoTherm& therm, const std::vector<std::u16string>& path);
// The setting named `name` in the group at `path`, or null.
CoThermSetting* ThermSettingAt(const CoTherm& therm, const std::vector<std::u16string>& path,
                               std::u16string_view name);

// The names of a group's child groups and settings, in list order.
std::vector<std::u16string> ChildNames(const CoThermGroup& group);
std::vector<std::u16string> SettingNames(const CoThermGroup& group);

// A value as its type and text, e.g. "R4:13.33", "I4:-5", "BSTR:FullDuty".
std::string Describe(const VARIANT& value);

using cvk::TakeErrorDescription;

} // namespace cvk::testing
