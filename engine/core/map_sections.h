// The sections of a BIOS map file as plain records, and the bounded reader that parses them.
#pragma once

#include "platform/com/types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cvk {

// The nine sections, numbered in the order in which they are loaded.
enum class MapSection {
    BuildInfo = 0,
    TokenList,
    ControlList,
    SetupTemplate,
    PortableCmosInfo,
    SplashInfo,
    LanguageInfo,
    StringTable,
    EndChecksum,
};
constexpr int kMapSectionCount = 9;

// The name field of a section's tag ("AboutThisBIOSBuild", "NVStorageTokenList", ...).
const char* MapSectionName(MapSection section);

// A file string is kept as its raw Windows-1252 bytes without the NUL: the CMOS string rules
// act on bytes, before any decoding.
using FileString = std::string;
constexpr std::size_t kFileStringMax = 256;

struct SectionHeader {
    std::uint32_t first = 0;
    std::uint32_t second = 0; // its low 16 bits must be zero
    bool operator==(const SectionHeader&) const = default;
};

// Reads little-endian items from the bytes of a map file. Every read checks what remains, so a
// file that ends inside a section fails with E_IMAGE_FORMAT instead of being read past its end.
class MapReader {
public:
    explicit MapReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return bytes_.size() - pos_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    HRESULT Seek(std::size_t pos);

    HRESULT ReadU8(std::uint8_t& value);
    HRESULT ReadU16(std::uint16_t& value);
    HRESULT ReadU32(std::uint32_t& value);
    HRESULT ReadBytes(std::size_t count, std::uint8_t* out);
    HRESULT Skip(std::size_t count);
    // Takes bytes up to and including a NUL, or 256 bytes when no NUL comes first.
    HRESULT ReadFileString(FileString& text);
    // Both header words; a second word with nonzero low 16 bits is a malformed file.
    HRESULT ReadSectionHeader(SectionHeader& header);
    // A count of records read from the file may not ask for more than the rest of the file can
    // hold, given the smallest size a record can have; this bounds every allocation.
    HRESULT CheckCount(std::uint32_t count, std::size_t minRecordSize) const;

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// $AboutThisBIOSBuild: the build identification and the lock/hide limits.
struct BuildInfo {
    using TextTriple = std::array<FileString, 3>;

    SectionHeader header;
    std::array<std::uint16_t, 4> words{};
    FileString text1;
    FileString buildDateStamp; // "yymmdd" and two more digit pairs, as stored
    FileString biosVersion;
    FileString biosId;
    FileString text5;
    std::uint32_t maxLockSettings = 0;
    std::uint32_t maxHideSettings = 0;
    std::vector<TextTriple> triples;

    bool operator==(const BuildInfo&) const = default;
    void Clear() { *this = BuildInfo{}; }
    HRESULT Parse(MapReader& in);

    // "15 Jul 2003", or empty when the stamp is malformed.
    std::u16string BuildDate() const;
    std::u16string BiosVersion() const;
    std::u16string BiosId() const;
    std::uint32_t MaxNumLockSettings() const { return maxLockSettings; }
    std::uint32_t MaxNumHideSettings() const { return maxHideSettings; }
};

// The display date of a build date stamp ("0307150930" -> "15 Jul 2003"); empty when the stamp
// is not ten characters of five decimal digit pairs with a month of 1 to 12.
std::string FormatBuildDate(const std::string& stamp);

// NVStorageTokenList: one 32-byte record per NV storage token.
struct TokenRecord {
    std::uint32_t kept0 = 0;
    std::uint16_t tokenId = 0;
    std::uint32_t attributes = 0;
    std::uint16_t bitOffset = 0;
    std::uint16_t bitMask = 0;
    std::uint16_t bitSize = 0;
    std::uint16_t defaultValue = 0;
    std::uint16_t kept18 = 0;
    std::uint32_t kept20 = 0;
    std::uint32_t kept24 = 0;
    std::uint32_t kept28 = 0;
    bool operator==(const TokenRecord&) const = default;
};
constexpr std::size_t kTokenRecordSize = 32;

struct TokenList {
    SectionHeader header;
    std::vector<TokenRecord> records;

