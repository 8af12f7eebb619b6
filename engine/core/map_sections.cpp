// Parsing of the BIOS map file's sections and the lookups on their records.
#include "engine/core/map_sections.h"

#include "engine/include/engine_status.h"
#include "platform/text/codepage.h"

#include <algorithm>
#include <cstring>

namespace cvk {

#ifndef RETURN_IF_FAILED
#define RETURN_IF_FAILED(expr)                                                                     \
    do {                                                                                           \
        const HRESULT hr_ = (expr);                                                                \
        if (FAILED(hr_))                                                                           \
            return hr_;                                                                            \
    } while (0)
#endif

namespace {

constexpr std::size_t kFileStringMin = 1; // a lone NUL
constexpr std::size_t kTemplateRecordMin = 12;
constexpr std::size_t kPortableRecordMin = kFileStringMin + 2;
constexpr std::size_t kLanguageSetMin = kFileStringMin + 4;

HRESULT ReadU16Array(MapReader& in, std::uint16_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        RETURN_IF_FAILED(in.ReadU16(out[i]));
    return S_OK;
}

HRESULT ReadU32Array(MapReader& in, std::uint32_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        RETURN_IF_FAILED(in.ReadU32(out[i]));
    return S_OK;
}

// The header and the record count of a list section, the count checked against the file.
HRESULT ReadListStart(MapReader& in, SectionHeader& header, std::uint32_t& count,
                      std::size_t minRecordSize) {
    RETURN_IF_FAILED(in.ReadSectionHeader(header));
    RETURN_IF_FAILED(in.ReadU32(count));
    return in.CheckCount(count, minRecordSize);
}

bool ParsePair(const std::string& stamp, std::size_t at, int& value) {
    const char hi = stamp[at];
    const char lo = stamp[at + 1];
    if (hi < '0' || hi > '9' || lo < '0' || lo > '9')
        return false;
    value = (hi - '0') * 10 + (lo - '0');
    return true;
}

} // namespace

const char* MapSectionName(MapSection section) {
    switch (section) {
    case MapSection::BuildInfo:
        return "AboutThisBIOSBuild";
    case MapSection::TokenList:
        return "NVStorageTokenList";
    case MapSection::ControlList:
        return "ControlDatabaseList";
    case MapSection::SetupTemplate:
        return "SetupEngineTemplate";
    case MapSection::PortableCmosInfo:
        return "PortableCMOSInfo";
    case MapSection::SplashInfo:
        return "SplashBIOSInfo";
    case MapSection::LanguageInfo:
        return "BIOSLanguageInfo";
    case MapSection::StringTable:
        return "BIOSStringUs";
    case MapSection::EndChecksum:
        return "EndOfFileCheckSum";
    }
    return "";
}

// ---- MapReader ----

HRESULT MapReader::Seek(std::size_t pos) {
    if (pos > bytes_.size())
        return E_FAIL;
    pos_ = pos;
    return S_OK;
}

HRESULT MapReader::ReadBytes(std::size_t count, std::uint8_t* out) {
    if (count > Remaining())
        return E_IMAGE_FORMAT;
    std::memcpy(out, bytes_.data() + pos_, count);
    pos_ += count;
    return S_OK;
}

HRESULT MapReader::Skip(std::size_t count) {
    if (count > Remaining())
        return E_IMAGE_FORMAT;
    pos_ += count;
    return S_OK;
}

HRESULT MapReader::ReadU8(std::uint8_t& value) {
    return ReadBytes(1, &value);
}

HRESULT MapReader::ReadU16(std::uint16_t& value) {
    std::uint8_t b[2];
    RETURN_IF_FAILED(ReadBytes(2, b));
    value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    return S_OK;
}

HRESULT MapReader::ReadU32(std::uint32_t& value) {
    std::uint8_t b[4];
    RETURN_IF_FAILED(ReadBytes(4, b));
    value = std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
            (std::uint32_t(b[3]) << 24);
    return S_OK;
}

HRESULT MapReader::ReadFileString(FileString& text) {
    const std::size_t window = std::min(Remaining(), kFileStringMax);
    const std::uint8_t* start = bytes_.data() + pos_;
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(start, 0, window));
    if (nul) {
        text.assign(reinterpret_cast<const char*>(start), nul - start);
        pos_ += (nul - start) + 1;
        return S_OK;
    }
    // No NUL: a full 256 bytes are the text; fewer mean the file ended inside the string.
    if (window < kFileStringMax)
        return E_IMAGE_FORMAT;
    text.assign(reinterpret_cast<const char*>(start), kFileStringMax);
    pos_ += kFileStringMax;
    return S_OK;
}

