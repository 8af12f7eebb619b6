// The words of an output failure: which file or folder, and what is wrong with it.
#pragma once

#include "platform/com/types.h"

#include <string>
#include <string_view>

namespace cvk {

// Whether `name` is a DOS base file name: 1 to 8 characters, each a letter, a digit or one of
// !#$%&'()-@^_`{}~ (no blank, no dot, no separator).
bool IsDosBaseName(std::u16string_view name);

// Sets the error info for a base name that IsDosBaseName refuses and returns E_FAIL.
HRESULT ReportBadBaseName(std::u16string_view source, std::u16string_view name);

// Sets the error info for a target folder that does not exist and returns E_FAIL.
HRESULT ReportMissingFolder(std::u16string_view source, std::u16string_view folder);

// Sets the error info for a file that could not be written and returns E_FAIL. The cause is
// taken from `storageStatus` when it names one (missing folder, access denied, disk full) and
// otherwise looked for on the disk.
HRESULT ReportWriteFailure(std::u16string_view source, const std::string& utf8Path,
                           HRESULT storageStatus = E_FAIL);

} // namespace cvk
