// The JSON description of a workspace: the workspace's own part and one part per subsystem.
#include "tools/cvk/workspace_json.h"

#include "client/edits/module_edits.h"
#include "client/module_selection.h"
#include "client/module_type.h"
#include "platform/com/bstr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/variant.h"
#include "tools/cvk/components.h"
#include "tools/cvk/engine_client.h"
#include "tools/cvk/engine_lists.h"

#include <cstdint>

namespace cvktool {

using namespace cvkedit;
namespace {

using Json = nlohmann::ordered_json;

// Reads one string property of the workspace.
HRESULT ReadText(IWorkspace* workspace, HRESULT (IWorkspace::*getter)(BSTR*), Json* out) {
    cvk::Bstr text;
    CVK_RETURN_IF_FAILED((workspace->*getter)(text.put()));
    *out = text.utf8();
    return S_OK;
}

HRESULT DescribeOwnPart(IWorkspace* workspace, Json* part, std::string* what) {
    struct TextProperty {
        const char* key;
        HRESULT (IWorkspace::*getter)(BSTR*);
    };
    const TextProperty texts[] = {
        {"biosId", &IWorkspace::get_BIOSID},
        {"biosVersion", &IWorkspace::get_BIOSVersion},
        {"buildDate", &IWorkspace::get_BIOSBuildDate},
        {"mapFile", &IWorkspace::get_MapFilePath},
        {"iniFile", &IWorkspace::get_IniFilePath},
    };
    for (const TextProperty& text : texts) {
        *what = text.key;
        CVK_RETURN_IF_FAILED(ReadText(workspace, text.getter, &(*part)[text.key]));
    }
    LONG mask = 0;
    *what = "subsystemMask";
    CVK_RETURN_IF_FAILED(workspace->get_SubsystemMask(&mask));
    (*part)["subsystemMask"] = mask;
    (*part)["subsystems"] = ComponentNames(mask);
    VARIANT_BOOL flag = VARIANT_FALSE;
    *what = "valid";
    CVK_RETURN_IF_FAILED(workspace->get_Valid(&flag));
    (*part)["valid"] = flag != VARIANT_FALSE;
    *what = "requiresSave";
    CVK_RETURN_IF_FAILED(workspace->get_RequiresSave(&flag));
    (*part)["requiresSave"] = flag != VARIANT_FALSE;
    return S_OK;
}

// A subsystem's object, or null (and S_OK) when the workspace does not include the subsystem.
template <class I>
HRESULT SubsystemObject(IWorkspace* workspace, LONG bit, HRESULT (IWorkspace::*getter)(I**),
                        cvk::ComPtr<I>* object) {
    LONG mask = 0;
    CVK_RETURN_IF_FAILED(workspace->get_SubsystemMask(&mask));
    if (!(mask & bit))
        return S_OK;
    const HRESULT hr = (workspace->*getter)(object->put());
    if (hr == E_ACCESSDENIED || hr == E_FAIL) {
        // Not reachable in this workspace (it is not valid): nothing to show.
        ClearErrorText();
        *object = cvk::ComPtr<I>();
        return S_OK;
    }
    return hr;
}

template <class Node> HRESULT Text(Node* node, HRESULT (Node::*getter)(BSTR*), Json* out) {
    cvk::Bstr text;
    CVK_RETURN_IF_FAILED((node->*getter)(text.put()));
    *out = text.is_null() ? Json(nullptr) : Json(text.utf8());
    return S_OK;
}

template <class Node> HRESULT Flag(Node* node, HRESULT (Node::*getter)(VARIANT_BOOL*), Json* out) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED((node->*getter)(&flag));
    *out = flag != VARIANT_FALSE;
    return S_OK;
}

template <class Node> HRESULT Number(Node* node, HRESULT (Node::*getter)(LONG*), Json* out) {
    LONG value = 0;
    CVK_RETURN_IF_FAILED((node->*getter)(&value));
    *out = value;
    return S_OK;
}

HRESULT DescribeChoice(IChoiceNode* choice, Json* out) {
    Json& c = *out = Json::object();
    CVK_RETURN_IF_FAILED(Text(choice, &IChoiceNode::get_Name, &c["name"]));
    SHORT value = 0;
    CVK_RETURN_IF_FAILED(choice->get_CmosValue(&value));
    c["cmosValue"] = value;
    CVK_RETURN_IF_FAILED(Flag(choice, &IChoiceNode::get_Default, &c["default"]));
    CVK_RETURN_IF_FAILED(Flag(choice, &IChoiceNode::get_Current, &c["current"]));
    return Flag(choice, &IChoiceNode::get_Valid, &c["valid"]);
}

HRESULT ChoiceName(HRESULT (ISettingNode::*getter)(IChoiceNode**), ISettingNode* setting,
                   Json* out) {
    cvk::ComPtr<IChoiceNode> choice;
    const HRESULT hr = (setting->*getter)(choice.put());
    *out = nullptr;
    if (FAILED(hr) || !choice) {
        // A setting without such a choice: nothing to name.
        ClearErrorText();
        return S_OK;
    }
    return Text(choice.get(), &IChoiceNode::get_Name, out);
}

HRESULT DescribeSetting(ISettingNode* setting, Json* out) {
    Json& s = *out = Json::object();
    CVK_RETURN_IF_FAILED(Text(setting, &ISettingNode::get_Name, &s["name"]));
    CVK_RETURN_IF_FAILED(Text(setting, &ISettingNode::get_BiosKeyword, &s["keyword"]));
    // The getter gives a setting without a keyword as an empty one; it has none.
    if (s["keyword"] == "")
        s["keyword"] = nullptr;
    CVK_RETURN_IF_FAILED(Text(setting, &ISettingNode::get_HelpString, &s["help"]));
    CVK_RETURN_IF_FAILED(ChoiceName(&ISettingNode::get_CurrentChoice, setting, &s["current"]));
    CVK_RETURN_IF_FAILED(ChoiceName(&ISettingNode::get_DefaultChoice, setting, &s["default"]));
    const struct {
        const char* key;
        HRESULT (ISettingNode::*getter)(VARIANT_BOOL*);
    } flags[] = {
        {"hasChoices", &ISettingNode::get_HasChoices},   {"advanced", &ISettingNode::get_Advanced},
        {"locked", &ISettingNode::get_Locked},           {"hidden", &ISettingNode::get_Hidden},
        {"needsReview", &ISettingNode::get_NeedsReview}, {"valid", &ISettingNode::get_Valid}};
    for (const auto& flag : flags)
        CVK_RETURN_IF_FAILED(Flag(setting, flag.getter, &s[flag.key]));
    const struct {
        const char* key;
        HRESULT (ISettingNode::*getter)(LONG*);
    } numbers[] = {{"cmosTokenId", &ISettingNode::get_CmosTokenID},
                   {"attributes", &ISettingNode::get_Attributes},
                   {"bitOffset", &ISettingNode::get_BitOffset},
                   {"bitMask", &ISettingNode::get_BitMask},
                   {"bitSize", &ISettingNode::get_BitSize},
                   {"defaultValue", &ISettingNode::get_DefaultValue}};
    for (const auto& number : numbers)
        CVK_RETURN_IF_FAILED(Number(setting, number.getter, &s[number.key]));
    Json& choices = s["choices"] = Json::array();
    cvk::ComPtr<IChoiceList> list;
    CVK_RETURN_IF_FAILED(setting->get_ChoiceList(list.put()));
    std::vector<cvk::ComPtr<IChoiceNode>> items;
    CVK_RETURN_IF_FAILED(CollectItems(list.get(), &items));
    for (const auto& choice : items)
        CVK_RETURN_IF_FAILED(DescribeChoice(choice.get(), &choices.emplace_back()));
    return S_OK;
}

HRESULT DescribeGroup(IGroupNode* group, Json* out) {
    Json& g = *out = Json::object();
    CVK_RETURN_IF_FAILED(Text(group, &IGroupNode::get_Name, &g["name"]));
    CVK_RETURN_IF_FAILED(Flag(group, &IGroupNode::get_Valid, &g["valid"]));
    Json& settings = g["settings"] = Json::array();
    Json& groups = g["groups"] = Json::array();
    VARIANT_BOOL has = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(group->get_HasSettings(&has));
    if (has) {
        cvk::ComPtr<ISettingList> list;
        CVK_RETURN_IF_FAILED(group->get_SettingList(list.put()));
        std::vector<cvk::ComPtr<ISettingNode>> items;
        CVK_RETURN_IF_FAILED(CollectItems(list.get(), &items));
        for (const auto& setting : items)
            CVK_RETURN_IF_FAILED(DescribeSetting(setting.get(), &settings.emplace_back()));
    }
    CVK_RETURN_IF_FAILED(group->get_HasChildren(&has));
    if (has) {
        cvk::ComPtr<IGroupList> list;
        CVK_RETURN_IF_FAILED(group->get_ChildList(list.put()));
        std::vector<cvk::ComPtr<IGroupNode>> items;
        CVK_RETURN_IF_FAILED(CollectItems(list.get(), &items));
        for (const auto& child : items)
            CVK_RETURN_IF_FAILED(DescribeGroup(child.get(), &groups.emplace_back()));
    }
    return S_OK;
}

HRESULT DescribeCmos(ICmos* cmos, Json* out) {
    Json& c = *out = Json::object();
    CVK_RETURN_IF_FAILED(Flag(cmos, &ICmos::get_Valid, &c["valid"]));
    CVK_RETURN_IF_FAILED(Flag(cmos, &ICmos::get_BiosSupportsLockHide, &c["supportsLockHide"]));
    CVK_RETURN_IF_FAILED(Flag(cmos, &ICmos::get_NeedsReview, &c["needsReview"]));
    CVK_RETURN_IF_FAILED(Number(cmos, &ICmos::get_MaxNumLockSettings, &c["maxLocked"]));
    CVK_RETURN_IF_FAILED(Number(cmos, &ICmos::get_MaxNumHideSettings, &c["maxHidden"]));
    CVK_RETURN_IF_FAILED(Number(cmos, &ICmos::get_CurNumLockSettings, &c["locked"]));
    CVK_RETURN_IF_FAILED(Number(cmos, &ICmos::get_CurNumHideSettings, &c["hidden"]));
    cvk::ComPtr<IGroupNode> root;
    CVK_RETURN_IF_FAILED(cmos->get_DataTree(root.put()));
    c["tree"] = nullptr;
    return root ? DescribeGroup(root.get(), &c["tree"]) : S_OK;
}

const char* VariantTypeName(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY:
        return "EMPTY";
    case VT_I1:
        return "I1";
    case VT_UI1:
        return "UI1";
    case VT_I2:
        return "I2";
    case VT_UI2:
        return "UI2";
    case VT_I4:
        return "I4";
    case VT_UI4:
        return "UI4";
    case VT_INT:
        return "INT";
    case VT_UINT:
        return "UINT";
    case VT_R4:
        return "R4";
    case VT_R8:
        return "R8";
    case VT_CY:
        return "CY";
    case VT_DATE:
        return "DATE";
    case VT_BOOL:
        return "BOOL";
    case VT_BSTR:
        return "BSTR";
    default:
        return "?";
    }
}

