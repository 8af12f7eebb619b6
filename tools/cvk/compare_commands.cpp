// diff, changes, show --find and export: the client library's results as JSON or as text.
#include "tools/cvk/compare_commands.h"

#include "client/build_diff.h"
#include "client/edits/config_export.h"
#include "client/setting_search.h"
#include "client/workspace_changes.h"
#include "platform/com/com.h"
#include "tools/cvk/engine_client.h"
#include "tools/cvk/session.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace cvktool {
namespace {

using Json = nlohmann::ordered_json;
using cvkclient::CmosSetting;
using cvkclient::Path;
using cvkclient::WorkspaceSnapshot;

std::string Dump(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace);
}

// A workspace file is a compound file; anything else is taken for a map file.
bool IsWorkspaceFile(const std::string& file) {
    static const unsigned char kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::ifstream in(file, std::ios::binary);
    char head[sizeof kSignature] = {};
    if (!in.read(head, sizeof head))
        return false;
    return std::equal(std::begin(kSignature), std::end(kSignature),
                      reinterpret_cast<const unsigned char*>(head));
}

std::optional<int> ReadMap(IServer* server, const std::string& file, WorkspaceSnapshot* out) {
    ClearErrorText();
    const HRESULT hr = cvkclient::ReadMapFile(server, AbsolutePath(file), out);
    if (FAILED(hr))
        return ReportFailure("cannot read the map file \"" + file + "\"", hr);
    return std::nullopt;
}

std::optional<int> ReadWorkspace(IServer* server, const std::string& file, WorkspaceSnapshot* out) {
    ClearErrorText();
    const HRESULT hr = cvkclient::ReadWorkspaceFile(server, file, out);
    if (FAILED(hr))
        return ReportFailure("cannot read the workspace \"" + file + "\"", hr);
    return std::nullopt;
}

// The workspace and a fresh workspace of its map file with the same components.
std::optional<int> ReadWithDefaults(IServer* server, const std::string& file,
                                    WorkspaceSnapshot* workspace, WorkspaceSnapshot* defaults) {
    if (auto failed = ReadWorkspace(server, file, workspace))
        return failed;
    ClearErrorText();
    const HRESULT hr =
        cvkclient::ReadFreshWorkspace(server, workspace->mapFile, workspace->mask, defaults);
    if (FAILED(hr))
        return ReportFailure(
            "cannot read the defaults of the map file \"" + workspace->mapFile + "\"", hr);
    return std::nullopt;
}

Json PathJson(const Path& path) {
    return Json(path);
}

Json KeywordJson(const CmosSetting& setting) {
    return setting.keyword.empty() ? Json(nullptr) : Json(setting.keyword);
}

Json TextOrNull(const std::string* text) {
    return text ? Json(*text) : Json(nullptr);
}

// ---- diff -------------------------------------------------------------------------------------

// Indexed by the enumerations' values.
constexpr const char* kSettingChanges[] = {"added", "removed", "changed", "unchanged"};
constexpr const char* kModuleChanges[] = {"added", "removed", "resized"};

const char* ChangeName(cvkclient::SettingChange change) {
    return kSettingChanges[static_cast<int>(change)];
}

const char* ModuleChangeName(cvkclient::ModuleChange change) {
    return kModuleChanges[static_cast<int>(change)];
}

Json SettingSide(const CmosSetting* setting) {
    if (!setting)
        return nullptr;
    Json side = Json::object();
    side["path"] = PathJson(setting->FullPath());
    side["keyword"] = KeywordJson(*setting);
    side["token"] = setting->token;
    return side;
}

Json DiffSettingJson(const cvkclient::SettingDiff& diff) {
    Json entry = Json::object();
    entry["change"] = ChangeName(diff.change);
    entry["old"] = SettingSide(diff.old);
    entry["new"] = SettingSide(diff.fresh);
    entry["what"] = diff.what;
    if (!diff.choicesAdded.empty() || !diff.choicesRemoved.empty() ||
        !diff.choicesRenamed.empty()) {
        Json& choices = entry["choices"] = Json::object();
        choices["added"] = diff.choicesAdded;
        choices["removed"] = diff.choicesRemoved;
        Json& renamed = choices["renamed"] = Json::array();
        for (const cvkclient::ChoiceRename& rename : diff.choicesRenamed)
            renamed.push_back({{"from", rename.from}, {"to", rename.to}});
    }
    entry["review"] = diff.review;
    return entry;
}

Json IdentificationJson(const cvkclient::Identification& id) {
    return {{"biosId", id.biosId}, {"version", id.version}, {"buildDate", id.buildDate}};
}

