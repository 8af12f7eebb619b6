// The user's words of the media set: numbered messages of the program's string table.
#include "media/messages.h"

namespace cvk::media {

std::string FillIn(std::string text, std::initializer_list<std::string> values) {
    std::size_t at = 0;
    for (const std::string& value : values) {
        at = text.find("%s", at);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, value);
        at += value.size();
    }
    return text;
}

} // namespace cvk::media
