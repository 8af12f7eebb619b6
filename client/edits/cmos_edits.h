// Finding CMOS settings by keyword or group path, and the edits cvk makes to them.
#pragma once

#include "engine/include/cvkserver.h"
#include "platform/com/comptr.h"

#include <string>
#include <vector>

namespace cvkedit {

// A setting named by its BIOS keyword, or by the group names below the root group followed by
// the setting's name (the first match in tree order).
struct SettingAddress {
    std::string keyword;
    std::vector<std::string> path;

    // "CMOS_1STBOOTDEV" or "Advanced/CPU Configuration/Hyper Threading".
    std::string Describe() const;
};

// A command-line name: a keyword when a setting has it, else a path split at "/".
SettingAddress ParseSettingAddress(const std::string& text);

// The workspace's CMOS object; a workspace without the CMOS subsystem is refused with a message.
HRESULT GetCmos(IWorkspace* workspace, cvk::ComPtr<ICmos>* cmos);

// E_INVALIDARG with a message when no setting matches.
HRESULT FindSetting(ICmos* cmos, const SettingAddress& address, cvk::ComPtr<ISettingNode>* setting);

// Makes the choice named `choice` current; a trailing "*" (the default mark that lists show) is
// dropped first, as the GUI does.
HRESULT SelectChoice(ISettingNode* setting, const std::string& choice);

// Warns on stderr when the setting lies past the 256 bytes of the CMOS image (a bit offset of
// 2048 or more): its choice is kept in the workspace but never reaches the image.
void WarnIfPastCmosImage(ISettingNode* setting, const std::string& name);

// Lock and hide with the GUI's limit rule: a setting is locked or hidden only while the count
// stays within the BIOS's maximum; the refusal carries the GUI's message.
HRESULT SetLocked(ICmos* cmos, ISettingNode* setting, bool locked);
HRESULT SetHidden(ICmos* cmos, ISettingNode* setting, bool hidden);

// "Group/Sub/Setting (KEYWORD)" for each setting flagged for review, in tree order.
HRESULT ListSettingsForReview(ICmos* cmos, std::vector<std::string>* lines);

} // namespace cvkedit