Json ModuleJson(const cvkclient::ModuleInfo* module) {
    if (!module)
        return nullptr;
    return {{"handle", module->handle},
            {"name", module->name},
            {"type", module->type},
            {"size", module->size}};
}

Json DiffJson(const cvkclient::BuildDiff& diff) {
    Json document = Json::object();
    document["identification"] = {{"old", IdentificationJson(diff.old->id)},
                                  {"new", IdentificationJson(diff.fresh->id)}};
    const cvkclient::CmosTree none;
    const cvkclient::CmosTree& oldTree = diff.old->cmos ? *diff.old->cmos : none;
    const cvkclient::CmosTree& newTree = diff.fresh->cmos ? *diff.fresh->cmos : none;
    document["limits"] = {
        {"old", {{"maxLocked", oldTree.maxLocked}, {"maxHidden", oldTree.maxHidden}}},
        {"new", {{"maxLocked", newTree.maxLocked}, {"maxHidden", newTree.maxHidden}}}};
    Json& groups = document["groups"] = Json::object();
    groups["added"] = diff.groupsAdded;
    groups["removed"] = diff.groupsRemoved;
    Json& settings = document["settings"] = Json::array();
    for (const cvkclient::SettingDiff& setting : diff.settings)
        settings.push_back(DiffSettingJson(setting));
    Json& modules = document["modules"] = Json::array();
    if (!diff.modulesCompared)
        modules = nullptr;
    for (const cvkclient::ModuleDiff& module : diff.modules)
        modules.push_back({{"change", ModuleChangeName(module.change)},
                           {"old", ModuleJson(module.old)},
                           {"new", ModuleJson(module.fresh)}});
    return document;
}

std::string JoinWords(const std::vector<std::string>& words, const char* separator) {
    std::string joined;
    for (const std::string& word : words)
        joined += (joined.empty() ? "" : separator) + word;
    return joined;
}

std::string Describe(const CmosSetting& setting) {
    std::string text = JoinPath(setting.FullPath());
    if (!setting.keyword.empty())
        text += " (" + setting.keyword + ")";
    return text;
}

void PrintSettingLine(const cvkclient::SettingDiff& diff) {
    const CmosSetting& shown = diff.fresh ? *diff.fresh : *diff.old;
    std::string line = "  " + Describe(shown);
    if (diff.old && diff.fresh && diff.old->FullPath() != diff.fresh->FullPath())
        line += " (was " + JoinPath(diff.old->FullPath()) + ")";
    if (!diff.what.empty())
        line += ": " + JoinWords(diff.what, ", ");
    for (const std::string& choice : diff.choicesAdded)
        line += "; choice added \"" + choice + "\"";
    for (const std::string& choice : diff.choicesRemoved)
        line += "; choice removed \"" + choice + "\"";
    for (const cvkclient::ChoiceRename& rename : diff.choicesRenamed)
        line += "; choice \"" + rename.from + "\" renamed \"" + rename.to + "\"";
    if (diff.review)
        line += " [review]";
    std::printf("%s\n", line.c_str());
}

void PrintDiff(const cvkclient::BuildDiff& diff) {
    using cvkclient::SettingChange;
    std::size_t review = 0;
    for (const cvkclient::SettingDiff& setting : diff.settings)
        review += setting.review;
    std::printf("settings: %zu added, %zu removed, %zu changed, %zu to review\n",
                diff.Count(SettingChange::kAdded), diff.Count(SettingChange::kRemoved),
                diff.Count(SettingChange::kChanged), review);
    std::printf("groups: %zu added, %zu removed\n", diff.groupsAdded.size(),
                diff.groupsRemoved.size());
    if (diff.modulesCompared)
        std::printf("modules: %zu changed\n", diff.modules.size());
    const cvkclient::Identification &a = diff.old->id, &b = diff.fresh->id;
    std::printf("BIOS ID: %s -> %s\nversion: %s -> %s\nbuild date: %s -> %s\n", a.biosId.c_str(),
                b.biosId.c_str(), a.version.c_str(), b.version.c_str(), a.buildDate.c_str(),
                b.buildDate.c_str());
    if (diff.old->cmos && diff.fresh->cmos)
        std::printf("max locked: %d -> %d\nmax hidden: %d -> %d\n", diff.old->cmos->maxLocked,
                    diff.fresh->cmos->maxLocked, diff.old->cmos->maxHidden,
                    diff.fresh->cmos->maxHidden);
    for (const auto& [title, paths] : {std::pair{"groups added", &diff.groupsAdded},
                                       std::pair{"groups removed", &diff.groupsRemoved}}) {
        if (!paths->empty())
            std::printf("%s:\n", title);
        for (const Path& path : *paths)
            std::printf("  %s\n", JoinPath(path).c_str());
    }
    for (SettingChange kind : {SettingChange::kAdded, SettingChange::kRemoved,
                               SettingChange::kChanged, SettingChange::kUnchanged}) {
        if (diff.Count(kind) == 0)
            continue;
        std::printf("settings %s:\n",
                    kind == SettingChange::kUnchanged ? "unchanged, to review" : ChangeName(kind));
        for (const cvkclient::SettingDiff& setting : diff.settings)
            if (setting.change == kind)
                PrintSettingLine(setting);
    }
    if (!diff.modules.empty())
        std::printf("modules:\n");
    for (const cvkclient::ModuleDiff& module : diff.modules) {
        const cvkclient::ModuleInfo& shown = module.fresh ? *module.fresh : *module.old;
        std::printf("  %s %d %s", ModuleChangeName(module.change), shown.handle,
                    shown.name.c_str());
        if (module.change == cvkclient::ModuleChange::kResized)
            std::printf(" (%d -> %d bytes)", module.old->size, module.fresh->size);
        std::printf("\n");
    }
}

