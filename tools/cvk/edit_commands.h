// The cvk commands that edit a workspace or write its outputs, each given its parsed arguments
// and returning the program's exit status.
#pragma once

#include "client/edits/module_edits.h"
#include "platform/com/types.h"

#include <optional>
#include <string>
#include <vector>

namespace cvktool {

// CMOS settings.
enum class Mark { kLock, kUnlock, kHide, kUnhide };
int RunSet(const std::string& workspace, const std::vector<std::string>& assignments);
int RunMark(const std::string& workspace, Mark mark, const std::vector<std::string>& names);
int RunReviewed(const std::string& workspace);
int RunDefaults(const std::string& workspace);

// The workspace as a whole.
int RunComponents(const std::string& workspace, LONG mask);
int RunUpdate(const std::string& workspace, const std::string& mapFile);
int RunApply(const std::string& workspace, const std::string& editsFile);

// SMBIOS strings and thermal settings.
int RunSmbios(const std::string& workspace, const std::vector<std::string>& assignments,
              std::optional<bool> prompt);
int RunThermal(const std::string& workspace, const std::vector<std::string>& assignments);

// BIOS modules.
int RunModules(const std::string& workspace);
int RunModule(const std::string& workspace, LONG handle, bool in);
int RunFlashSize(const std::string& workspace, LONG bytes);
int RunLogo(const std::string& workspace, const cvkedit::LogoEdit& edit);
int RunBios(const std::string& workspace, const std::string& outFile);

// Outputs. A mask of none means the workspace's own components.
int RunIni(const std::string& workspace, const std::string& outFile, std::optional<LONG> mask);
int RunReport(const std::string& workspace, const std::string& outFile, std::optional<LONG> mask);
struct BatchOptions {
    std::string folder;
    std::string baseName = "cvtool";
    std::string biosFile;
    std::string langFile;
    std::optional<LONG> mask;
    bool log = false;
    bool report = false;
};
int RunBatch(const std::string& workspace, const BatchOptions& options);

} // namespace cvktool