HRESULT MapReader::ReadSectionHeader(SectionHeader& header) {
    RETURN_IF_FAILED(ReadU32(header.first));
    RETURN_IF_FAILED(ReadU32(header.second));
    return (header.second & 0xFFFFu) == 0 ? S_OK : E_IMAGE_FORMAT;
}

HRESULT MapReader::CheckCount(std::uint32_t count, std::size_t minRecordSize) const {
    if (minRecordSize == 0 || count <= Remaining() / minRecordSize)
        return S_OK;
    return E_IMAGE_FORMAT;
}

// ---- BuildInfo ----

HRESULT BuildInfo::Parse(MapReader& in) {
    RETURN_IF_FAILED(in.ReadSectionHeader(header));
    RETURN_IF_FAILED(ReadU16Array(in, words.data(), words.size()));
    for (FileString* text : {&text1, &buildDateStamp, &biosVersion, &biosId, &text5})
        RETURN_IF_FAILED(in.ReadFileString(*text));
    RETURN_IF_FAILED(in.ReadU32(maxLockSettings));
    RETURN_IF_FAILED(in.ReadU32(maxHideSettings));
    std::uint32_t count = 0;
    RETURN_IF_FAILED(in.ReadU32(count));
    RETURN_IF_FAILED(in.CheckCount(count, 3 * kFileStringMin));
    triples.resize(count);
    for (TextTriple& triple : triples)
        for (FileString& text : triple)
            RETURN_IF_FAILED(in.ReadFileString(text));
    return S_OK;
}

std::string FormatBuildDate(const std::string& stamp) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (stamp.size() != 10)
        return {};
    int pairs[5];
    for (int i = 0; i < 5; ++i)
        if (!ParsePair(stamp, 2 * i, pairs[i]))
            return {};
    const int year = pairs[0] < 70 ? 2000 + pairs[0] : 1900 + pairs[0];
    const int month = pairs[1];
    if (month < 1 || month > 12)
        return {};
    return std::to_string(pairs[2]) + " " + kMonths[month - 1] + " " + std::to_string(year);
}

std::u16string BuildInfo::BuildDate() const {
    return text::DecodeWindows1252(FormatBuildDate(buildDateStamp));
}

std::u16string BuildInfo::BiosVersion() const {
    return text::DecodeWindows1252(biosVersion);
}

std::u16string BuildInfo::BiosId() const {
    return text::DecodeWindows1252(biosId);
}

// ---- TokenList ----

HRESULT TokenList::Parse(MapReader& in) {
    std::uint32_t count = 0;
    RETURN_IF_FAILED(ReadListStart(in, header, count, kTokenRecordSize));
    records.resize(count);
    for (TokenRecord& r : records) {
        RETURN_IF_FAILED(in.ReadU32(r.kept0));
        RETURN_IF_FAILED(in.ReadU16(r.tokenId));
        RETURN_IF_FAILED(in.ReadU32(r.attributes));
        RETURN_IF_FAILED(in.ReadU16(r.bitOffset));
        RETURN_IF_FAILED(in.ReadU16(r.bitMask));
        RETURN_IF_FAILED(in.ReadU16(r.bitSize));
        RETURN_IF_FAILED(in.ReadU16(r.defaultValue));
        RETURN_IF_FAILED(in.ReadU16(r.kept18));
        RETURN_IF_FAILED(in.ReadU32(r.kept20));
        RETURN_IF_FAILED(in.ReadU32(r.kept24));
        RETURN_IF_FAILED(in.ReadU32(r.kept28));
    }
    return S_OK;
}

const TokenRecord* TokenList::Find(std::uint16_t tokenId) const {
    for (const TokenRecord& r : records)
        if (r.tokenId == tokenId)
            return &r;
    return nullptr;
}

// ---- ControlList ----

