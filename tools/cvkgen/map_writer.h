// Writing of BIOS map files from their records, with the layout variants that tests need.
#pragma once

#include "engine/core/map_sections.h"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace cvkgen {

// A description or a layout that cannot be written; the message says what and where.
class BoardError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Everything a map file holds, record by record. The list counts are the vector sizes.
struct MapFileContent {
    cvk::BuildInfo buildInfo;
    cvk::TokenList tokens;
    cvk::ControlList controls;
    cvk::SetupTemplate setupTemplate;
    cvk::PortableCmosInfo portable;
    cvk::SplashInfo splash;
    cvk::LanguageInfo languages;
    cvk::StringTableHeader stringHeader;
    std::vector<std::string> strings; // raw Windows-1252 bytes; string ID i is strings[i]
    cvk::EndChecksum checksum;
};

// Where and how the sections are laid out. The defaults give a well-formed file; the other
// settings produce the malformed variants that readers must reject or tolerate.
struct LayoutOptions {
    // Offset of section 0's tag. Readers find it only at a multiple of 16.
    std::size_t section0Offset = 16;
    // Sections (1 to 8) written after section 0, in this order; a section left out is missing.
    std::vector<cvk::MapSection> order = DefaultOrder();
    // Sections written before section 0 as well (readers never look there).
    std::vector<cvk::MapSection> beforeSection0;
    // Bytes written before the tag of each section after section 0. Without "$" in them, 23 or
    // more of these keep a "$" in the data before from hiding the tag from the tag scan.
    std::string gap = std::string(24, '\0');
    std::map<cvk::MapSection, std::string> gapBefore; // replaces `gap` for one section
    // Record count written instead of the true one (section 0: the count of text triples).
    std::map<cvk::MapSection, std::uint32_t> countOverride;

    static std::vector<cvk::MapSection> DefaultOrder();
};

// Where the writer put things, for tests that patch or cut a file.
struct MapLayout {
    std::map<cvk::MapSection, std::size_t> tagOffset;
    std::map<cvk::MapSection, std::size_t> bodyOffset; // first byte after the tag
    std::map<cvk::MapSection, std::size_t> endOffset;  // first byte after the body
    std::size_t stringBase = 0;                        // base B of the string area
};

// Serialises `content`. Throws BoardError when the string area outgrows its 16-bit offsets.
std::vector<std::uint8_t> WriteMapFile(const MapFileContent& content,
                                       const LayoutOptions& options = {},
                                       MapLayout* layout = nullptr);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so that a failed
// write leaves an earlier file intact. Throws BoardError.
void SaveFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace cvkgen
