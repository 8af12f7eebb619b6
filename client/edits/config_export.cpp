// The configuration file of a workspace: its changes from the defaults as edits of `cvk apply`.
#include "client/edits/config_export.h"

#include "client/edits/edit_support.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

namespace cvkedit {
namespace {

using Json = nlohmann::ordered_json;
using cvkclient::CmosSetting;
using cvkclient::WorkspaceSnapshot;

std::string Describe(const CmosSetting& setting) {
    std::string text = JoinPath(setting.FullPath());
    if (!setting.keyword.empty())
        text += " (" + setting.keyword + ")";
    return text;
}

// The first setting in tree order with each keyword, and with each joined path: what cvk apply
// finds when given the keyword or the path.
class Addresses {
public:
    explicit Addresses(const cvkclient::CmosTree& tree) {
        for (const CmosSetting& setting : tree.settings) {
            if (!setting.keyword.empty())
                byKeyword_.emplace(setting.keyword, &setting);
            byPath_.emplace(JoinPath(setting.FullPath()), &setting);
        }
    }

    // The keyword when it finds the setting, else the path; null when neither does.
    Json Of(const CmosSetting& setting) const {
        const auto keyword = byKeyword_.find(setting.keyword);
        if (!setting.keyword.empty() && keyword->second == &setting)
            return setting.keyword;
        const auto path = byPath_.find(JoinPath(setting.FullPath()));
        return path->second == &setting ? Json(setting.FullPath()) : Json(nullptr);
    }

private:
    std::map<std::string, const CmosSetting*> byKeyword_;
    std::map<std::string, const CmosSetting*> byPath_;
};

std::optional<Json> CmosEdits(const cvkclient::CmosTree& tree,
                              const std::vector<const CmosSetting*>& settings, std::string* error) {
    const Addresses addresses(tree);
    Json edits = Json::array();
    for (const CmosSetting* setting : settings) {
        Json edit = Json::object();
        edit["setting"] = addresses.Of(*setting);
        if (edit["setting"].is_null()) {
            *error = "the setting " + Describe(*setting) +
                     " cannot be named apart from another of the same keyword and path";
            return std::nullopt;
        }
        if (setting->currentChoice != setting->defaultChoice && setting->Current())
            edit["choice"] = *setting->Current();
        if (setting->locked)
            edit["locked"] = true;
        if (setting->hidden)
            edit["hidden"] = true;
        if (edit.size() > 1)
            edits.push_back(std::move(edit));
    }
    return edits;
}

// Modules put in first, then those taken out: putting one in also puts in what it needs, and a
// selection that leaves one of those out must end with it out.
Json ModuleEdits(const std::vector<const cvkclient::ModuleInfo*>& modules) {
    Json edits = Json::array();
    for (bool in : {true, false})
        for (const cvkclient::ModuleInfo* module : modules)
            if (module->in == in)
                edits.push_back({{"handle", module->handle}, {"in", in}});
    return edits;
}

Json LogoEditJson(const cvkclient::LogoInfo& logo) {
    Json edit = Json::object();
    if (!logo.image.empty())
        edit["image"] = logo.image;
    edit["badge"] = logo.displayBadge ? Json::array({logo.badgeX, logo.badgeY}) : Json(false);
    return edit;
}

std::optional<Json> ExportJson(const WorkspaceSnapshot& workspace,
                               const cvkclient::WorkspaceChanges& changes, std::string* error) {
    Json document = Json::object();
    if (workspace.cmos) {
        std::optional<Json> cmos = CmosEdits(*workspace.cmos, changes.cmos, error);
        if (!cmos)
            return std::nullopt;
        if (!cmos->empty())
            document["cmos"] = std::move(*cmos);
    }
    Json smbios = Json::array();
    for (const cvkclient::SmbiosValue* value : changes.smbios)
        smbios.push_back({{"key", value->key}, {"value", value->value}, {"prompt", value->prompt}});
    if (!smbios.empty())
        document["smbios"] = std::move(smbios);
    Json thermal = Json::array();
    for (const cvkclient::ThermalChange& change : changes.thermal)
        thermal.push_back({{"setting", change.value->path}, {"value", change.value->value}});
    if (!thermal.empty())
        document["thermal"] = std::move(thermal);
    if (changes.flashPartSize)
        document["flash_size"] = *changes.flashPartSize;
    if (!changes.modules.empty())
        document["modules"] = ModuleEdits(changes.modules);
    if (changes.logo)
        document["logo"] = LogoEditJson(*changes.logo);
    return document;
}

} // namespace

bool ExportConfiguration(const WorkspaceSnapshot& workspace,
                         const cvkclient::WorkspaceChanges& changes, std::string* text,
                         std::string* error) {
    const std::optional<Json> document = ExportJson(workspace, changes, error);
    if (!document)
        return false;
    *text = document->dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    return true;
}

bool WriteFileAtomically(const std::string& file, const std::string& text) {
    const std::string temporary = file + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, file, ec);
    if (ec)
        std::filesystem::remove(temporary, ec);
    return !ec;
}

} // namespace cvkedit