namespace {

HRESULT ReadControl(MapReader& in, ControlRecord& r) {
    RETURN_IF_FAILED(in.ReadU32(r.kept1));
    RETURN_IF_FAILED(in.ReadU16(r.kept2));
    RETURN_IF_FAILED(in.ReadU16(r.type));
    RETURN_IF_FAILED(in.ReadU16(r.controlId));
    RETURN_IF_FAILED(in.ReadU16(r.promptStringId));
    RETURN_IF_FAILED(ReadU32Array(in, r.kept6.data(), r.kept6.size()));
    RETURN_IF_FAILED(in.ReadU16(r.optionFlags));
    RETURN_IF_FAILED(ReadU16Array(in, r.kept8.data(), r.kept8.size()));
    RETURN_IF_FAILED(ReadU16Array(in, r.typeBlock.data(), r.typeBlock.size()));
    RETURN_IF_FAILED(in.ReadU16(r.helpFlags));
    RETURN_IF_FAILED(in.ReadU16(r.helpStringId));
    RETURN_IF_FAILED(ReadU16Array(in, r.kept12.data(), r.kept12.size()));
    RETURN_IF_FAILED(in.ReadU16(r.optionCount));
    if (!r.HasOptionList())
        return S_OK;
    RETURN_IF_FAILED(in.CheckCount(r.optionCount, 4));
    r.options.resize(r.optionCount);
    for (ControlOption& option : r.options) {
        RETURN_IF_FAILED(in.ReadU16(option.stringId));
        RETURN_IF_FAILED(in.ReadU16(option.value));
    }
    return S_OK;
}

} // namespace

HRESULT ControlList::Parse(MapReader& in) {
    std::uint32_t count = 0;
    RETURN_IF_FAILED(ReadListStart(in, header, count, kControlFixedSize));
    records.resize(count);
    for (ControlRecord& r : records)
        RETURN_IF_FAILED(ReadControl(in, r));
    return S_OK;
}

const ControlRecord* ControlList::Find(std::uint16_t controlId) const {
    for (const ControlRecord& r : records)
        if (r.controlId == controlId)
            return &r;
    return nullptr;
}

// ---- SetupTemplate ----

namespace {

HRESULT ReadTemplateItem(MapReader& in, TemplateItem& item) {
    RETURN_IF_FAILED(in.ReadU32(item.kept0));
    RETURN_IF_FAILED(in.ReadU16(item.kept4));
    RETURN_IF_FAILED(in.ReadU16(item.type));
    RETURN_IF_FAILED(in.ReadU16(item.kept8));
    RETURN_IF_FAILED(in.ReadU16(item.nameStringId));
    RETURN_IF_FAILED(in.ReadU32(item.controlId));
    RETURN_IF_FAILED(in.ReadU32(item.subTemplateId));
    return in.ReadBytes(item.kept20.size(), item.kept20.data());
}

} // namespace

HRESULT SetupTemplate::Parse(MapReader& in) {
    std::uint32_t count = 0;
    RETURN_IF_FAILED(ReadListStart(in, header, count, kTemplateRecordMin));
    records.resize(count);
    for (TemplateRecord& r : records) {
        RETURN_IF_FAILED(in.ReadU32(r.templateId));
        std::uint32_t items = 0;
        RETURN_IF_FAILED(in.ReadU32(items));
        RETURN_IF_FAILED(in.CheckCount(items, kTemplateItemSize));
        r.items.resize(items);
        for (TemplateItem& item : r.items)
            RETURN_IF_FAILED(ReadTemplateItem(in, item));
        RETURN_IF_FAILED(in.ReadU32(r.trailer));
    }
    return S_OK;
}

const TemplateRecord* SetupTemplate::Find(std::uint32_t templateId) const {
    for (const TemplateRecord& r : records)
        if (r.templateId == templateId)
            return &r;
    return nullptr;
}

// ---- PortableCmosInfo ----

HRESULT PortableCmosInfo::Parse(MapReader& in) {
    std::uint32_t count = 0;
    RETURN_IF_FAILED(ReadListStart(in, header, count, kPortableRecordMin));
    records.resize(count);
    for (PortableRecord& r : records) {
        RETURN_IF_FAILED(in.ReadFileString(r.keyword));
        RETURN_IF_FAILED(in.ReadU16(r.tokenId));
    }
    return S_OK;
}

const PortableRecord* PortableCmosInfo::FindByToken(std::uint16_t tokenId) const {
    for (const PortableRecord& r : records)
        if (r.tokenId == tokenId)
            return &r;
    return nullptr;
}

