// What an SMBIOS value may hold: cvk and the GUI's SMBIOS list refuse control characters and
// warn of characters that the INI file's code page lacks, with these sentences.
#pragma once

#include <string>
#include <string_view>

namespace cvkclient {

// Control characters would reach the INI file as raw bytes that the DOS tool reads as part of
// the file's own syntax. Line breaks are let through: the INI writer turns them into blanks.
// The refusal names the first one; empty when the value holds none.
std::string SmbiosControlRefusal(const std::string& name, std::u16string_view value);

// The characters of the value that Windows-1252 lacks are written as "?": the warning names
// each once, as "X" (U+XXXX); empty when the code page holds them all.
std::string SmbiosCodePageWarning(const std::string& name, std::u16string_view value);

} // namespace cvkclient
