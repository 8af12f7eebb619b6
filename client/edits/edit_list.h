// The edits of a configuration file (`cvk apply`, the program's Import Configuration) and of
// cvk's single-purpose commands: reading them from JSON and applying them, in order, to a
// workspace.
#pragma once

#include "client/edits/cmos_edits.h"
#include "client/edits/edit_support.h"
#include "client/edits/module_edits.h"
#include "engine/include/cvkserver.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cvkedit {

// One piece of work on an opened workspace. S_OK; S_FALSE when it was done but reported a
// warning (an SMBIOS value stored cut short); or a failure, with `what` naming the edit.
using WorkspaceEdit = std::function<HRESULT(IWorkspace*, std::string* what)>;

struct CmosEdit {
    SettingAddress setting;
    std::optional<std::string> choice;
    std::optional<bool> locked;
    std::optional<bool> hidden;
};

struct SmbiosEdit {
    std::string key;
    std::optional<std::string> value;
    std::optional<bool> prompt;
};

struct ThermalEdit {
    std::vector<std::string> path;
    std::string value;
};

struct ModuleEdit {
    LONG handle = 0;
    bool in = true;
};

struct FlashSizeEdit {
    LONG bytes = 0;
};

using EditStep =
    std::variant<std::vector<CmosEdit>, std::vector<SmbiosEdit>, std::vector<ThermalEdit>,
                 std::vector<ModuleEdit>, FlashSizeEdit, LogoEdit>;
using EditList = std::vector<EditStep>;

// Reads an edits file: one JSON object whose keys ("cmos", "smbios", "thermal", "modules",
// "flash_size", "logo") are applied in the order they appear. A logo image's relative path is
// taken from the edits file's folder. False with a message on any malformed part.
bool ReadEditList(const std::string& file, EditList* edits, std::string* error);
// The same for the file's text; relative logo paths are taken from `folder`.
bool ParseEditList(std::string_view text, const std::filesystem::path& folder, EditList* edits,
                   std::string* error);

// Each applier reports what it did besides its status to `log`.
HRESULT ApplyEditList(IWorkspace* workspace, const EditList& edits, std::string* what,
                      EditLog& log);
// An edit that could not be applied: which one, the status, and the engine's or the
// program's words for it.
struct EditFailure {
    std::string what;
    HRESULT status = S_OK;
    std::string text;
};

// Applies each edit of `edits` on its own, in order, and goes on after a failure: every edit that
// cannot be applied is listed. The edits that succeeded stay, so this is for a scratch copy of
// a workspace, before the edits are applied to the workspace itself.
std::vector<EditFailure> TryEditList(IWorkspace* workspace, const EditList& edits, EditLog& log);

HRESULT ApplyCmosEdits(IWorkspace* workspace, const std::vector<CmosEdit>& edits,
                       std::string* what);
HRESULT ApplySmbiosEdits(IWorkspace* workspace, const std::vector<SmbiosEdit>& edits,
                         std::string* what, EditLog& log);
HRESULT ApplyThermalEdits(IWorkspace* workspace, const std::vector<ThermalEdit>& edits,
                          std::string* what);
HRESULT ApplyModuleEdits(IWorkspace* workspace, const std::vector<ModuleEdit>& edits,
                         std::string* what, EditLog& log);
HRESULT ApplyFlashSize(IWorkspace* workspace, LONG bytes, std::string* what);
HRESULT ApplyLogoEdit(IWorkspace* workspace, const LogoEdit& edit, std::string* what);

} // namespace cvkedit
