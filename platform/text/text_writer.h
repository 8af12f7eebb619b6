// Builds the bytes of a generated text file: Windows-1252 text with CR LF line ends.
#pragma once

#include <string>
#include <string_view>

namespace cvk::text {

class TextWriter {
public:
    // Appends text without ending the line.
    void Write(std::u16string_view text);
    // Appends text and ends the line with CR LF.
    void WriteLine(std::u16string_view text = {});
    // Appends bytes that are already in the code page.
    void WriteRaw(std::string_view bytes) { bytes_.append(bytes); }

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

} // namespace cvk::text