// A variant as {"value": text, "type": "R4"}; the text is the platform's conversion, as the
// GUI shows it.
Json DescribeVariant(const cvk::Variant& value) {
    std::u16string text;
    Json v = Json::object();
    v["value"] = SUCCEEDED(value.ToText(&text)) ? Json(cvk::Bstr(text).utf8()) : Json(nullptr);
    v["type"] = VariantTypeName(value.vt());
    return v;
}

template <class Node> HRESULT VariantOf(Node* node, HRESULT (Node::*getter)(VARIANT*), Json* out) {
    cvk::Variant value;
    CVK_RETURN_IF_FAILED((node->*getter)(value.put()));
    *out = DescribeVariant(value);
    return S_OK;
}

HRESULT DescribeThermSetting(IThermSetting* setting, Json* out) {
    Json& s = *out = Json::object();
    CVK_RETURN_IF_FAILED(Text(setting, &IThermSetting::get_Name, &s["name"]));
    CVK_RETURN_IF_FAILED(Number(setting, &IThermSetting::get_tag, &s["tag"]));
    CVK_RETURN_IF_FAILED(VariantOf(setting, &IThermSetting::get_Value, &s["value"]));
    cvk::Bstr description;
    s["description"] = SUCCEEDED(setting->get_Description(description.put()))
                           ? Json(description.utf8())
                           : Json(nullptr);
    ClearErrorText();
    VARIANT_BOOL hasChoices = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(setting->HasChoices(&hasChoices));
    if (!hasChoices) {
        CVK_RETURN_IF_FAILED(VariantOf(setting, &IThermSetting::get_ValueMin, &s["min"]));
        return VariantOf(setting, &IThermSetting::get_ValueMax, &s["max"]);
    }
    Json& choices = s["choices"] = Json::array();
    cvk::ComPtr<IThermChoiceList> list;
    CVK_RETURN_IF_FAILED(setting->GetChoices(list.put()));
    std::vector<cvk::ComPtr<IThermChoice>> items;
    CVK_RETURN_IF_FAILED(CollectItems(list.get(), &items));
    for (const auto& choice : items) {
        Json& c = choices.emplace_back();
        CVK_RETURN_IF_FAILED(VariantOf(choice.get(), &IThermChoice::get_Value, &c));
        CVK_RETURN_IF_FAILED(Number(choice.get(), &IThermChoice::get_tag, &c["tag"]));
    }
    return S_OK;
}

