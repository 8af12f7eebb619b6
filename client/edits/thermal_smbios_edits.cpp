// SMBIOS string and thermal setting edits over ISmbiosList and ITherm.
#include "client/edits/thermal_smbios_edits.h"

#include "client/edits/edit_support.h"
#include "client/engine_lists.h"
#include "client/smbios_text.h"
#include "engine/include/engine_status.h"
#include "platform/com/bstr.h"
#include "platform/com/variant.h"
#include "platform/text/codepage.h"

#include <cstdio>

namespace cvkedit {
namespace {

using cvk::Bstr;
using cvk::ComPtr;

constexpr char kCutMessage[] =
    "Exceeded maximum number of characters allowed.  This value has been truncated.";

HRESULT RequireBit(IWorkspace* workspace, LONG bit, const char* refusal) {
    LONG mask = 0;
    CVK_RETURN_IF_FAILED(workspace->get_SubsystemMask(&mask));
    return (mask & bit) ? S_OK : Refuse(refusal, E_ACCESSDENIED);
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

HRESULT ReadText(ISmbiosNode* node, HRESULT (ISmbiosNode::*getter)(BSTR*), std::string* out) {
    Bstr text;
    CVK_RETURN_IF_FAILED((node->*getter)(text.put()));
    *out = text.utf8();
    return S_OK;
}

HRESULT PutValue(ISmbiosNode* node, const std::string& value) {
    return node->put_Value(Wide(value).get());
}

HRESULT VariantText(HRESULT (IThermSetting::*getter)(VARIANT*), IThermSetting* setting,
                    std::string* text) {
    cvk::Variant value;
    CVK_RETURN_IF_FAILED((setting->*getter)(value.put()));
    std::u16string wide;
    CVK_RETURN_IF_FAILED(value.ToText(&wide));
    *text = Bstr(wide).utf8();
    return S_OK;
}

template <class Group> HRESULT GroupName(Group* group, std::string* name) {
    Bstr text;
    CVK_RETURN_IF_FAILED(group->get_Name(text.put()));
    *name = text.utf8();
    return S_OK;
}

template <class Item, class List> HRESULT Items(List* list, std::vector<ComPtr<Item>>* items) {
    return CollectItems(list, items);
}

// Searches the group's settings, then its child groups, for the setting whose path below the
// root, joined with "/", is `wanted` (so that names holding a "/" are found as well).
HRESULT FindIn(IThermGroup* group, const std::string& prefix, const std::string& wanted,
               ComPtr<IThermSetting>* setting) {
    VARIANT_BOOL has = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(group->get_HasSettings(&has));
    if (has) {
        ComPtr<IThermSettingList> list;
        CVK_RETURN_IF_FAILED(group->get_SettingList(list.put()));
        std::vector<ComPtr<IThermSetting>> settings;
        CVK_RETURN_IF_FAILED(Items(list.get(), &settings));
        for (const ComPtr<IThermSetting>& candidate : settings) {
            std::string name;
            CVK_RETURN_IF_FAILED(GroupName(candidate.get(), &name));
            if (prefix + name == wanted) {
                *setting = candidate;
                return S_OK;
            }
        }
    }
    CVK_RETURN_IF_FAILED(group->get_HasChildren(&has));
    if (!has)
        return S_OK;
    ComPtr<IThermGroupList> list;
    CVK_RETURN_IF_FAILED(group->get_ChildList(list.put()));
    std::vector<ComPtr<IThermGroup>> children;
    CVK_RETURN_IF_FAILED(Items(list.get(), &children));
    for (const ComPtr<IThermGroup>& child : children) {
        std::string name;
        CVK_RETURN_IF_FAILED(GroupName(child.get(), &name));
        CVK_RETURN_IF_FAILED(FindIn(child.get(), prefix + name + "/", wanted, setting));
        if (*setting)
            return S_OK;
    }
    return S_OK;
}

} // namespace

HRESULT GetSmbiosList(IWorkspace* workspace, ComPtr<ISmbiosList>* list) {
    CVK_RETURN_IF_FAILED(RequireBit(workspace, SUBSYS_SMBIOS,
                                    "the workspace has no SMBIOS strings (component smbios)"));
    return workspace->get_SmbiosList(list->put());
}

HRESULT GetTherm(IWorkspace* workspace, ComPtr<ITherm>* therm) {
    CVK_RETURN_IF_FAILED(RequireBit(workspace, SUBSYS_ENVCTL,
                                    "the workspace has no thermal settings (component thermal)"));
    return workspace->get_Therm(therm->put());
}

HRESULT FindSmbiosNode(ISmbiosList* list, const std::string& key, ComPtr<ISmbiosNode>* node) {
    std::vector<ComPtr<ISmbiosNode>> nodes;
    CVK_RETURN_IF_FAILED(CollectItems(list, &nodes));
    std::string known;
    for (const ComPtr<ISmbiosNode>& candidate : nodes) {
        std::string keyword;
        CVK_RETURN_IF_FAILED(ReadText(candidate.get(), &ISmbiosNode::get_IniKeyword, &keyword));
        if (keyword == key) {
            *node = candidate;
            return S_OK;
        }
        known += (known.empty() ? "" : ", ") + keyword;
    }
    return Refuse("no SMBIOS string \"" + key + "\"; the keys are " + known, E_INVALIDARG);
}

bool IsCutValue(HRESULT hr) {
    return hr == E_SMBIOS_VALUE_CUT || hr == E_SMBIOS_PROMPT_CUT;
}

HRESULT EditSmbiosString(ISmbiosNode* node, const std::optional<std::string>& value,
                         std::optional<bool> prompt, std::string* stored, EditLog& log) {
    std::string name, current;
    CVK_RETURN_IF_FAILED(ReadText(node, &ISmbiosNode::get_DisplayName, &name));
    const std::string placeholder = "Enter " + name;
    if (prompt) {
        VARIANT_BOOL was = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(node->get_Prompt(&was));
        CVK_RETURN_IF_FAILED(ReadText(node, &ISmbiosNode::get_Value, &current));
        if (!*prompt && was && !value && current == placeholder)
            CVK_RETURN_IF_FAILED(PutValue(node, ""));
        CVK_RETURN_IF_FAILED(node->put_Prompt(*prompt ? VARIANT_TRUE : VARIANT_FALSE));
    }
    HRESULT put = S_OK;
    if (value) {
        const std::u16string wide = cvk::text::Utf8ToUtf16(*value);
        if (const std::string refusal = cvkclient::SmbiosControlRefusal(name, wide);
            !refusal.empty())
            return Refuse(refusal, E_INVALIDARG);
        if (const std::string warning = cvkclient::SmbiosCodePageWarning(name, wide);
            !warning.empty())
            log.Warn(warning);
        put = PutValue(node, *value);
    }
    if (FAILED(put) && !IsCutValue(put))
        return put;
    CVK_RETURN_IF_FAILED(ReadText(node, &ISmbiosNode::get_Value, &current));
    if (prompt && *prompt && Trimmed(current).empty()) {
        CVK_RETURN_IF_FAILED(PutValue(node, placeholder));
        current = placeholder;
    }
    *stored = current;
    return IsCutValue(put) ? Refuse(kCutMessage, put) : S_OK;
}

HRESULT FindThermSetting(ITherm* therm, const std::vector<std::string>& path,
                         ComPtr<IThermSetting>* setting) {
    *setting = ComPtr<IThermSetting>();
    ComPtr<IThermGroup> root;
    CVK_RETURN_IF_FAILED(therm->get_DataTree(root.put()));
    if (root)
        CVK_RETURN_IF_FAILED(FindIn(root.get(), "", JoinPath(path), setting));
    if (*setting)
        return S_OK;
    return Refuse("no thermal setting \"" + JoinPath(path) + "\"", E_INVALIDARG);
}

HRESULT SetThermValue(IThermSetting* setting, const std::string& text) {
    const cvk::Variant value = cvk::Variant::FromText(Wide(text).view());
    const HRESULT hr = setting->put_Value(value.get());
    if (SUCCEEDED(hr))
        return hr;
    VARIANT_BOOL hasChoices = VARIANT_FALSE;
    if (FAILED(setting->HasChoices(&hasChoices)) || hasChoices)
        return hr;
    std::string low, high;
    if (FAILED(VariantText(&IThermSetting::get_ValueMin, setting, &low)) ||
        FAILED(VariantText(&IThermSetting::get_ValueMax, setting, &high)))
        return hr;
    return Refuse("The value must be between " + low + " and " + high, hr);
}

} // namespace cvkedit
