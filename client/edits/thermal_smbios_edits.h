// The SMBIOS string and thermal setting edits that cvk makes.
#pragma once

#include "client/edits/edit_support.h"
#include "engine/include/cvkserver.h"
#include "platform/com/comptr.h"

#include <optional>
#include <string>
#include <vector>

namespace cvkedit {

// The workspace's SMBIOS list or thermal object; a workspace without the subsystem is refused.
HRESULT GetSmbiosList(IWorkspace* workspace, cvk::ComPtr<ISmbiosList>* list);
HRESULT GetTherm(IWorkspace* workspace, cvk::ComPtr<ITherm>* therm);

// The string whose INI keyword is `key` ("SystemSerialNum").
HRESULT FindSmbiosNode(ISmbiosList* list, const std::string& key, cvk::ComPtr<ISmbiosNode>* node);

// Sets the prompt flag (when given), then the value (when given). Turning the prompt on for a
// blank string fills it with "Enter <name>"; turning it off empties a string that still reads
// so, as the GUI's prompt toggle does. A value that was stored cut short returns the engine's
// status (0x80040406 / 0x80040407) with the GUI's message; `stored` is the text kept.
// Characters that the INI file's code page lacks are kept, with a warning to `log`.
HRESULT EditSmbiosString(ISmbiosNode* node, const std::optional<std::string>& value,
                         std::optional<bool> prompt, std::string* stored, EditLog& log);

// True for the statuses of a value that was stored, but cut to its maximum length.
bool IsCutValue(HRESULT hr);

// The setting below the thermal root at `path`: group names, then the setting's name.
HRESULT FindThermSetting(ITherm* therm, const std::vector<std::string>& path,
                         cvk::ComPtr<IThermSetting>* setting);

// Puts `text` as a string value; the engine converts it to the setting's type. A value outside
// a range setting's bounds is refused with the GUI's "The value must be between %s and %s";
// one outside a choice setting's choices with the engine's text. The old value stays.
HRESULT SetThermValue(IThermSetting* setting, const std::string& text);

} // namespace cvkedit