HRESULT DescribeThermGroup(IThermGroup* group, Json* out) {
    Json& g = *out = Json::object();
    CVK_RETURN_IF_FAILED(Text(group, &IThermGroup::get_Name, &g["name"]));
    CVK_RETURN_IF_FAILED(Number(group, &IThermGroup::get_tag, &g["tag"]));
    Json& settings = g["settings"] = Json::array();
    Json& groups = g["groups"] = Json::array();
    VARIANT_BOOL has = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(group->get_HasSettings(&has));
    if (has) {
        cvk::ComPtr<IThermSettingList> list;
        CVK_RETURN_IF_FAILED(group->get_SettingList(list.put()));
        std::vector<cvk::ComPtr<IThermSetting>> items;
        CVK_RETURN_IF_FAILED(CollectItems(list.get(), &items));
        for (const auto& setting : items)
            CVK_RETURN_IF_FAILED(DescribeThermSetting(setting.get(), &settings.emplace_back()));
    }
    CVK_RETURN_IF_FAILED(group->get_HasChildren(&has));
    if (has) {
        cvk::ComPtr<IThermGroupList> list;
        CVK_RETURN_IF_FAILED(group->get_ChildList(list.put()));
        std::vector<cvk::ComPtr<IThermGroup>> items;
        CVK_RETURN_IF_FAILED(CollectItems(list.get(), &items));
        for (const auto& child : items)
            CVK_RETURN_IF_FAILED(DescribeThermGroup(child.get(), &groups.emplace_back()));
    }
    return S_OK;
}

