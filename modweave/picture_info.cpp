// BMP and JPEG probing: sizes from the headers, and the whole file checked against them.
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

// Bit depths and compressions a BMP decoder of the firmware knows.
bool KnownBmpDepth(std::uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}
constexpr std::uint32_t kBmpRgb = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitFields = 3;

// The pixel data lies within the file: uncompressed rows (each padded to 4 bytes) for the
// whole height, or the compressed size the header gives.
bool BmpPixelsFit(std::string_view b, std::uint32_t dibSize, std::uint32_t width,
                  std::uint32_t height, std::uint32_t bits, std::uint32_t compression) {
    const std::uint64_t offset = Le32(b, 10);
    if (offset < kBmpFileHeader + dibSize || offset > b.size())
        return false;
    std::uint64_t pixels = 0;
    if (compression == kBmpRgb || compression == kBmpBitFields) {
        pixels = (std::uint64_t{width} * bits + 31) / 32 * 4 * height;
    } else {
        pixels = dibSize >= kBmpInfoHeader ? Le32(b, 34) : 0;
        if (pixels == 0)
            return false;
    }
    return pixels <= b.size() - offset;
}

PictureInfo ProbeBmp(std::string_view b) {
    PictureInfo info;
    if (b.size() < kBmpFileHeader + 4)
        return info;
    std::uint32_t dibSize = Le32(b, kBmpFileHeader);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t planes = 0, bits = 0, compression = kBmpRgb;
    if (dibSize == kBmpCoreHeader) {
        if (b.size() < kBmpFileHeader + kBmpCoreHeader)
            return info;
        width = Le16(b, 18);
        height = Le16(b, 20);
        planes = Le16(b, 22);
        bits = Le16(b, 24);
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
        planes = Le16(b, 26);
        bits = Le16(b, 28);
        compression = Le32(b, 30);
    } else {
        return info;
    }
    if (width == 0 || height == 0 || planes != 1 || !KnownBmpDepth(bits))
        return info;
    const bool compressionFits = compression == kBmpRgb || (compression == kBmpRle8 && bits == 8) ||
                                 (compression == kBmpRle4 && bits == 4) ||
                                 (compression == kBmpBitFields && (bits == 16 || bits == 32));
    if (!compressionFits || !BmpPixelsFit(b, dibSize, width, height, bits, compression))
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

// Skips the entropy-coded data after a scan header: it ends at the first marker other than a
// stuffed zero or a restart marker. Returns the marker's position, or the end of the data.
std::size_t SkipScanData(std::string_view b, std::size_t at) {
    while (at + 1 < b.size()) {
        if (Byte(b, at) == 0xFF) {
            const std::uint8_t next = Byte(b, at + 1);
            if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
                return at;
        }
        ++at;
    }
    return b.size();
}

// Walks the marker segments from SOI to EOI; each step moves forward, so the walk ends within
// the data. A picture is whole when a complete frame header comes before any scan and the
// segments reach EOI.
PictureInfo ProbeJpeg(std::string_view b) {
    PictureInfo info;
    PictureInfo frame;
    std::size_t at = 2;
    while (at + 2 <= b.size()) {
        if (Byte(b, at) != 0xFF)
            return info;
        std::uint8_t marker = Byte(b, at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD9) // end of image
            return frame;
        if (IsStandalone(marker)) {
            at += 2;
            continue;
        }
        if (marker == 0xD8 || at + 4 > b.size())
            return info;
        const std::uint32_t length = Be16(b, at + 2);
        if (length < 2 || at + 2 + length > b.size())
            return info;
        if (IsFrameMarker(marker)) {
            // length(2) precision(1) height(2) width(2) components(1), 3 bytes per component
            if (frame.format != PictureFormat::Unknown || length < 8)
                return info;
            const std::uint32_t components = Byte(b, at + 9);
            const std::uint32_t height = Be16(b, at + 5);
            const std::uint32_t width = Be16(b, at + 7);
            if (width == 0 || height == 0 || components == 0 || length != 8 + 3 * components)
                return info;
            frame = PictureInfo{PictureFormat::Jpeg, width, height};
        }
        if (marker == 0xDA) { // a scan: its header, then its coded data
            if (frame.format == PictureFormat::Unknown)
                return info;
            at = SkipScanData(b, at + 2 + length);
            continue;
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
