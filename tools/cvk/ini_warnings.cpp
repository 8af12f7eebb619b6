// Warnings about the CMOS part of the INI file, read through the client library.
#include "tools/cvk/ini_warnings.h"

#include "client/ini_warnings.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cvktool {
namespace {

// The lock/hide table of the INI file holds this many entries.
constexpr LONG kLockHideTableEntries = 128;

} // namespace

void WarnSettingsLeftOutOfIni(IWorkspace* workspace, LONG mask) {
    std::vector<cvkclient::IniGap> gaps;
    if (FAILED(cvkclient::ReadIniGaps(workspace, mask, &gaps)))
        return;
    for (const cvkclient::IniGap& gap : gaps)
        std::fprintf(stderr, "cvk: warning: %s\n", cvkclient::IniGapText(gap).c_str());
}

void WarnLockHideTableTooSmall(IWorkspace* workspace) {
    std::optional<cvkclient::CmosTree> cmos;
    if (FAILED(cvkclient::ReadCmosTree(workspace, &cmos)) || !cmos)
        return;
    const LONG locks = cmos->maxLocked, hides = cmos->maxHidden;
    if (static_cast<long long>(locks) + hides > kLockHideTableEntries)
        std::fprintf(stderr,
                     "cvk: warning: the BIOS asks for %d lock and %d hide entries; the INI "
                     "file's table holds %d, so no INI file can be written\n",
                     static_cast<int>(locks), static_cast<int>(hides),
                     static_cast<int>(kLockHideTableEntries));
}

} // namespace cvktool
