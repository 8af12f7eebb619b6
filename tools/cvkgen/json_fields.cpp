// The shared field checks of the board description reader.
#include "tools/cvkgen/json_fields.h"

#include "platform/text/codepage.h"
#include "tools/cvkgen/map_writer.h"

namespace cvkgen {

void Fail(const std::string& where, const std::string& what) {
    throw BoardError(where + ": " + what);
}

void CheckKeys(const nlohmann::json& object, const std::string& where,
               std::initializer_list<const char*> allowed) {
    if (!object.is_object())
        Fail(where, "expected an object");
    for (const auto& [key, value] : object.items()) {
        bool known = false;
        for (const char* name : allowed)
            known = known || key == name;
        if (!known)
            Fail(where, "unknown key \"" + key + "\"");
    }
}

std::uint64_t ToUnsigned(const nlohmann::json& value, const std::string& where, std::uint64_t max) {
    std::uint64_t result = 0;
    if (value.is_number_unsigned()) {
        result = value.get<std::uint64_t>();
    } else if (value.is_string()) {
        const std::string text = value.get<std::string>();
        std::size_t used = 0;
        try {
            result = std::stoull(text, &used, 0);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != text.size())
            Fail(where, "\"" + text + "\" is not a number");
    } else {
        Fail(where, "expected a non-negative number");
    }
    if (result > max)
        Fail(where, std::to_string(result) + " is above " + std::to_string(max));
    return result;
}

std::string ToWindows1252(const nlohmann::json& value, const std::string& where) {
    if (!value.is_string())
        Fail(where, "expected a string");
    const std::u16string wide = cvk::text::Utf8ToUtf16(value.get<std::string>());
    std::string bytes = cvk::text::EncodeWindows1252(wide);
    if (cvk::text::DecodeWindows1252(bytes) != wide)
        Fail(where, "has characters that Windows-1252 lacks");
    return bytes;
}

} // namespace cvkgen
