// Picture sizes from JPEG start-of-frame segments and BMP information headers.
#include "client/edits/image_size.h"

#include "client/edits/edit_support.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace cvkedit {
namespace {

using Bytes = std::vector<unsigned char>;

unsigned BigEndian16(const Bytes& bytes, std::size_t at) {
    return (bytes[at] << 8) | bytes[at + 1];
}

std::int32_t LittleEndian32(const Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes[at + i];
    return static_cast<std::int32_t>(value);
}

// Start-of-frame markers carry the size; 0xC4 (Huffman tables), 0xC8 and 0xCC do not.
bool IsStartOfFrame(unsigned marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool JpegSize(const Bytes& bytes, LONG* width, LONG* height) {
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF)
            return false;
        const unsigned marker = bytes[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // end of image, or scan data before any frame
            return false;
        const std::size_t length = BigEndian16(bytes, at + 2);
        if (length < 2)
            return false;
        if (IsStartOfFrame(marker)) {
            if (at + 9 > bytes.size() || length < 7)
                return false;
            *height = static_cast<LONG>(BigEndian16(bytes, at + 5));
            *width = static_cast<LONG>(BigEndian16(bytes, at + 7));
            return true;
        }
        at += 2 + length;
    }
    return false;
}

bool BmpSize(const Bytes& bytes, LONG* width, LONG* height) {
    if (bytes.size() < 26)
        return false;
    const std::int32_t headerSize = LittleEndian32(bytes, 14);
    if (headerSize == 12) { // the old core header: 16-bit sizes
        *width = static_cast<LONG>(bytes[18] | (bytes[19] << 8));
        *height = static_cast<LONG>(bytes[20] | (bytes[21] << 8));
        return true;
    }
    if (headerSize < 40)
        return false;
    const std::int32_t w = LittleEndian32(bytes, 18), h = LittleEndian32(bytes, 22);
    // A negative height marks a top-down picture of the same size.
    if (w <= 0 || h == INT32_MIN)
        return false;
    *width = w;
    *height = h < 0 ? -h : h;
    return true;
}

} // namespace

HRESULT ReadImageSize(const std::string& file, LONG* width, LONG* height, std::string* why) {
    if (!IsRegularFile(file, why))
        return E_FAIL;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *why = "cannot read the picture \"" + file + "\"";
        return E_FAIL;
    }
    // Headers come first; a size beyond the first megabyte would be a damaged file.
    Bytes bytes(1 << 20);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    bool known = false;
    if (bytes.size() >= 4 && bytes[0] == 0xFF && bytes[1] == 0xD8)
        known = JpegSize(bytes, width, height);
    else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        known = BmpSize(bytes, width, height);
    if (known && *width > 0 && *height > 0)
        return S_OK;
    *why = "\"" + file + "\" is not a JPEG or BMP picture whose size can be read";
    return E_FAIL;
}

} // namespace cvkedit
