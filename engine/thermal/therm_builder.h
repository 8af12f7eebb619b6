// ThermBuilder builds a thermal tree from constant tables; ThermQ6Builder holds the tables of
// the board's hardware monitor.
#pragma once

#include "engine/thermal/therm_nodes.h"

#include <cstddef>

namespace cvk {

struct ThermGroupEntry {
    LONG tag;
    LONG parentTag; // the root names itself
    const char16_t* name;
};

struct ThermSettingEntry {
    LONG tag;
    LONG groupTag;
    const char16_t* name;
    const char16_t* description;
    // A range setting has both bounds; a choice setting has neither.
    const char16_t* min;
    const char16_t* max;
    VARTYPE rangeType;
    const char16_t* defaultValue;
    VARTYPE defaultType;
};

struct ThermChoiceEntry {
    LONG tag;
    LONG settingTag;
    VARTYPE type;
    const char16_t* value;
};

template <class Entry> struct ThermTable {
    const Entry* entries = nullptr;
    std::size_t count = 0;
};

class ThermBuilder {
public:
    ThermBuilder(ThermTable<ThermGroupEntry> groups, ThermTable<ThermSettingEntry> settings,
                 ThermTable<ThermChoiceEntry> choices)
        : groups_(groups), settings_(settings), choices_(choices) {}

    // E_POINTER when a table or its count is missing; E_FAIL when an object cannot be made, a
    // text does not convert, a default is refused or no group is the root.
    HRESULT Build(ComPtr<CoThermGroup>* root) const;

private:
    HRESULT BuildTree(ComPtr<CoThermGroup>* root) const;

    ThermTable<ThermGroupEntry> groups_;
    ThermTable<ThermSettingEntry> settings_;
    ThermTable<ThermChoiceEntry> choices_;
};

// The "Qordis 6" monitor: 9 groups, 17 settings, 81 choices.
class ThermQ6Builder : public ThermBuilder {
public:
    ThermQ6Builder();

    static ThermTable<ThermGroupEntry> Groups();
    static ThermTable<ThermSettingEntry> Settings();
    static ThermTable<ThermChoiceEntry> Choices();
};

} // namespace cvk
