// The JSON description of a workspace: the workspace's own part and one part per subsystem.
#include "tools/cvk/workspace_json.h"

#include "platform/com/bstr.h"
#include "platform/com/errorinfo.h"
#include "tools/cvk/components.h"
#include "tools/cvk/engine_client.h"

namespace cvktool {
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

// One subsystem's part: present (an empty object for now) when the workspace lets a client
// reach the subsystem, null when its bit is not in the mask. The subsystems add their contents
// here as their interfaces grow.
template <class I>
HRESULT DescribeSubsystem(IWorkspace* workspace, HRESULT (IWorkspace::*getter)(I**), Json* part) {
    cvk::ComPtr<I> object;
    const HRESULT hr = (workspace->*getter)(object.put());
    if (hr == E_ACCESSDENIED || hr == E_FAIL) {
        // Not chosen for this workspace (or the workspace is not valid): nothing to show.
        ClearErrorText();
        *part = nullptr;
        return S_OK;
    }
    CVK_RETURN_IF_FAILED(hr);
    *part = Json::object();
    return S_OK;
}

} // namespace

HRESULT DescribeWorkspace(IWorkspace* workspace, Json* out, std::string* what) {
    *out = Json::object();
    CVK_RETURN_IF_FAILED(DescribeOwnPart(workspace, &(*out)["workspace"], what));
    *what = "cmos";
    CVK_RETURN_IF_FAILED(DescribeSubsystem(workspace, &IWorkspace::get_Cmos, &(*out)["cmos"]));
    *what = "smbios";
    CVK_RETURN_IF_FAILED(
        DescribeSubsystem(workspace, &IWorkspace::get_SmbiosList, &(*out)["smbios"]));
    *what = "thermal";
    CVK_RETURN_IF_FAILED(DescribeSubsystem(workspace, &IWorkspace::get_Therm, &(*out)["thermal"]));
    *what = "flex";
    CVK_RETURN_IF_FAILED(DescribeSubsystem(workspace, &IWorkspace::get_Flex, &(*out)["flex"]));
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