HRESULT DescribeTherm(ITherm* therm, Json* out) {
    cvk::ComPtr<IThermGroup> root;
    CVK_RETURN_IF_FAILED(therm->get_DataTree(root.put()));
    *out = Json::object();
    (*out)["tree"] = nullptr;
    return root ? DescribeThermGroup(root.get(), &(*out)["tree"]) : S_OK;
}

HRESULT DescribeSmbios(ISmbiosList* list, Json* out) {
    Json& l = *out = Json::object();
    Json& strings = l["strings"] = Json::array();
    std::vector<cvk::ComPtr<ISmbiosNode>> items;
    CVK_RETURN_IF_FAILED(CollectItems(list, &items));
    for (const auto& node : items) {
        Json& n = strings.emplace_back();
        CVK_RETURN_IF_FAILED(Text(node.get(), &ISmbiosNode::get_IniKeyword, &n["key"]));
        CVK_RETURN_IF_FAILED(Text(node.get(), &ISmbiosNode::get_DisplayName, &n["name"]));
        CVK_RETURN_IF_FAILED(Text(node.get(), &ISmbiosNode::get_Value, &n["value"]));
        CVK_RETURN_IF_FAILED(Flag(node.get(), &ISmbiosNode::get_Prompt, &n["prompt"]));
        CVK_RETURN_IF_FAILED(Text(node.get(), &ISmbiosNode::get_HelpString, &n["help"]));
    }
    return S_OK;
}