    bool operator==(const TokenList&) const = default;
    void Clear() { *this = TokenList{}; }
    HRESULT Parse(MapReader& in);
    // The first record with this token ID, or null.
    const TokenRecord* Find(std::uint16_t tokenId) const;
};

// ControlDatabaseList: one variable-length record per setup control.
struct ControlOption {
    std::uint16_t stringId = 0;
    std::uint16_t value = 0;
    bool operator==(const ControlOption&) const = default;
};

struct ControlRecord {
    static constexpr std::uint16_t kOptionListFlag = 0x0002;
    static constexpr std::uint16_t kHelpFlag = 0x0080;

    std::uint32_t kept1 = 0;
    std::uint16_t kept2 = 0;
    std::uint16_t type = 0; // 1 and 7 are settings; 2 and 3 lay the type block out otherwise
    std::uint16_t controlId = 0;
    std::uint16_t promptStringId = 0;
    std::array<std::uint32_t, 6> kept6{};
    std::uint16_t optionFlags = 0;
    std::array<std::uint16_t, 3> kept8{};
    std::array<std::uint16_t, 4> typeBlock{}; // [0] is the token ID unless type is 2 or 3
    std::uint16_t helpFlags = 0;
    std::uint16_t helpStringId = 0;
    std::array<std::uint16_t, 2> kept12{};
    std::uint16_t optionCount = 0; // always stored; the options follow only with the flag
    std::vector<ControlOption> options;

    bool operator==(const ControlRecord&) const = default;
    bool HasOptionList() const { return (optionFlags & kOptionListFlag) != 0; }
    bool HasHelp() const { return (helpFlags & kHelpFlag) != 0; }
    bool HasToken() const { return type != 2 && type != 3; }
    std::uint16_t TokenId() const { return typeBlock[0]; }
};
constexpr std::size_t kControlFixedSize = 62; // every field before the options

struct ControlList {
    SectionHeader header;
    std::vector<ControlRecord> records;

    bool operator==(const ControlList&) const = default;
    void Clear() { *this = ControlList{}; }
    HRESULT Parse(MapReader& in);
    const ControlRecord* Find(std::uint16_t controlId) const;
};

// SetupEngineTemplate: one record per setup form, each a list of 36-byte items.
struct TemplateItem {
    static constexpr std::uint16_t kSubGroup = 0x40;
    static constexpr std::uint16_t kSetting = 0x41;

    std::uint32_t kept0 = 0;
    std::uint16_t kept4 = 0;
    std::uint16_t type = 0;
    std::uint16_t kept8 = 0;
    std::uint16_t nameStringId = 0;  // sub-group items
    std::uint32_t controlId = 0;     // setting items
    std::uint32_t subTemplateId = 0; // sub-group items
    std::array<std::uint8_t, 16> kept20{};
    bool operator==(const TemplateItem&) const = default;
};
constexpr std::size_t kTemplateItemSize = 36;

// How deep a group tree may nest, in a map file's templates (the root form is depth 0) or a
// workspace file's records: far beyond any setup menu, and shallow enough that the recursive
// walks never exhaust the stack. A deeper sub-group is not read.
constexpr int kMaxGroupDepth = 64;

struct TemplateRecord {
    std::uint32_t templateId = 0;
    std::vector<TemplateItem> items;
    std::uint32_t trailer = 0; // kept
    bool operator==(const TemplateRecord&) const = default;
};

struct SetupTemplate {
    SectionHeader header;
    std::vector<TemplateRecord> records;

