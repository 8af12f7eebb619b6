// CR LF text output in the code page of generated files.
#include "platform/text/text_writer.h"

#include "platform/text/codepage.h"

namespace cvk::text {

void TextWriter::Write(std::u16string_view text) {
    bytes_ += EncodeWindows1252(text);
}

void TextWriter::WriteLine(std::u16string_view text) {
    Write(text);
    bytes_ += "\r\n";
}

} // namespace cvk::text
