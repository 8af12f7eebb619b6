// The DOS batch files of the production media: cvk.bat and the call to it in autoexec.bat.
#pragma once

#include "platform/com/types.h"

#include <string>
#include <string_view>

namespace cvk {

// The batch file's name, and the marker file through which it resumes after a reboot.
inline constexpr char16_t kBatchFileName[] = u"cvk.bat";
inline constexpr char16_t kAutoexecFileName[] = u"autoexec.bat";
inline constexpr char16_t kBatchMarkerFile[] = u"temp.txt";

// Bits of the command mask: which extra files the DOS tool writes.
inline constexpr LONG kBatchCommandLog = 1;
inline constexpr LONG kBatchCommandReport = 2;

// What cvk.bat is made from. The names are file names on the media, without a folder.
struct BatchOptions {
    std::u16string baseName; // names the INI file, the report and the log
    std::u16string biosName; // BIOS file to flash; empty for none
    std::u16string langPackName;
    LONG subsysMask = 0; // subsystems to install; 0 for no install command
    LONG commandMask = 0;
};

// The bytes of cvk.bat: Windows-1252 text with CR LF line ends.
std::string BatchFileText(const BatchOptions& options);

// Writes cvk.bat into `dir` (UTF-8), replacing an earlier one whole or not at all.
HRESULT WriteBatchFile(const std::string& dir, const BatchOptions& options);

// Whether a line of autoexec.bat, other than a REM or :: line, already calls cvk.bat.
bool AutoexecCallsBatch(std::string_view autoexecBytes);

// The lines appended to autoexec.bat to call cvk.bat.
std::string AutoexecCallText();

// Makes autoexec.bat in `dir` call cvk.bat: appends the call unless a line already makes it,
// and creates the file when it is missing.
HRESULT AddBatchCallToAutoexec(const std::string& dir);

} // namespace cvk
