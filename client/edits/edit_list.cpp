// Reading `cvk apply` edits from JSON and applying edits of every kind to a workspace.
#include "client/edits/edit_list.h"

#include "client/edits/edit_support.h"
#include "client/edits/thermal_smbios_edits.h"
#include "platform/com/errorinfo.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <type_traits>

namespace cvkedit {
namespace {

using Json = nlohmann::ordered_json;
using cvk::ComPtr;

// Thrown while reading the edits file; caught in ReadEditList.
struct BadEdits {
    std::string message;
};

void Expect(bool condition, const std::string& where, const char* wanted) {
    if (!condition)
        throw BadEdits{where + ": expected " + wanted};
}

void CheckKeys(const Json& object, const std::string& where,
               std::initializer_list<const char*> known) {
    for (const auto& [key, value] : object.items()) {
        bool found = false;
        for (const char* name : known)
            found = found || key == name;
        if (!found)
            throw BadEdits{where + ": unknown key \"" + key + "\""};
    }
}

std::optional<bool> OptionalBool(const Json& object, const char* key, const std::string& where) {
    if (!object.contains(key))
        return std::nullopt;
    Expect(object[key].is_boolean(), where + "." + key, "true or false");
    return object[key].get<bool>();
}

std::string Text(const Json& value, const std::string& where) {
    Expect(value.is_string(), where, "a string");
    return value.get<std::string>();
}

// A thermal value may be written as a string or as a number; numbers keep their JSON text.
std::string ValueText(const Json& value, const std::string& where) {
    if (value.is_number())
        return value.dump();
    return Text(value, where);
}

LONG Long(const Json& value, const std::string& where) {
    Expect(value.is_number_integer() && value.get<long long>() >= INT32_MIN &&
               value.get<long long>() <= INT32_MAX,
           where, "a 32-bit integer");
    return static_cast<LONG>(value.get<long long>());
}

template <class Edit, class ReadOne>
std::vector<Edit> ReadArray(const Json& value, const std::string& where, ReadOne readOne) {
    Expect(value.is_array(), where, "an array");
    std::vector<Edit> edits;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string at = where + "[" + std::to_string(i) + "]";
        Expect(value[i].is_object(), at, "an object");
        edits.push_back(readOne(value[i], at));
    }
    return edits;
}

SettingAddress ReadAddress(const Json& value, const std::string& where) {
    SettingAddress address;
    if (value.is_string()) {
        address.keyword = value.get<std::string>();
        return address;
    }
    Expect(value.is_array() && !value.empty(), where, "a keyword or a non-empty array of names");
    for (std::size_t i = 0; i < value.size(); ++i)
        address.path.push_back(Text(value[i], where + "[" + std::to_string(i) + "]"));
    return address;
}

CmosEdit ReadCmosEdit(const Json& object, const std::string& where) {
    CheckKeys(object, where, {"setting", "choice", "locked", "hidden"});
    Expect(object.contains("setting"), where, "a \"setting\"");
    CmosEdit edit;
    edit.setting = ReadAddress(object["setting"], where + ".setting");
    if (object.contains("choice"))
        edit.choice = Text(object["choice"], where + ".choice");
    edit.locked = OptionalBool(object, "locked", where);
    edit.hidden = OptionalBool(object, "hidden", where);
    return edit;
}

SmbiosEdit ReadSmbiosEdit(const Json& object, const std::string& where) {
    CheckKeys(object, where, {"key", "value", "prompt"});
    Expect(object.contains("key"), where, "a \"key\"");
    SmbiosEdit edit;
    edit.key = Text(object["key"], where + ".key");
    if (object.contains("value"))
        edit.value = Text(object["value"], where + ".value");
    edit.prompt = OptionalBool(object, "prompt", where);
    return edit;
}

ThermalEdit ReadThermalEdit(const Json& object, const std::string& where) {
    CheckKeys(object, where, {"setting", "value"});
    Expect(object.contains("setting") && object.contains("value"), where,
           "a \"setting\" and a \"value\"");
    ThermalEdit edit;
    const Json& setting = object["setting"];
    if (setting.is_string()) {
        edit.path = SplitPath(setting.get<std::string>());
    } else {
        Expect(setting.is_array() && !setting.empty(), where + ".setting",
               "a path or a non-empty array of names");
        for (std::size_t i = 0; i < setting.size(); ++i)
            edit.path.push_back(Text(setting[i], where + ".setting[" + std::to_string(i) + "]"));
    }
    edit.value = ValueText(object["value"], where + ".value");
    return edit;
}

ModuleEdit ReadModuleEdit(const Json& object, const std::string& where) {
    CheckKeys(object, where, {"handle", "in"});
    Expect(object.contains("handle") && object.contains("in"), where, "a \"handle\" and \"in\"");
    ModuleEdit edit;
    const Json& handle = object["handle"];
    Expect(handle.is_number_integer() && handle.get<long long>() >= 0 &&
               handle.get<long long>() <= UINT32_MAX,
           where + ".handle", "a module handle (0 to 4294967295)");
    edit.handle = static_cast<LONG>(static_cast<std::uint32_t>(handle.get<long long>()));
    edit.in = *OptionalBool(object, "in", where);
    return edit;
}

LogoEdit ReadLogoEdit(const Json& object, const std::string& where,
                      const std::filesystem::path& folder) {
    Expect(object.is_object(), where, "an object");
    CheckKeys(object, where, {"image", "badge", "remove"});
    LogoEdit edit;
    edit.remove = OptionalBool(object, "remove", where).value_or(false);
    if (object.contains("image")) {
        const std::filesystem::path image = Text(object["image"], where + ".image");
        edit.image = (image.is_absolute() ? image : folder / image).string();
    }
    if (object.contains("badge")) {
        const Json& badge = object["badge"];
        const std::string at = where + ".badge";
        if (badge.is_boolean() && !badge.get<bool>()) {
            edit.noBadge = true;
        } else if (badge.is_string()) {
            edit.badge = ParseBadgePlace(badge.get<std::string>());
            Expect(edit.badge.has_value(), at, "a corner name");
        } else {
            Expect(badge.is_array() && badge.size() == 2, at, "[X, Y], a corner name or false");
            BadgePlace place;
            place.kind = BadgePlace::kPosition;
            place.x = Long(badge[0], at + "[0]");
            place.y = Long(badge[1], at + "[1]");
            edit.badge = place;
        }
    }
    return edit;
}

EditStep ReadStep(const std::string& key, const Json& value, const std::filesystem::path& folder) {
    if (key == "cmos")
        return ReadArray<CmosEdit>(value, key, ReadCmosEdit);
    if (key == "smbios")
        return ReadArray<SmbiosEdit>(value, key, ReadSmbiosEdit);
    if (key == "thermal")
        return ReadArray<ThermalEdit>(value, key, ReadThermalEdit);
    if (key == "modules")
        return ReadArray<ModuleEdit>(value, key, ReadModuleEdit);
    if (key == "flash_size")
        return FlashSizeEdit{Long(value, key)};
    if (key == "logo")
        return ReadLogoEdit(value, key, folder);
    throw BadEdits{"unknown key \"" + key + "\""};
}

std::string DescribeCmosEdit(const CmosEdit& edit) {
    return "CMOS setting \"" + edit.setting.Describe() + "\"";
}

} // namespace

