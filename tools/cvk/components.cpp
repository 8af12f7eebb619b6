// Component names and subsystem mask bits.
#include "tools/cvk/components.h"

#include "engine/include/cvkserver.h"

#include <cstdio>

namespace cvktool {

const std::vector<Component>& Components() {
    static const std::vector<Component> all = {
        {"bom", SUBSYS_BOM},       {"cmos", SUBSYS_CMOS},     {"thermal", SUBSYS_ENVCTL},
        {"smbios", SUBSYS_SMBIOS}, {"splash", SUBSYS_SPLASH}, {"flex", SUBSYS_FLEX},
    };
    return all;
}

std::optional<LONG> ComponentBit(std::string_view name) {
    if (name == "envctl")
        return SUBSYS_ENVCTL;
    if (name == "modules")
        return SUBSYS_FLEX;
    for (const Component& component : Components())
        if (name == component.name)
            return component.bit;
    return std::nullopt;
}

std::optional<LONG> ParseComponents(std::string_view list, std::string* unknown) {
    LONG mask = 0;
    if (list.empty() || list == "none")
        return mask;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        const std::optional<LONG> bit = ComponentBit(name);
        if (!bit) {
            *unknown = std::string(name);
            return std::nullopt;
        }
        mask |= *bit;
        if (comma == std::string_view::npos)
            return mask;
        list.remove_prefix(comma + 1);
    }
}

std::vector<std::string> ComponentNames(LONG mask) {
    std::vector<std::string> names;
    LONG known = 0;
    for (const Component& component : Components()) {
        known |= component.bit;
        if (mask & component.bit)
            names.emplace_back(component.name);
    }
    // A workspace file may carry bits no component has; they are shown, not dropped.
    if (const LONG other = mask & ~known) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(other));
        names.emplace_back(text);
    }
    return names;
}

std::string DescribeMask(LONG mask) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(mask));
    std::string text = std::string(hex) + " (";
    const std::vector<std::string> names = ComponentNames(mask);
    if (names.empty())
        text += "none";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i ? ", " : "") + names[i];
    return text + ")";
}

} // namespace cvktool
