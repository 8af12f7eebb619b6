// libFuzzer target: the edits file of `cvk apply`, read into its list of edits.
#include "client/edits/edit_list.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Edits files are a few kilobytes; larger inputs only slow the search down.
    if (size > (1u << 16))
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    cvkedit::EditList edits;
    std::string error;
    cvkedit::ParseEditList(text, "/edits", &edits, &error);
    return 0;
}
