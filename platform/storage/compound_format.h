// Fixed values and little-endian field access of the compound file format.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cvk::storage::format {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirEntrySize = 128;
constexpr std::uint32_t kMiniStreamCutoff = 4096;
constexpr std::uint32_t kMiniSectorSize = 64;
constexpr std::uint32_t kMaxNameUnits = 31; // plus the terminating zero: 64 bytes

// Special sector numbers.
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

// Directory entry types and colours.
constexpr std::uint8_t kTypeUnused = 0;
constexpr std::uint8_t kTypeStorage = 1;
constexpr std::uint8_t kTypeStream = 2;
constexpr std::uint8_t kTypeRoot = 5;
constexpr std::uint8_t kRed = 0;
constexpr std::uint8_t kBlack = 1;

// Header field offsets.
constexpr std::size_t kOffMinorVersion = 0x18;
constexpr std::size_t kOffMajorVersion = 0x1A;
constexpr std::size_t kOffByteOrder = 0x1C;
constexpr std::size_t kOffSectorShift = 0x1E;
constexpr std::size_t kOffMiniSectorShift = 0x20;
constexpr std::size_t kOffNumDirSectors = 0x28;
constexpr std::size_t kOffNumFatSectors = 0x2C;
constexpr std::size_t kOffFirstDirSector = 0x30;
constexpr std::size_t kOffMiniCutoff = 0x38;
constexpr std::size_t kOffFirstMiniFat = 0x3C;
constexpr std::size_t kOffNumMiniFat = 0x40;
constexpr std::size_t kOffFirstDifat = 0x44;
constexpr std::size_t kOffNumDifat = 0x48;
constexpr std::size_t kOffDifat = 0x4C;

// Directory entry field offsets.
constexpr std::size_t kOffEntryNameLength = 0x40;
constexpr std::size_t kOffEntryType = 0x42;
constexpr std::size_t kOffEntryColour = 0x43;
constexpr std::size_t kOffEntryLeft = 0x44;
constexpr std::size_t kOffEntryRight = 0x48;
constexpr std::size_t kOffEntryChild = 0x4C;
constexpr std::size_t kOffEntryStart = 0x74;
constexpr std::size_t kOffEntrySize = 0x78;

inline std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t Get64(const std::uint8_t* p) {
    return Get32(p) | (static_cast<std::uint64_t>(Get32(p + 4)) << 32);
}
inline void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void Put64(std::uint8_t* p, std::uint64_t v) {
    Put32(p, static_cast<std::uint32_t>(v));
    Put32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// Directory names compare by length first, then unit by unit in upper case. Only ASCII and
// Latin-1 letters are folded; other units compare as they are.
inline char16_t UpperUnit(char16_t c) {
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    return c;
}

} // namespace cvk::storage::format