HRESULT DescribeLogo(IFlexModule* module, Json* out) {
    cvk::ComPtr<IFlexLogoModule> logo;
    CVK_RETURN_IF_FAILED(module->QueryInterface(IFlexLogoModule::iid, logo.put_void()));
    Json& l = *out = Json::object();
    CVK_RETURN_IF_FAILED(Text(logo.get(), &IFlexLogoModule::get_ImageName, &l["image"]));
    LOGO_RES_TYPE resolution = CVK_LOGO_RES_640_480;
    CVK_RETURN_IF_FAILED(logo->get_LogoResolution(&resolution));
    l["resolution"] = resolution == CVK_LOGO_RES_640_480   ? "640x480"
                      : resolution == CVK_LOGO_RES_800_600 ? "800x600"
                                                           : "1024x768";
    CVK_RETURN_IF_FAILED(Flag(logo.get(), &IFlexLogoModule::get_DisplayBadge, &l["displayBadge"]));
    CVK_RETURN_IF_FAILED(Number(logo.get(), &IFlexLogoModule::get_BadgeLocX, &l["badgeX"]));
    CVK_RETURN_IF_FAILED(Number(logo.get(), &IFlexLogoModule::get_BadgeLocY, &l["badgeY"]));
    CVK_RETURN_IF_FAILED(Number(logo.get(), &IFlexLogoModule::get_BadgeLocXMax, &l["badgeXMax"]));
    return Number(logo.get(), &IFlexLogoModule::get_BadgeLocYMax, &l["badgeYMax"]);
}

HRESULT DescribeModule(IFlexModule* module, Json* out) {
    Json& m = *out = Json::object();
    // Handles are unsigned 32-bit numbers in the flash image.
    LONG handle = 0;
    CVK_RETURN_IF_FAILED(module->get_Handle(&handle));
    m["handle"] = static_cast<std::uint32_t>(handle);
    MODULE_TYPE type = CVK_MOD_TYPE_NORMAL;
    CVK_RETURN_IF_FAILED(module->get_Type(&type));
    m["type"] = cvkclient::ModuleTypeName(type);
    CVK_RETURN_IF_FAILED(Text(module, &IFlexModule::get_ShortDescription, &m["name"]));
    CVK_RETURN_IF_FAILED(Text(module, &IFlexModule::get_LongDescription, &m["description"]));
    CVK_RETURN_IF_FAILED(Number(module, &IFlexModule::get_Size, &m["size"]));
    CVK_RETURN_IF_FAILED(Flag(module, &IFlexModule::get_InUpdate, &m["in"]));
    CVK_RETURN_IF_FAILED(Flag(module, &IFlexModule::get_Required, &m["required"]));
    CVK_RETURN_IF_FAILED(Flag(module, &IFlexModule::get_Default, &m["default"]));
    CVK_RETURN_IF_FAILED(Flag(module, &IFlexModule::get_UserUpdateable, &m["userUpdateable"]));
    CVK_RETURN_IF_FAILED(Flag(module, &IFlexModule::get_ContainsUserData, &m["containsUserData"]));
    std::vector<LONG> dependencies;
    CVK_RETURN_IF_FAILED(cvkclient::ReadDependencies(module, &dependencies));
    Json& depends = m["depends"] = Json::array();
    for (LONG dependency : dependencies)
        depends.push_back(static_cast<std::uint32_t>(dependency));
    if (type == CVK_MOD_TYPE_LOGO)
        CVK_RETURN_IF_FAILED(DescribeLogo(module, &m["logo"]));
    return S_OK;
}

