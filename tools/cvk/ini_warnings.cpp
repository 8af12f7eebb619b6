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

void WarnAboutIniFile(IWorkspace* workspace, LONG mask) {
    std::vector<std::string> warnings;
    if (FAILED(cvkclient::ReadIniWarnings(workspace, mask, &warnings)))
        return;
    for (const std::string& warning : warnings)
        std::fprintf(stderr, "cvk: warning: %s\n", warning.c_str());
}

void WarnBootClashes(IWorkspace* workspace) {
    std::optional<cvkclient::CmosTree> cmos;
    if (FAILED(cvkclient::ReadCmosTree(workspace, &cmos)) || !cmos)
        return;
    for (const cvkclient::BootClash& clash : cvkclient::FindBootClashes(*cmos))
        std::fprintf(stderr, "cvk: warning: %s\n", cvkclient::BootClashText(clash).c_str());
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