bool ReadEditList(const std::string& file, EditList* edits, std::string* error) {
    if (!IsRegularFile(file, error))
        return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = "cannot read \"" + file + "\"";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseEditList(text, std::filesystem::path(AbsolutePath(file)).parent_path(), edits,
                         error);
}

bool ParseEditList(std::string_view text, const std::filesystem::path& folder, EditList* edits,
                   std::string* error) {
    // A key given twice would keep only its last value: the earlier edits would be dropped
    // without a word.
    std::vector<std::set<std::string>> keysOfOpenObjects;
    std::string duplicate;
    const Json::parser_callback_t noteKeys = [&](int, Json::parse_event_t event, Json& parsed) {
        if (event == Json::parse_event_t::object_start)
            keysOfOpenObjects.emplace_back();
        else if (event == Json::parse_event_t::object_end && !keysOfOpenObjects.empty())
            keysOfOpenObjects.pop_back();
        else if (event == Json::parse_event_t::key && !keysOfOpenObjects.empty() &&
                 !keysOfOpenObjects.back().insert(parsed.get<std::string>()).second &&
                 duplicate.empty())
            duplicate = parsed.get<std::string>();
        return true;
    };
    const Json document = Json::parse(text, noteKeys, false);
    if (!duplicate.empty()) {
        *error = "the key \"" + duplicate + "\" is given more than once";
        return false;
    }
    if (document.is_discarded()) {
        *error = "not a JSON document";
        return false;
    }
    if (!document.is_object()) {
        *error = "expected a JSON object";
        return false;
    }
    try {
        for (const auto& [key, value] : document.items())
            edits->push_back(ReadStep(key, value, folder));
    } catch (const BadEdits& bad) {
        *error = bad.message;
        return false;
    }
    return true;
}