// ---- changes ----------------------------------------------------------------------------------

Json LogoJson(const cvkclient::LogoInfo& logo) {
    return {{"image", logo.image},
            {"displayBadge", logo.displayBadge},
            {"badgeX", logo.badgeX},
            {"badgeY", logo.badgeY}};
}

Json ChangesJson(const cvkclient::WorkspaceChanges& changes) {
    Json document = Json::object();
    Json& cmos = document["cmos"] = Json::array();
    for (const CmosSetting* setting : changes.cmos)
        cmos.push_back({{"path", PathJson(setting->FullPath())},
                        {"keyword", KeywordJson(*setting)},
                        {"current", TextOrNull(setting->Current())},
                        {"default", TextOrNull(setting->Default())},
                        {"locked", setting->locked},
                        {"hidden", setting->hidden},
                        {"review", setting->needsReview}});
    Json& smbios = document["smbios"] = Json::array();
    for (const cvkclient::SmbiosValue* value : changes.smbios)
        smbios.push_back({{"key", value->key}, {"value", value->value}, {"prompt", value->prompt}});
    Json& thermal = document["thermal"] = Json::array();
    for (const cvkclient::ThermalChange& change : changes.thermal)
        thermal.push_back(
            {{"path", PathJson(change.value->path)},
             {"value", change.value->value},
             {"default", change.defaultValue ? Json(change.defaultValue->value) : Json(nullptr)}});
    Json& modules = document["modules"] = Json::array();
    for (const cvkclient::ModuleInfo* module : changes.modules)
        modules.push_back({{"handle", module->handle},
                           {"name", module->name},
                           {"in", module->in},
                           {"default", module->isDefault}});
    document["flashPartSize"] =
        changes.flashPartSize ? Json(*changes.flashPartSize) : Json(nullptr);
    document["logo"] = changes.logo ? LogoJson(*changes.logo) : Json(nullptr);
    return document;
}

void PrintChanges(const cvkclient::WorkspaceChanges& changes) {
    std::printf("cmos: %zu\n", changes.cmos.size());
    for (const CmosSetting* setting : changes.cmos) {
        std::string line = "  " + Describe(*setting);
        if (setting->currentChoice != setting->defaultChoice)
            line += " = " + (setting->Current() ? *setting->Current() : std::string("(none)")) +
                    " (default " +
                    (setting->Default() ? *setting->Default() : std::string("(none)")) + ")";
        for (const auto& [flag, name] :
             {std::pair{setting->locked, " [locked]"}, std::pair{setting->hidden, " [hidden]"},
              std::pair{setting->needsReview, " [review]"}})
            if (flag)
                line += name;
        std::printf("%s\n", line.c_str());
    }
    std::printf("smbios: %zu\n", changes.smbios.size());
    for (const cvkclient::SmbiosValue* value : changes.smbios)
        std::printf("  %s = %s%s\n", value->key.c_str(), value->value.c_str(),
                    value->prompt ? " [prompt]" : "");
    std::printf("thermal: %zu\n", changes.thermal.size());
    for (const cvkclient::ThermalChange& change : changes.thermal)
        std::printf("  %s = %s (default %s)\n", JoinPath(change.value->path).c_str(),
                    change.value->value.c_str(),
                    change.defaultValue ? change.defaultValue->value.c_str() : "none");
    std::printf("modules: %zu\n", changes.modules.size());
    for (const cvkclient::ModuleInfo* module : changes.modules)
        std::printf("  %d %s: %s\n", module->handle, module->name.c_str(),
                    module->in ? "in" : "out");
    if (changes.flashPartSize)
        std::printf("flash part size: %d\n", *changes.flashPartSize);
    if (changes.logo)
        std::printf("logo: %s, badge %s at %d,%d\n",
                    changes.logo->image.empty() ? "(build's own)" : changes.logo->image.c_str(),
                    changes.logo->displayBadge ? "shown" : "hidden", changes.logo->badgeX,
                    changes.logo->badgeY);
}

