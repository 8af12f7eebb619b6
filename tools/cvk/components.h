// The component names of the command line and the subsystem mask bits they stand for.
#pragma once

#include "platform/com/types.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvktool {

struct Component {
    const char* name;
    LONG bit;
};

// Every component in mask-bit order: bom 1, cmos 2, thermal 4, smbios 8, splash 16, flex 32.
const std::vector<Component>& Components();

// The bit of one name ("envctl" and "modules" are accepted for thermal and flex); none when the
// name is unknown.
std::optional<LONG> ComponentBit(std::string_view name);

// A comma-separated list ("cmos,smbios") as a mask. "" and "none" give 0. On an unknown name,
// none, with the name in `unknown`.
std::optional<LONG> ParseComponents(std::string_view list, std::string* unknown);

// The names of the bits in a mask, in bit order; bits no component has appear as hex.
std::vector<std::string> ComponentNames(LONG mask);

// "0x0000000E (cmos, thermal, smbios)" or "0x00000000 (none)".
std::string DescribeMask(LONG mask);

} // namespace cvktool
