// What an INI file will not carry, found before it is written, so that the user can mend the
// workspace: cvk and the GUI's Generate INI File and Generate Report warn with these texts.
#pragma once

#include "client/workspace_snapshot.h"

#include <string>
#include <vector>

namespace cvkclient {

// The INI writer walks a menu's settings in order and stops at one without a current choice
// (its default matches none of its answers): the settings after it in that menu, with their
// locks and hides, are left out of the image.
struct IniGap {
    std::string setting;              // the setting without a current choice, described
    std::vector<std::string> leftOut; // the settings after it in its menu, described
};

// A setting as warnings name it: "Main/Odd" (CMOS_ODD), locked.
std::string DescribeSetting(const CmosSetting& setting);

// The gaps of a CMOS tree: one per menu whose walk stops early, in tree order.
std::vector<IniGap> FindIniGaps(const CmosTree& tree);

// The warning's sentence for one gap, saying what is left out and how to mend it.
std::string IniGapText(const IniGap& gap);

// Two boot positions (CMOS_1STBOOTDEV to CMOS_3RDBOOTDEV) that name the same device: the INI
// file's boot order has one entry per device, and the later position replaces the earlier.
struct BootClash {
    std::string earlier; // keywords of the two positions
    std::string later;
    std::string device; // the choice the later one names
};
std::vector<BootClash> FindBootClashes(const CmosTree& tree);
std::string BootClashText(const BootClash& clash);

// Every warning about the INI file of the workspace written with `mask`: the gaps of the walk
// and the boot positions that clash, as sentences.
HRESULT ReadIniWarnings(IWorkspace* workspace, LONG mask, std::vector<std::string>* warnings);

} // namespace cvkclient
