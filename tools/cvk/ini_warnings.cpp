// Warnings about the CMOS part of the INI file, read from the workspace's description.
#include "tools/cvk/ini_warnings.h"

#include "tools/cvk/workspace_json.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cvktool {
namespace {

using Json = nlohmann::ordered_json;

// The lock/hide table of the INI file holds this many entries.
constexpr LONG kLockHideTableEntries = 128;

std::string SettingName(const Json& setting, const std::string& path) {
    std::string name = "\"" + path + setting.at("name").get<std::string>() + "\"";
    if (setting.at("keyword").is_string() && !setting.at("keyword").get<std::string>().empty())
        name += " (" + setting.at("keyword").get<std::string>() + ")";
    if (setting.at("locked").get<bool>())
        name += ", locked";
    if (setting.at("hidden").get<bool>())
        name += ", hidden";
    return name;
}

bool HasPlaceInImage(const Json& setting) {
    return setting.at("bitOffset").get<LONG>() != 0;
}

void WarnGroup(const Json& group, const std::string& path) {
    for (const Json& child : group.at("groups"))
        WarnGroup(child, path + child.at("name").get<std::string>() + "/");
    const Json& settings = group.at("settings");
    for (std::size_t i = 0; i < settings.size(); ++i) {
        if (!HasPlaceInImage(settings[i]) || !settings[i].at("current").is_null())
            continue;
        std::string left;
        for (std::size_t j = i + 1; j < settings.size(); ++j)
            if (HasPlaceInImage(settings[j]))
                left += (left.empty() ? "" : "; ") + SettingName(settings[j], path);
        std::fprintf(stderr,
                     "cvk: warning: the CMOS setting %s has no current choice: it and the "
                     "settings after it in its menu are left out of the INI file%s%s; choose an "
                     "answer for it\n",
                     SettingName(settings[i], path).c_str(), left.empty() ? "" : ": ",
                     left.c_str());
        return; // the walk of this menu ends here
    }
}

bool CmosTree(IWorkspace* workspace, Json* cmos) {
    Json document;
    std::string what;
    if (FAILED(DescribeWorkspace(workspace, &document, &what)) || !document.contains("cmos") ||
        !document["cmos"].is_object())
        return false;
    *cmos = document["cmos"];
    return true;
}

} // namespace

void WarnSettingsLeftOutOfIni(IWorkspace* workspace, LONG mask) {
    Json cmos;
    if ((mask & SUBSYS_CMOS) && CmosTree(workspace, &cmos) && cmos.contains("tree"))
        WarnGroup(cmos["tree"], "");
}

void WarnLockHideTableTooSmall(IWorkspace* workspace) {
    Json cmos;
    if (!CmosTree(workspace, &cmos))
        return;
    const LONG locks = cmos.at("maxLocked").get<LONG>(), hides = cmos.at("maxHidden").get<LONG>();
    if (static_cast<long long>(locks) + hides > kLockHideTableEntries)
        std::fprintf(stderr,
                     "cvk: warning: the BIOS asks for %d lock and %d hide entries; the INI "
                     "file's table holds %d, so no INI file can be written\n",
                     static_cast<int>(locks), static_cast<int>(hides),
                     static_cast<int>(kLockHideTableEntries));
}

} // namespace cvktool
