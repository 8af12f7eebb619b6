// The edits of `cvk apply` (and of the single-purpose commands): reading them from JSON and
// applying them, in order, to a workspace.
#pragma once

#include "engine/include/cvkserver.h"
#include "tools/cvk/cmos_edits.h"
#include "tools/cvk/module_edits.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cvktool {

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

HRESULT ApplyEditList(IWorkspace* workspace, const EditList& edits, std::string* what);
HRESULT ApplyCmosEdits(IWorkspace* workspace, const std::vector<CmosEdit>& edits,
                       std::string* what);
HRESULT ApplySmbiosEdits(IWorkspace* workspace, const std::vector<SmbiosEdit>& edits,
                         std::string* what);
HRESULT ApplyThermalEdits(IWorkspace* workspace, const std::vector<ThermalEdit>& edits,
                          std::string* what);
HRESULT ApplyModuleEdits(IWorkspace* workspace, const std::vector<ModuleEdit>& edits,
                         std::string* what);
HRESULT ApplyFlashSize(IWorkspace* workspace, LONG bytes, std::string* what);
HRESULT ApplyLogoEdit(IWorkspace* workspace, const LogoEdit& edit, std::string* what);

} // namespace cvktool
