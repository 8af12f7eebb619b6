// Settings the INI writer's walk leaves out, read through the engine's public interfaces.
#include "client/ini_warnings.h"

#include "platform/com/errorinfo.h"

#include <string_view>

namespace cvkclient {
namespace {

bool HasPlaceInImage(const CmosSetting& setting) {
    return setting.bitOffset != 0;
}

std::string JoinPath(const Path& path) {
    std::string joined;
    for (const std::string& name : path)
        joined += (joined.empty() ? "" : "/") + name;
    return joined;
}

const CmosSetting* FindByKeyword(const CmosTree& tree, std::string_view keyword) {
    for (const CmosSetting& setting : tree.settings)
        if (setting.keyword == keyword)
            return &setting;
    return nullptr;
}

// The INI file's key for a boot device, as the engine maps the choice's name.
std::string_view BootDeviceKey(const std::string& choice) {
    if (choice == "Hard Drive")
        return "HardDrive";
    if (choice == "ATAPI CD-ROM")
        return "CD-ROM";
    return "RemovableDevices";
}

} // namespace

std::string DescribeSetting(const CmosSetting& setting) {
    std::string text = "\"" + JoinPath(setting.FullPath()) + "\"";
    if (!setting.keyword.empty())
        text += " (" + setting.keyword + ")";
    if (setting.locked)
        text += ", locked";
    if (setting.hidden)
        text += ", hidden";
    return text;
}

std::vector<IniGap> FindIniGaps(const CmosTree& tree) {
    std::vector<IniGap> gaps;
    const std::vector<CmosSetting>& settings = tree.settings;
    for (std::size_t i = 0; i < settings.size(); ++i) {
        if (!HasPlaceInImage(settings[i]) || settings[i].currentChoice >= 0)
            continue;
        IniGap& gap = gaps.emplace_back();
        gap.setting = DescribeSetting(settings[i]);
        // A menu's own settings lie together in tree order; the walk of this one ends here.
        std::size_t j = i + 1;
        for (; j < settings.size() && settings[j].group == settings[i].group; ++j)
            if (HasPlaceInImage(settings[j]))
                gap.leftOut.push_back(DescribeSetting(settings[j]));
        i = j - 1;
    }
    return gaps;
}

std::string IniGapText(const IniGap& gap) {
    std::string left;
    for (const std::string& setting : gap.leftOut)
        left += (left.empty() ? ": " : "; ") + setting;
    return "the CMOS setting " + gap.setting +
           " has no current choice: it and the settings after it in its menu are left out of "
           "the INI file" +
           left + "; choose an answer for it";
}

std::vector<BootClash> FindBootClashes(const CmosTree& tree) {
    static constexpr std::string_view kPositions[] = {"CMOS_1STBOOTDEV", "CMOS_2NDBOOTDEV",
                                                      "CMOS_3RDBOOTDEV"};
    std::vector<BootClash> clashes;
    // The engine writes no boot order without a first position.
    if (!FindByKeyword(tree, kPositions[0]))
        return clashes;
    std::vector<const CmosSetting*> named; // positions with a current choice, in order
    for (std::string_view keyword : kPositions) {
        const CmosSetting* setting = FindByKeyword(tree, keyword);
        if (!setting || !setting->Current())
            continue;
        for (const CmosSetting* earlier : named)
            if (BootDeviceKey(*earlier->Current()) == BootDeviceKey(*setting->Current()))
                clashes.push_back({earlier->keyword, setting->keyword, *setting->Current()});
        named.push_back(setting);
    }
    return clashes;
}

std::string BootClashText(const BootClash& clash) {
    return "the boot positions " + clash.earlier + " and " + clash.later + " both name \"" +
           clash.device + "\": the INI file's boot order keeps only " + clash.later +
           " for it; choose another device for one of them";
}

HRESULT ReadIniWarnings(IWorkspace* workspace, LONG mask, std::vector<std::string>* warnings) {
    warnings->clear();
    if (!(mask & SUBSYS_CMOS))
        return S_OK;
    std::optional<CmosTree> tree;
    CVK_RETURN_IF_FAILED(ReadCmosTree(workspace, &tree));
    if (!tree)
        return S_OK;
    for (const IniGap& gap : FindIniGaps(*tree))
        warnings->push_back(IniGapText(gap));
    for (const BootClash& clash : FindBootClashes(*tree))
        warnings->push_back(BootClashText(clash));
    return S_OK;
}

} // namespace cvkclient