HRESULT ApplyCmosEdits(IWorkspace* workspace, const std::vector<CmosEdit>& edits,
                       std::string* what) {
    *what = "CMOS settings";
    ComPtr<ICmos> cmos;
    CVK_RETURN_IF_FAILED(GetCmos(workspace, &cmos));
    for (const CmosEdit& edit : edits) {
        *what = DescribeCmosEdit(edit);
        ComPtr<ISettingNode> setting;
        CVK_RETURN_IF_FAILED(FindSetting(cmos.get(), edit.setting, &setting));
        if (edit.choice) {
            CVK_RETURN_IF_FAILED(SelectChoice(setting.get(), *edit.choice));
            WarnIfPastCmosImage(setting.get(), edit.setting.Describe());
        }
        // Unlocking and unhiding first frees room before anything is locked or hidden.
        if (edit.locked && !*edit.locked)
            CVK_RETURN_IF_FAILED(SetLocked(cmos.get(), setting.get(), false));
        if (edit.hidden && !*edit.hidden)
            CVK_RETURN_IF_FAILED(SetHidden(cmos.get(), setting.get(), false));
        if (edit.locked && *edit.locked)
            CVK_RETURN_IF_FAILED(SetLocked(cmos.get(), setting.get(), true));
        if (edit.hidden && *edit.hidden)
            CVK_RETURN_IF_FAILED(SetHidden(cmos.get(), setting.get(), true));
    }
    return S_OK;
}

HRESULT ApplySmbiosEdits(IWorkspace* workspace, const std::vector<SmbiosEdit>& edits,
                         std::string* what, EditLog& log) {
    *what = "SMBIOS strings";
    ComPtr<ISmbiosList> list;
    CVK_RETURN_IF_FAILED(GetSmbiosList(workspace, &list));
    bool cut = false;
    for (const SmbiosEdit& edit : edits) {
        *what = "SMBIOS string \"" + edit.key + "\"";
        ComPtr<ISmbiosNode> node;
        CVK_RETURN_IF_FAILED(FindSmbiosNode(list.get(), edit.key, &node));
        std::string stored;
        const HRESULT hr = EditSmbiosString(node.get(), edit.value, edit.prompt, &stored, log);
        if (FAILED(hr) && !IsCutValue(hr))
            return hr;
        if (IsCutValue(hr)) {
            // Stored all the same, as in the GUI: say so and go on.
            log.Failure(*what, hr);
            cut = true;
        }
        log.Note(edit.key + ": " + stored);
    }
    return cut ? S_FALSE : S_OK;
}

HRESULT ApplyThermalEdits(IWorkspace* workspace, const std::vector<ThermalEdit>& edits,
                          std::string* what) {
    *what = "thermal settings";
    ComPtr<ITherm> therm;
    CVK_RETURN_IF_FAILED(GetTherm(workspace, &therm));
    for (const ThermalEdit& edit : edits) {
        *what = "thermal setting \"" + JoinPath(edit.path) + "\"";
        ComPtr<IThermSetting> setting;
        CVK_RETURN_IF_FAILED(FindThermSetting(therm.get(), edit.path, &setting));
        CVK_RETURN_IF_FAILED(SetThermValue(setting.get(), edit.value));
    }
    return S_OK;
}