    bool operator==(const SetupTemplate&) const = default;
    void Clear() { *this = SetupTemplate{}; }
    HRESULT Parse(MapReader& in);
    const TemplateRecord* Find(std::uint32_t templateId) const;
};

// PortableCMOSInfo: the portable keyword of a token.
struct PortableRecord {
    FileString keyword;
    std::uint16_t tokenId = 0;
    bool operator==(const PortableRecord&) const = default;
};

struct PortableCmosInfo {
    SectionHeader header;
    std::vector<PortableRecord> records;

    bool operator==(const PortableCmosInfo&) const = default;
    void Clear() { *this = PortableCmosInfo{}; }
    HRESULT Parse(MapReader& in);
    // The first record for this token ID, or null.
    const PortableRecord* FindByToken(std::uint16_t tokenId) const;
};

// BIOSLanguageInfo: the built-in languages first, then one record per language pack.
struct LanguageSet {
    FileString name;
    std::vector<FileString> codes; // two-letter codes
    bool operator==(const LanguageSet&) const = default;
};

struct LanguageInfo {
    SectionHeader header;
    std::vector<LanguageSet> records;

    bool operator==(const LanguageInfo&) const = default;
    void Clear() { *this = LanguageInfo{}; }
    HRESULT Parse(MapReader& in);
};

// SplashBIOSInfo and EndOfFileCheckSum: stored, read by nothing in the engine.
struct SplashInfo {
    SectionHeader header;
    std::array<std::uint32_t, 4> words{};
    FileString text1;
    FileString text2;

    bool operator==(const SplashInfo&) const = default;
    void Clear() { *this = SplashInfo{}; }
    HRESULT Parse(MapReader& in);
};

struct EndChecksum {
    SectionHeader header;
    std::array<std::uint32_t, 2> words{};

    bool operator==(const EndChecksum&) const = default;
    void Clear() { *this = EndChecksum{}; }
    HRESULT Parse(MapReader& in);
};

// The fixed fields of BIOSStringUs between the common header and the string area.
struct StringTableHeader {
    SectionHeader header;
    std::uint32_t kept1 = 0;
    std::uint32_t kept2 = 0;
    std::array<std::uint8_t, 4> text4{};
    std::array<std::uint8_t, 2> text2{};
    std::uint16_t kept3 = 0;
    std::array<std::uint32_t, 4> kept4{};
    bool operator==(const StringTableHeader&) const = default;
};
constexpr std::size_t kStringTableFixedSize = 32; // after the common header

// BIOSStringUs. The string area that starts at the base B is a table of u16 offsets (string i's
// at B + 2i) followed by the file strings they point to (string i at B + offset). Strings are
// looked up on demand in the map file's bytes, which the owning BiosImage keeps in memory.
class BiosStringTable {
public:
    static constexpr std::uint16_t kNoString = 0xFFFF;

    void Clear() { *this = BiosStringTable{}; }
    HRESULT Parse(MapReader& in, std::span<const std::uint8_t> file);

    const StringTableHeader& Header() const { return fixed_; }
    std::size_t Base() const { return base_; }

    // The raw bytes of string `id`: S_OK with a non-empty string, S_FALSE for kNoString or an
    // empty string, E_FAIL when the offset or the string lies outside the file.
    HRESULT ReadRaw(std::uint16_t id, FileString& bytes) const;
    // The display text of string `id` as setup shows it: ReadRaw's statuses, with the byte rules
    // of ApplyDisplayRules applied before decoding from Windows-1252.
    HRESULT Lookup(std::uint16_t id, std::u16string& text) const;

    // 0xAB stands for ".5" and 0xAC for ".25" (whatever follows either is dropped), and an
    // "IDE Master"/"IDE Slave" prompt is cut at the first ":" that has a space somewhere before
    // it and loses its trailing blanks.
    static FileString ApplyDisplayRules(FileString bytes);

private:
    StringTableHeader fixed_;
    std::span<const std::uint8_t> file_;
    std::size_t base_ = 0;
    bool parsed_ = false;
};

} // namespace cvk
