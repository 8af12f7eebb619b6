// The cvk commands, each given its parsed arguments and returning the program's exit status.
#pragma once

#include "platform/com/types.h"

#include <optional>
#include <string>

namespace cvktool {

struct NewOptions {
    std::string mapFile;
    std::string outFile;
    // None: the default set (cmos, thermal, smbios, and flex when the map file's flash image is
    // a modular BIOS).
    std::optional<LONG> mask;
};

int RunNew(const NewOptions& options);
int RunInfo(const std::string& workspaceFile);
int RunShow(const std::string& workspaceFile, bool json);
int RunVersion();

} // namespace cvktool