// ---- find -------------------------------------------------------------------------------------

const char* FoundKindName(cvkclient::FoundKind kind) {
    switch (kind) {
    case cvkclient::FoundKind::kCmos:
        return "cmos";
    case cvkclient::FoundKind::kThermal:
        return "thermal";
    default:
        return "smbios";
    }
}

Json FoundJson(const cvkclient::FoundSetting& found) {
    Json hit = Json::object();
    hit["kind"] = FoundKindName(found.kind);
    hit["path"] = PathJson(found.path);
    hit["fields"] = found.fields;
    if (found.cmos) {
        hit["keyword"] = KeywordJson(*found.cmos);
        hit["current"] = TextOrNull(found.cmos->Current());
    } else if (found.thermal) {
        hit["value"] = found.thermal->value;
    } else {
        hit["key"] = found.smbios->key;
        hit["value"] = found.smbios->value;
    }
    return hit;
}

} // namespace

int RunDiff(const std::string& oldFile, const std::string& newFile, bool json) {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Start())
        return *failed;
    WorkspaceSnapshot old, fresh;
    if (auto failed = IsWorkspaceFile(oldFile) ? ReadWorkspace(session.server(), oldFile, &old)
                                               : ReadMap(session.server(), oldFile, &old))
        return *failed;
    if (auto failed = ReadMap(session.server(), newFile, &fresh))
        return *failed;
    const cvkclient::BuildDiff diff = cvkclient::CompareBuilds(old, fresh);
    if (json)
        std::printf("%s\n", Dump(DiffJson(diff)).c_str());
    else
        PrintDiff(diff);
    return kExitOk;
}

namespace {

// A workspace, the defaults of its map file and what differs; the changes point into the two.
struct ChangesRead {
    WorkspaceSnapshot workspace;
    WorkspaceSnapshot defaults;
    cvkclient::WorkspaceChanges changes;
};

// The engine is needed only while the two are read.
std::optional<int> ReadChanges(const std::string& workspaceFile, ChangesRead* out) {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Start())
        return failed;
    if (auto failed =
            ReadWithDefaults(session.server(), workspaceFile, &out->workspace, &out->defaults))
        return failed;
    out->changes = cvkclient::ListChanges(out->workspace, out->defaults);
    return std::nullopt;
}

} // namespace

int RunChanges(const std::string& workspaceFile, bool json) {
    ChangesRead read;
    if (auto failed = ReadChanges(workspaceFile, &read))
        return *failed;
    const cvkclient::WorkspaceChanges& changes = read.changes;
    if (json)
        std::printf("%s\n", Dump(ChangesJson(changes)).c_str());
    else
        PrintChanges(changes);
    return kExitOk;
}

int RunFind(const std::string& workspaceFile, const std::string& text, bool json) {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Start())
        return *failed;
    WorkspaceSnapshot workspace;
    if (auto failed = ReadWorkspace(session.server(), workspaceFile, &workspace))
        return *failed;
    const std::vector<cvkclient::FoundSetting> found = cvkclient::FindSettings(workspace, text);
    if (json) {
        Json hits = Json::array();
        for (const cvkclient::FoundSetting& hit : found)
            hits.push_back(FoundJson(hit));
        std::printf("%s\n", Dump(hits).c_str());
        return kExitOk;
    }
    for (const cvkclient::FoundSetting& hit : found)
        std::printf("%s: %s (%s)\n", FoundKindName(hit.kind), JoinPath(hit.path).c_str(),
                    JoinWords(hit.fields, ", ").c_str());
    return kExitOk;
}

int RunExport(const std::string& workspaceFile, const std::string& outFile) {
    ChangesRead read;
    if (auto failed = ReadChanges(workspaceFile, &read))
        return *failed;
    std::string text, error;
    if (!cvkedit::ExportConfiguration(read.workspace, read.changes, &text, &error)) {
        std::fprintf(stderr, "cvk: export: %s\n", error.c_str());
        return kExitEngine;
    }
    if (!cvkedit::WriteFileAtomically(outFile, text)) {
        std::fprintf(stderr, "cvk: cannot write \"%s\"\n", outFile.c_str());
        return kExitEngine;
    }
    return kExitOk;
}

} // namespace cvktool
