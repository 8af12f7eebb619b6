// BiosImage: the reader of a BIOS map file (.cvk) and the owner of its parsed sections.
#pragma once

#include "engine/core/map_sections.h"
#include "platform/com/types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cvk {

// Loads a map file once and hands out its sections, which live exactly as long as the image.
// The whole file is read into memory at Load (a map file is small and its size bounds the
// buffer) instead of keeping the file open: the string table then looks its strings up in that
// memory, no file handle outlives the load, and several images may exist at a time.
class BiosImage {
public:
    BiosImage() = default;
    BiosImage(const BiosImage&) = delete;
    BiosImage& operator=(const BiosImage&) = delete;

    // Reads and parses the file at `path` (UTF-8). E_IMAGE_OPEN when it cannot be opened,
    // E_IMAGE_FORMAT when it is malformed, E_FAIL on a read error, E_OUTOFMEMORY.
    HRESULT Load(const std::string& path);
    // Parses a map file held in memory; Load ends here, and the fuzzer starts here.
    HRESULT LoadFromBytes(std::vector<std::uint8_t> bytes);

    bool IsLoaded() const { return loaded_; }

    // Each getter gives E_POINTER for a null out-parameter and E_IMAGE_NOT_LOADED before a
    // successful load.
    HRESULT GetBuildInfo(const BuildInfo** out) const;
    HRESULT GetTokenList(const TokenList** out) const;
    HRESULT GetControlList(const ControlList** out) const;
    HRESULT GetSetupTemplate(const SetupTemplate** out) const;
    HRESULT GetPortableCmosInfo(const PortableCmosInfo** out) const;
    HRESULT GetLanguageInfo(const LanguageInfo** out) const;
    HRESULT GetStringTable(const BiosStringTable** out) const;

    // Stored only, never handed to a consumer; visible for tests and tools.
    const SplashInfo& Splash() const { return splash_; }
    const EndChecksum& Checksum() const { return checksum_; }

private:
    void Clear();
    HRESULT Parse();
    HRESULT ParseSection(MapSection section, MapReader& in);
    template <typename Section> HRESULT Hand(const Section& section, const Section** out) const;

    std::vector<std::uint8_t> file_;
    BuildInfo buildInfo_;
    TokenList tokens_;
    ControlList controls_;
    SetupTemplate template_;
    PortableCmosInfo portable_;
    SplashInfo splash_;
    LanguageInfo languages_;
    BiosStringTable strings_;
    EndChecksum checksum_;
    bool loaded_ = false;
};

// The offset of section 0's tag: the first 16-byte aligned block that reads "$AboutThisBIOSBu".
// E_IMAGE_FORMAT when there is none.
HRESULT FindBuildInfoTag(std::span<const std::uint8_t> file, std::size_t& tagOffset);

// Scans from `from` for the tag of `section` (1 to 8) and gives the offset of its body. At each
// "$" the next 23 bytes are compared with the name and skipped when they differ, so a "$" less
// than 24 bytes before a tag hides it. E_IMAGE_FORMAT when the file ends first.
HRESULT FindSectionBody(std::span<const std::uint8_t> file, std::size_t from, MapSection section,
                        std::size_t& bodyOffset);

} // namespace cvk
