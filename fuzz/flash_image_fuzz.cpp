// libFuzzer target: the flash image reader, over one file, a chain and a bare image body.
#include "modweave/image_format.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    modweave::Image image;
    std::string why;
    modweave::DecodeBody(bytes, &image, &why);
    // The input is the first file; every continuation it names is its second half, so that
    // chains of any length, loops and mismatched parts are all reachable.
    std::string second(bytes.substr(size / 2));
    modweave::FileLoader load = [&second](const std::string&, std::string* out) {
        *out = second;
        return true;
    };
    modweave::ReadImageChain(bytes, "FUZZ.BIO", load, &image);
    return 0;
}
