// Settings the INI writer's walk leaves out, read through the engine's public interfaces.
#include "client/ini_warnings.h"

#include "platform/com/errorinfo.h"

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

HRESULT ReadIniGaps(IWorkspace* workspace, LONG mask, std::vector<IniGap>* gaps) {
    gaps->clear();
    if (!(mask & SUBSYS_CMOS))
        return S_OK;
    std::optional<CmosTree> tree;
    CVK_RETURN_IF_FAILED(ReadCmosTree(workspace, &tree));
    if (tree)
        *gaps = FindIniGaps(*tree);
    return S_OK;
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

} // namespace cvkclient
