// Loading of a BIOS map file: the search for its sections and their parsing.
#include "engine/core/bios_image.h"

#include "engine/include/engine_status.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

namespace cvk {

namespace {

constexpr std::size_t kTagSize = 24;
constexpr std::size_t kNameFieldSize = kTagSize - 1;
constexpr std::size_t kBlockSize = 16;
constexpr char kBuildInfoBlock[] = "$AboutThisBIOSBu";

HRESULT ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::error_code ec;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, ec))
        return E_IMAGE_OPEN;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return E_IMAGE_OPEN;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec)
        return E_FAIL;
    bytes.resize(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())))
        return E_FAIL;
    // A file that grew while it was read is taken as it was when its size was asked.
    return S_OK;
}

// The name field compared as a NUL-terminated string, as the tag scan does.
bool NameFieldMatches(const std::uint8_t* field, const char* name) {
    const std::size_t length = std::strlen(name);
    return length < kNameFieldSize && std::memcmp(field, name, length) == 0 && field[length] == 0;
}

} // namespace

HRESULT FindBuildInfoTag(std::span<const std::uint8_t> file, std::size_t& tagOffset) {
    for (std::size_t at = 0; at + kBlockSize <= file.size(); at += kBlockSize) {
        if (std::memcmp(file.data() + at, kBuildInfoBlock, kBlockSize) == 0) {
            tagOffset = at;
            return S_OK;
        }
    }
    return E_IMAGE_FORMAT;
}

HRESULT FindSectionBody(std::span<const std::uint8_t> file, std::size_t from, MapSection section,
                        std::size_t& bodyOffset) {
    const char* name = MapSectionName(section);
    std::size_t at = from;
    while (at < file.size()) {
        if (file[at++] != '$')
            continue;
        if (file.size() - at < kNameFieldSize)
            return E_IMAGE_FORMAT;
        const bool match = NameFieldMatches(file.data() + at, name);
        at += kNameFieldSize;
        if (match) {
            bodyOffset = at;
            return S_OK;
        }
    }
    return E_IMAGE_FORMAT;
}

HRESULT BiosImage::Load(const std::string& path) {
    Clear();
    try {
        std::vector<std::uint8_t> bytes;
        const HRESULT hr = ReadWholeFile(path, bytes);
        if (FAILED(hr))
            return hr;
        return LoadFromBytes(std::move(bytes));
    } catch (const std::bad_alloc&) {
        Clear();
        return E_OUTOFMEMORY;
    }
}

HRESULT BiosImage::LoadFromBytes(std::vector<std::uint8_t> bytes) {
    Clear();
    try {
        file_ = std::move(bytes);
        const HRESULT hr = Parse();
        if (FAILED(hr)) {
            Clear();
            return hr;
        }
    } catch (const std::bad_alloc&) {
        Clear();
        return E_OUTOFMEMORY;
    }
    loaded_ = true;
    return S_OK;
}

HRESULT BiosImage::Parse() {
    const std::span<const std::uint8_t> file(file_);
    std::size_t tagOffset = 0;
    HRESULT hr = FindBuildInfoTag(file, tagOffset);
    if (FAILED(hr))
        return hr;
    // Every section is searched from right after the first block of section 0's tag, so the
    // other sections may follow it in any order.
    const std::size_t start = tagOffset + kBlockSize;
    for (int i = 0; i < kMapSectionCount; ++i) {
        const auto section = static_cast<MapSection>(i);
        std::size_t body = start + (kTagSize - kBlockSize);
        if (section != MapSection::BuildInfo) {
            hr = FindSectionBody(file, start, section, body);
            if (FAILED(hr))
                return hr;
        }
        MapReader in(file);
        hr = in.Seek(body);
        if (FAILED(hr))
            return E_IMAGE_FORMAT; // section 0's tag is cut short
        hr = ParseSection(section, in);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT BiosImage::ParseSection(MapSection section, MapReader& in) {
    switch (section) {
    case MapSection::BuildInfo:
        return buildInfo_.Parse(in);
    case MapSection::TokenList:
        return tokens_.Parse(in);
    case MapSection::ControlList:
        return controls_.Parse(in);
    case MapSection::SetupTemplate:
        return template_.Parse(in);
    case MapSection::PortableCmosInfo:
        return portable_.Parse(in);
    case MapSection::SplashInfo:
        return splash_.Parse(in);
    case MapSection::LanguageInfo:
        return languages_.Parse(in);
    case MapSection::StringTable:
        return strings_.Parse(in, file_);
    case MapSection::EndChecksum:
        return checksum_.Parse(in);
    }
    return E_UNEXPECTED;
}

void BiosImage::Clear() {
    loaded_ = false;
    buildInfo_.Clear();
    tokens_.Clear();
    controls_.Clear();
    template_.Clear();
    portable_.Clear();
    splash_.Clear();
    languages_.Clear();
    strings_.Clear();
    checksum_.Clear();
    file_.clear();
    file_.shrink_to_fit();
}

template <typename Section>
HRESULT BiosImage::Hand(const Section& section, const Section** out) const {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!loaded_)
        return E_IMAGE_NOT_LOADED;
    *out = &section;
    return S_OK;
}

HRESULT BiosImage::GetBuildInfo(const BuildInfo** out) const {
    return Hand(buildInfo_, out);
}
HRESULT BiosImage::GetTokenList(const TokenList** out) const {
    return Hand(tokens_, out);
}
HRESULT BiosImage::GetControlList(const ControlList** out) const {
    return Hand(controls_, out);
}
HRESULT BiosImage::GetSetupTemplate(const SetupTemplate** out) const {
    return Hand(template_, out);
}
HRESULT BiosImage::GetPortableCmosInfo(const PortableCmosInfo** out) const {
    return Hand(portable_, out);
}
HRESULT BiosImage::GetLanguageInfo(const LanguageInfo** out) const {
    return Hand(languages_, out);
}
HRESULT BiosImage::GetStringTable(const BiosStringTable** out) const {
    return Hand(strings_, out);
}

} // namespace cvk