HRESULT ApplyModuleEdits(IWorkspace* workspace, const std::vector<ModuleEdit>& edits,
                         std::string* what, EditLog& log) {
    *what = "modules";
    ComPtr<IFlex> flex;
    CVK_RETURN_IF_FAILED(GetFlex(workspace, &flex));
    for (const ModuleEdit& edit : edits) {
        *what = "module " + HandleText(edit.handle);
        std::vector<LONG> added;
        CVK_RETURN_IF_FAILED(SetModuleInUpdate(flex.get(), edit.handle, edit.in, &added));
        for (LONG handle : added)
            log.Note("module " + HandleText(handle) + " put in as a dependency of module " +
                     HandleText(edit.handle));
    }
    return S_OK;
}

HRESULT ApplyFlashSize(IWorkspace* workspace, LONG bytes, std::string* what) {
    *what = "flash part size " + std::to_string(bytes);
    ComPtr<IFlex> flex;
    CVK_RETURN_IF_FAILED(GetFlex(workspace, &flex));
    return flex->put_FlashPartSize(bytes);
}

HRESULT ApplyLogoEdit(IWorkspace* workspace, const LogoEdit& edit, std::string* what) {
    *what = "logo";
    ComPtr<IFlex> flex;
    CVK_RETURN_IF_FAILED(GetFlex(workspace, &flex));
    return EditLogo(flex.get(), edit);
}

HRESULT ApplyEditList(IWorkspace* workspace, const EditList& edits, std::string* what,
                      EditLog& log) {
    bool warned = false;
    for (const EditStep& step : edits) {
        HRESULT hr = S_OK;
        if (auto* cmos = std::get_if<std::vector<CmosEdit>>(&step))
            hr = ApplyCmosEdits(workspace, *cmos, what);
        else if (auto* smbios = std::get_if<std::vector<SmbiosEdit>>(&step))
            hr = ApplySmbiosEdits(workspace, *smbios, what, log);
        else if (auto* thermal = std::get_if<std::vector<ThermalEdit>>(&step))
            hr = ApplyThermalEdits(workspace, *thermal, what);
        else if (auto* modules = std::get_if<std::vector<ModuleEdit>>(&step))
            hr = ApplyModuleEdits(workspace, *modules, what, log);
        else if (auto* flash = std::get_if<FlashSizeEdit>(&step))
            hr = ApplyFlashSize(workspace, flash->bytes, what);
        else if (auto* logo = std::get_if<LogoEdit>(&step))
            hr = ApplyLogoEdit(workspace, *logo, what);
        CVK_RETURN_IF_FAILED(hr);
        warned = warned || hr == S_FALSE;
    }
    return warned ? S_FALSE : S_OK;
}

namespace {

// One edit of a step on its own, as the step it came from would apply it.
std::vector<EditStep> SingleEdits(const EditStep& step) {
    std::vector<EditStep> singles;
    std::visit(
        [&](const auto& edits) {
            using Step = std::decay_t<decltype(edits)>;
            if constexpr (std::is_same_v<Step, FlashSizeEdit> || std::is_same_v<Step, LogoEdit>)
                singles.push_back(edits);
            else
                for (const auto& edit : edits)
                    singles.push_back(Step{edit});
        },
        step);
    return singles;
}

} // namespace

std::vector<EditFailure> TryEditList(IWorkspace* workspace, const EditList& edits, EditLog& log) {
    std::vector<EditFailure> failures;
    for (const EditStep& step : edits)
        for (const EditStep& single : SingleEdits(step)) {
            std::string what;
            ClearErrorText();
            const HRESULT hr = ApplyEditList(workspace, {single}, &what, log);
            if (SUCCEEDED(hr))
                continue;
            cvk::ErrorText error;
            std::string text;
            if (cvk::TakeErrorText(&error))
                text = cvk::Bstr(error.description).utf8();
            failures.push_back({what, hr, text});
        }
    return failures;
}

} // namespace cvkedit