// ---- LanguageInfo ----

HRESULT LanguageInfo::Parse(MapReader& in) {
    std::uint32_t count = 0;
    RETURN_IF_FAILED(ReadListStart(in, header, count, kLanguageSetMin));
    records.resize(count);
    for (LanguageSet& set : records) {
        RETURN_IF_FAILED(in.ReadFileString(set.name));
        std::uint32_t codes = 0;
        RETURN_IF_FAILED(in.ReadU32(codes));
        RETURN_IF_FAILED(in.CheckCount(codes, kFileStringMin));
        set.codes.resize(codes);
        for (FileString& code : set.codes)
            RETURN_IF_FAILED(in.ReadFileString(code));
    }
    return S_OK;
}

// ---- SplashInfo, EndChecksum ----

HRESULT SplashInfo::Parse(MapReader& in) {
    RETURN_IF_FAILED(in.ReadSectionHeader(header));
    RETURN_IF_FAILED(ReadU32Array(in, words.data(), words.size()));
    RETURN_IF_FAILED(in.ReadFileString(text1));
    return in.ReadFileString(text2);
}

HRESULT EndChecksum::Parse(MapReader& in) {
    RETURN_IF_FAILED(in.ReadSectionHeader(header));
    return ReadU32Array(in, words.data(), words.size());
}

// ---- BiosStringTable ----

HRESULT BiosStringTable::Parse(MapReader& in, std::span<const std::uint8_t> file) {
    RETURN_IF_FAILED(in.ReadSectionHeader(fixed_.header));
    RETURN_IF_FAILED(in.ReadU32(fixed_.kept1));
    RETURN_IF_FAILED(in.ReadU32(fixed_.kept2));
    RETURN_IF_FAILED(in.ReadBytes(fixed_.text4.size(), fixed_.text4.data()));
    RETURN_IF_FAILED(in.ReadBytes(fixed_.text2.size(), fixed_.text2.data()));
    RETURN_IF_FAILED(in.ReadU16(fixed_.kept3));
    RETURN_IF_FAILED(ReadU32Array(in, fixed_.kept4.data(), fixed_.kept4.size()));
    file_ = file;
    base_ = in.Position();
    parsed_ = true;
    return S_OK;
}

HRESULT BiosStringTable::ReadRaw(std::uint16_t id, FileString& bytes) const {
    bytes.clear();
    if (id == kNoString)
        return S_FALSE;
    if (!parsed_)
        return E_FAIL;
    MapReader in(file_);
    std::uint16_t offset = 0;
    if (FAILED(in.Seek(base_ + 2 * std::size_t(id))) || FAILED(in.ReadU16(offset)))
        return E_FAIL;
    if (FAILED(in.Seek(base_ + offset)) || FAILED(in.ReadFileString(bytes)))
        return E_FAIL;
    return bytes.empty() ? S_FALSE : S_OK;
}

FileString BiosStringTable::ApplyDisplayRules(FileString bytes) {
    const std::size_t half = bytes.find('\xAB');
    if (half != FileString::npos)
        bytes.replace(half, FileString::npos, ".5");
    const std::size_t quarter = bytes.find('\xAC');
    if (quarter != FileString::npos)
        bytes.replace(quarter, FileString::npos, ".25");
    if (bytes.find("IDE Master") == FileString::npos && bytes.find("IDE Slave") == FileString::npos)
        return bytes;
    // Cut at the first ":" with a space anywhere before it; trailing spaces go either way.
    const std::size_t space = bytes.find(' ');
    if (space != FileString::npos) {
        const std::size_t colon = bytes.find(':', space);
        if (colon != FileString::npos)
            bytes.erase(colon);
    }
    while (!bytes.empty() && bytes.back() == ' ')
        bytes.pop_back();
    return bytes;
}

HRESULT BiosStringTable::Lookup(std::uint16_t id, std::u16string& text) const {
    text.clear();
    FileString bytes;
    const HRESULT hr = ReadRaw(id, bytes);
    if (hr != S_OK)
        return hr;
    text = text::DecodeWindows1252(ApplyDisplayRules(std::move(bytes)));
    return text.empty() ? S_FALSE : S_OK;
}

} // namespace cvk
