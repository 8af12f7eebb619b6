// BMP and JPEG size probing: the BMP file and DIB headers, and the JPEG frame (SOFn) markers.
#include "modweave/picture_info.h"

#include <cstdlib>

namespace modweave {
namespace {

std::uint32_t Le16(std::string_view b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}
std::uint32_t Le32(std::string_view b, std::size_t at) {
    return Le16(b, at) | Le16(b, at + 2) << 16;
}
std::uint32_t Be16(std::string_view b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) << 8 | static_cast<std::uint8_t>(b[at + 1]);
}
std::uint8_t Byte(std::string_view b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]);
}

constexpr std::size_t kBmpFileHeader = 14;
constexpr std::uint32_t kBmpCoreHeader = 12; // OS/2 headers carry 16-bit sizes
constexpr std::uint32_t kBmpInfoHeader = 40;

PictureInfo ProbeBmp(std::string_view b) {
    PictureInfo info;
    if (b.size() < kBmpFileHeader + 4)
        return info;
    std::uint32_t dibSize = Le32(b, kBmpFileHeader);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (dibSize == kBmpCoreHeader) {
        if (b.size() < kBmpFileHeader + kBmpCoreHeader)
            return info;
        width = Le16(b, 18);
        height = Le16(b, 20);
    } else if (dibSize >= kBmpInfoHeader) {
        if (b.size() < kBmpFileHeader + kBmpInfoHeader)
            return info;
        auto w = static_cast<std::int32_t>(Le32(b, 18));
        auto h = static_cast<std::int32_t>(Le32(b, 22));
        // A negative height marks a top-down bitmap; a negative width is invalid.
        if (w <= 0 || h == INT32_MIN)
            return info;
        width = static_cast<std::uint32_t>(w);
        height = static_cast<std::uint32_t>(h < 0 ? -h : h);
    } else {
        return info;
    }
    if (width == 0 || height == 0)
        return info;
    return PictureInfo{PictureFormat::Bmp, width, height};
}

bool IsFrameMarker(std::uint8_t m) {
    // SOF0-SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}
bool IsStandalone(std::uint8_t m) {
    return m == 0x01 || (m >= 0xD0 && m <= 0xD7);
}

// Walks the marker segments up to the first frame header; each step moves forward, so the walk
// ends within the data.
PictureInfo ProbeJpeg(std::string_view b) {
    PictureInfo info;
    std::size_t at = 2;
    while (at + 4 <= b.size()) {
        if (Byte(b, at) != 0xFF)
            return info;
        std::uint8_t marker = Byte(b, at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (IsStandalone(marker)) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // end of image or scan before any frame
            return info;
        std::uint32_t length = Be16(b, at + 2);
        if (length < 2)
            return info;
        if (IsFrameMarker(marker)) {
            // length(2) precision(1) height(2) width(2)
            if (length < 7 || at + 9 > b.size())
                return info;
            std::uint32_t height = Be16(b, at + 5);
            std::uint32_t width = Be16(b, at + 7);
            if (width == 0 || height == 0)
                return info;
            return PictureInfo{PictureFormat::Jpeg, width, height};
        }
        at += 2 + length;
    }
    return info;
}

} // namespace

PictureInfo ProbePicture(std::string_view bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return ProbeBmp(bytes);
    if (bytes.size() >= 3 && Byte(bytes, 0) == 0xFF && Byte(bytes, 1) == 0xD8 &&
        Byte(bytes, 2) == 0xFF)
        return ProbeJpeg(bytes);
    return {};
}

} // namespace modweave