HRESULT DescribeFlex(IFlex* flex, Json* out) {
    Json& f = *out = Json::object();
    CVK_RETURN_IF_FAILED(Text(flex, &IFlex::get_BiosFileVersion, &f["biosFileVersion"]));
    CVK_RETURN_IF_FAILED(Text(flex, &IFlex::get_ModweaveVersionStr, &f["moduleEngineVersion"]));
    CVK_RETURN_IF_FAILED(Number(flex, &IFlex::get_FlashPartSize, &f["flashPartSize"]));
    CVK_RETURN_IF_FAILED(Number(flex, &IFlex::get_MaxOptionalModuleSpace, &f["maxOptionalSpace"]));
    CVK_RETURN_IF_FAILED(
        Number(flex, &IFlex::get_CurrentOptionalModuleSpace, &f["optionalSpaceLeft"]));
    CVK_RETURN_IF_FAILED(
        Number(flex, &IFlex::get_NumOptionalModuleBytesSelected, &f["optionalBytesSelected"]));
    CVK_RETURN_IF_FAILED(Flag(flex, &IFlex::get_ValidUpdate, &f["validUpdate"]));
    cvk::ComPtr<IFlexModuleList> list;
    CVK_RETURN_IF_FAILED(flex->get_OptionalModuleList(list.put()));
    f["modules"] = nullptr;
    if (!list)
        return S_OK;
    Json& modules = f["modules"] = Json::array();
    std::vector<cvk::ComPtr<IFlexModule>> items;
    CVK_RETURN_IF_FAILED(CollectItems(list.get(), &items));
    for (const auto& module : items)
        CVK_RETURN_IF_FAILED(DescribeModule(module.get(), &modules.emplace_back()));
    return S_OK;
}

// One subsystem's part: null when the workspace does not include it, else its description.
template <class I, class Describe>
HRESULT DescribeSubsystem(IWorkspace* workspace, LONG bit, HRESULT (IWorkspace::*getter)(I**),
                          Describe describe, Json* part) {
    cvk::ComPtr<I> object;
    CVK_RETURN_IF_FAILED(SubsystemObject(workspace, bit, getter, &object));
    *part = nullptr;
    return object ? describe(object.get(), part) : S_OK;
}

} // namespace

HRESULT DescribeWorkspace(IWorkspace* workspace, Json* out, std::string* what) {
    *out = Json::object();
    CVK_RETURN_IF_FAILED(DescribeOwnPart(workspace, &(*out)["workspace"], what));
    *what = "cmos";
    CVK_RETURN_IF_FAILED(DescribeSubsystem(workspace, SUBSYS_CMOS, &IWorkspace::get_Cmos,
                                           DescribeCmos, &(*out)["cmos"]));
    *what = "smbios";
    CVK_RETURN_IF_FAILED(DescribeSubsystem(workspace, SUBSYS_SMBIOS, &IWorkspace::get_SmbiosList,
                                           DescribeSmbios, &(*out)["smbios"]));
    *what = "thermal";
    CVK_RETURN_IF_FAILED(DescribeSubsystem(workspace, SUBSYS_ENVCTL, &IWorkspace::get_Therm,
                                           DescribeTherm, &(*out)["thermal"]));
    *what = "flex";
    CVK_RETURN_IF_FAILED(DescribeSubsystem(workspace, SUBSYS_FLEX, &IWorkspace::get_Flex,
                                           DescribeFlex, &(*out)["flex"]));
    return S_OK;
}

namespace {

void Flatten(const Json& value, const std::string& prefix, std::string* text) {
    if (value.is_object() && !value.empty()) {
        for (const auto& [key, item] : value.items())
            Flatten(item, prefix.empty() ? key : prefix + "." + key, text);
        return;
    }
    if (value.is_array() && !value.empty() && !value.front().is_structured()) {
        std::string items;
        for (const Json& item : value)
            items += (items.empty() ? "" : ", ") +
                     (item.is_string() ? item.get<std::string>() : item.dump());
        *text += prefix + ": " + items + "\n";
        return;
    }
    if (value.is_array() && !value.empty()) {
        for (std::size_t i = 0; i < value.size(); ++i)
            Flatten(value[i], prefix + "[" + std::to_string(i) + "]", text);
        return;
    }
    *text += prefix + ": " + (value.is_string() ? value.get<std::string>() : value.dump()) + "\n";
}

} // namespace

std::string FlattenForDisplay(const Json& document) {
    std::string text;
    Flatten(document, "", &text);
    return text;
}

} // namespace cvktool
