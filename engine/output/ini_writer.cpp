// The engine's INI writer: the header of a new file and the commenting-out of stray lines.
#include "engine/output/ini_writer.h"

#include "platform/text/codepage.h"

namespace cvk {

bool IniWriter::WriteNewFileHeader(text::TextWriter& out) {
    static constexpr std::u16string_view kHeader[] = {
        u";",
        u"; cvtool INI file",
        u"; Halvex(R) Corvane",
        u"; Copyright (C) 2001-2003 Halvex Corporation.",
        u"; All rights reserved.",
        u";",
        u"; Warning: DO NOT REMOVE OR EDIT CORVANE SECTIONS OR",
        u";          KEYWORDS.  Doing so may cause unexpected results.",
        u";          SMBIOS strings may be edited.  Refer to the ",
        u";          cvtool.CHM file for instructions.",
        u";",
        u"",
    };
    for (std::u16string_view line : kHeader)
        out.WriteLine(line);
    return true;
}

bool IniWriter::CommentOutLine(std::string& line) {
    line.insert(line.begin(), ';');
    return true;
}

std::uint16_t IniChecksum(std::string_view bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        sum += static_cast<std::uint8_t>(bytes[i]) ^ static_cast<std::uint8_t>(i & 0xFF);
    return static_cast<std::uint16_t>(0x10000u - (sum & 0xFFFF));
}

std::string IniLineText(std::u16string_view text) {
    std::u16string line(text);
    for (char16_t& c : line)
        if (c < 0x20 || c == 0x7F)
            c = u' ';
    return text::EncodeWindows1252(line);
}

} // namespace cvk
