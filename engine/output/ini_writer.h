// IniWriter: the engine's INI document, with the header every file it writes begins with.
#pragma once

#include "engine/output/ini_file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace cvk {

class IniWriter : public IniFile {
public:
    bool WriteNewFileHeader(text::TextWriter& out) override;
    // Puts ";" in front of the line.
    bool CommentOutLine(std::string& line) override;
};

// The checksum the DOS tool checks the reference BIOS ID with: the sum, modulo 65536, of every
// byte XOR-ed with the low 8 bits of its index, negated (a sum of 0 stays 0). The CMOS buffers
// use the same sum.
std::uint16_t IniChecksum(std::string_view bytes);

// A value or key as one line of INI text in Windows-1252: line breaks become blanks, since one
// inside a value would start a line that the DOS tool reads as a key or section of its own, and
// so do the other control characters, which would reach the DOS tool as raw bytes (a NUL).
std::string IniLineText(std::u16string_view text);

} // namespace cvk
