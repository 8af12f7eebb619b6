// Building a thermal tree from its tables.
#include "engine/thermal/therm_builder.h"

#include <span>
#include <string>
#include <utility>
#include <vector>

namespace cvk {
namespace {

// The table text converted to its type; E_FAIL when it does not convert.
HRESULT ValueOf(const char16_t* text, VARTYPE vt, Variant* value) {
    if (!text)
        return E_FAIL;
    Variant converted;
    if (FAILED(Variant::FromText(text).ChangeType(vt, &converted)))
        return E_FAIL;
    *value = std::move(converted);
    return S_OK;
}

template <class Entry, class Node> struct Built {
    const Entry* entry;
    ComPtr<Node> node;
};

} // namespace

HRESULT ThermBuilder::Build(ComPtr<CoThermGroup>* root) const {
    if (!root)
        return E_POINTER;
    *root = nullptr;
    if (!groups_.entries || !groups_.count || !settings_.entries || !settings_.count ||
        !choices_.entries || !choices_.count)
        return E_POINTER;
    // Any failure drops every object made so far: nothing but the result holds them.
    return Boundary(kThermGroupSource,
                    [&]() -> HRESULT { return FAILED(BuildTree(root)) ? E_FAIL : S_OK; });
}

HRESULT ThermBuilder::BuildTree(ComPtr<CoThermGroup>* root) const {
    std::vector<Built<ThermChoiceEntry, CoThermChoice>> choices;
    for (const ThermChoiceEntry& entry : std::span(choices_.entries, choices_.count)) {
        auto choice = MakeObject<CoThermChoice>();
        Variant value;
        CVK_RETURN_IF_FAILED(ValueOf(entry.value, entry.type, &value));
        choice->SetValue(std::move(value));
        choice->SetTag(entry.tag);
        choices.push_back({&entry, choice});
    }

    std::vector<Built<ThermSettingEntry, CoThermSetting>> settings;
    for (const ThermSettingEntry& entry : std::span(settings_.entries, settings_.count)) {
        auto setting = MakeObject<CoThermSetting>();
        setting->SetName(Bstr(entry.name ? entry.name : u""));
        setting->SetDescription(Bstr(entry.description ? entry.description : u""));
        setting->SetTag(entry.tag);
        if (entry.min && entry.max) {
            Variant min, max;
            CVK_RETURN_IF_FAILED(ValueOf(entry.min, entry.rangeType, &min));
            CVK_RETURN_IF_FAILED(ValueOf(entry.max, entry.rangeType, &max));
            setting->SetValueMin(std::move(min));
            setting->SetValueMax(std::move(max));
        }
        settings.push_back({&entry, setting});
    }

    std::vector<Built<ThermGroupEntry, CoThermGroup>> groups;
    for (const ThermGroupEntry& entry : std::span(groups_.entries, groups_.count)) {
        auto group = MakeObject<CoThermGroup>();
        group->SetName(Bstr(entry.name ? entry.name : u""));
        group->SetTag(entry.tag);
        groups.push_back({&entry, group});
    }

    // Choices to settings; a setting without choices gets no list and is a range setting.
    for (auto& setting : settings) {
        ComPtr<CoThermChoiceList> list;
        for (auto& choice : choices) {
            if (choice.entry->settingTag != setting.entry->tag)
                continue;
            if (!list)
                list = MakeObject<CoThermChoiceList>();
            CVK_RETURN_IF_FAILED(list->Add(choice.node));
        }
        if (list)
            setting.node->AttachChoiceList(std::move(list));
    }

    // Settings to groups.
    for (auto& group : groups) {
        ComPtr<CoThermSettingList> list;
        for (auto& setting : settings) {
            if (setting.entry->groupTag != group.entry->tag)
                continue;
            if (!list)
                list = MakeObject<CoThermSettingList>();
            CVK_RETURN_IF_FAILED(list->Add(setting.node));
        }
        if (list)
            group.node->AttachSettingList(std::move(list));
    }

    // Groups to groups: the group that names itself as its parent is the root.
    ComPtr<CoThermGroup> top;
    for (auto& group : groups) {
        if (group.entry->parentTag == group.entry->tag && !top)
            top = group.node;
        ComPtr<CoThermGroupList> list;
        for (auto& child : groups) {
            if (child.entry->parentTag != group.entry->tag || &child == &group)
                continue;
            if (!list)
                list = MakeObject<CoThermGroupList>();
            CVK_RETURN_IF_FAILED(list->Add(child.node));
        }
        if (list)
            group.node->AttachChildList(std::move(list));
    }
    if (!top)
        return E_FAIL;

    for (auto& setting : settings) {
        Variant value;
        CVK_RETURN_IF_FAILED(
            ValueOf(setting.entry->defaultValue, setting.entry->defaultType, &value));
        CVK_RETURN_IF_FAILED(setting.node->SetDefault(value.get()));
    }
    *root = std::move(top);
    return S_OK;
}

} // namespace cvk
