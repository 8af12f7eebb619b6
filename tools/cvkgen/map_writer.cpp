// Serialisation of map-file records into the sections of a BIOS map file.
#include "tools/cvkgen/map_writer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unordered_map>

namespace cvkgen {

namespace {

using cvk::MapSection;

constexpr std::size_t kTagSize = 24;

class ByteSink {
public:
    std::vector<std::uint8_t>& Bytes() { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }

    void U8(std::uint8_t v) { bytes_.push_back(v); }
    void U16(std::uint16_t v) {
        U8(std::uint8_t(v));
        U8(std::uint8_t(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(std::uint16_t(v));
        U16(std::uint16_t(v >> 16));
    }
    void Raw(const std::string& s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
    template <typename T, std::size_t N> void U16s(const std::array<T, N>& values) {
        for (T v : values)
            U16(v);
    }
    template <std::size_t N> void U32s(const std::array<std::uint32_t, N>& values) {
        for (std::uint32_t v : values)
            U32(v);
    }
    template <std::size_t N> void Bytes(const std::array<std::uint8_t, N>& values) {
        bytes_.insert(bytes_.end(), values.begin(), values.end());
    }
    // A file string ends with a NUL unless it fills the 256 bytes a reader takes at most; a
    // longer text is written whole without NUL (a malformed variant).
    void FileString(const std::string& s) {
        Raw(s);
        if (s.size() < cvk::kFileStringMax)
            U8(0);
    }
    void Header(const cvk::SectionHeader& h) {
        U32(h.first);
        U32(h.second);
    }
    void PadTo(std::size_t size) {
        if (bytes_.size() < size)
            bytes_.resize(size, 0);
    }
    void Patch16(std::size_t at, std::uint16_t v) {
        bytes_[at] = std::uint8_t(v);
        bytes_[at + 1] = std::uint8_t(v >> 8);
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// "$", the name, NUL padding: section 0's tag is "$AboutThisBIOSBuild" and five NULs.
std::string TagOf(MapSection section) {
    std::string tag = "$";
    tag += cvk::MapSectionName(section);
    tag.resize(kTagSize, '\0');
    return tag;
}

std::uint32_t CountOf(const LayoutOptions& options, MapSection section, std::size_t real) {
    const auto it = options.countOverride.find(section);
    return it != options.countOverride.end() ? it->second : static_cast<std::uint32_t>(real);
}

void WriteBuildInfo(ByteSink& out, const cvk::BuildInfo& b, std::uint32_t count) {
    out.Header(b.header);
    out.U16s(b.words);
    for (const std::string* text :
         {&b.text1, &b.buildDateStamp, &b.biosVersion, &b.biosId, &b.text5})
        out.FileString(*text);
    out.U32(b.maxLockSettings);
    out.U32(b.maxHideSettings);
    out.U32(count);
    for (const auto& triple : b.triples)
        for (const std::string& text : triple)
            out.FileString(text);
}

void WriteTokens(ByteSink& out, const cvk::TokenList& list, std::uint32_t count) {
    out.Header(list.header);
    out.U32(count);
    for (const cvk::TokenRecord& r : list.records) {
        out.U32(r.kept0);
        out.U16(r.tokenId);
        out.U32(r.attributes);
        out.U16(r.bitOffset);
        out.U16(r.bitMask);
        out.U16(r.bitSize);
        out.U16(r.defaultValue);
        out.U16(r.kept18);
        out.U32(r.kept20);
        out.U32(r.kept24);
        out.U32(r.kept28);
    }
}

void WriteControls(ByteSink& out, const cvk::ControlList& list, std::uint32_t count) {
    out.Header(list.header);
    out.U32(count);
    for (const cvk::ControlRecord& r : list.records) {
        out.U32(r.kept1);
        out.U16(r.kept2);
        out.U16(r.type);
        out.U16(r.controlId);
        out.U16(r.promptStringId);
        out.U32s(r.kept6);
        out.U16(r.optionFlags);
        out.U16s(r.kept8);
        out.U16s(r.typeBlock);
        out.U16(r.helpFlags);
        out.U16(r.helpStringId);
        out.U16s(r.kept12);
        out.U16(r.optionCount);
        if (!r.HasOptionList())
            continue;
        for (const cvk::ControlOption& o : r.options) {
            out.U16(o.stringId);
            out.U16(o.value);
        }
    }
}

void WriteTemplate(ByteSink& out, const cvk::SetupTemplate& t, std::uint32_t count) {
    out.Header(t.header);
    out.U32(count);
    for (const cvk::TemplateRecord& r : t.records) {
        out.U32(r.templateId);
        out.U32(static_cast<std::uint32_t>(r.items.size()));
        for (const cvk::TemplateItem& item : r.items) {
            out.U32(item.kept0);
            out.U16(item.kept4);
            out.U16(item.type);
            out.U16(item.kept8);
            out.U16(item.nameStringId);
            out.U32(item.controlId);
            out.U32(item.subTemplateId);
            out.Bytes(item.kept20);
        }
        out.U32(r.trailer);
    }
}

void WritePortable(ByteSink& out, const cvk::PortableCmosInfo& p, std::uint32_t count) {
    out.Header(p.header);
    out.U32(count);
    for (const cvk::PortableRecord& r : p.records) {
        out.FileString(r.keyword);
        out.U16(r.tokenId);
    }
}

void WriteLanguages(ByteSink& out, const cvk::LanguageInfo& l, std::uint32_t count) {
    out.Header(l.header);
    out.U32(count);
    for (const cvk::LanguageSet& set : l.records) {
        out.FileString(set.name);
        out.U32(static_cast<std::uint32_t>(set.codes.size()));
        for (const std::string& code : set.codes)
            out.FileString(code);
    }
}

void WriteSplash(ByteSink& out, const cvk::SplashInfo& s) {
    out.Header(s.header);
    out.U32s(s.words);
    out.FileString(s.text1);
    out.FileString(s.text2);
}

void WriteChecksum(ByteSink& out, const cvk::EndChecksum& c) {
    out.Header(c.header);
    out.U32s(c.words);
}

// The offset table, then each distinct string once; offsets count from the base B.
void WriteStrings(ByteSink& out, const MapFileContent& content, MapLayout& layout) {
    const cvk::StringTableHeader& h = content.stringHeader;
    out.Header(h.header);
    out.U32(h.kept1);
    out.U32(h.kept2);
    out.Bytes(h.text4);
    out.Bytes(h.text2);
    out.U16(h.kept3);
    out.U32s(h.kept4);
    const std::size_t base = out.Size();
    layout.stringBase = base;
    const std::size_t tableAt = out.Size();
    out.PadTo(tableAt + 2 * content.strings.size());
    std::unordered_map<std::string, std::size_t> placed;
    for (std::size_t id = 0; id < content.strings.size(); ++id) {
        const std::string& text = content.strings[id];
        auto [it, isNew] = placed.emplace(text, out.Size() - base);
        if (isNew)
            out.FileString(text);
        if (it->second > 0xFFFF)
            throw BoardError("the string table outgrows its 64 KiB of 16-bit offsets at string " +
                             std::to_string(id));
        out.Patch16(tableAt + 2 * id, static_cast<std::uint16_t>(it->second));
    }
}

void WriteSection(ByteSink& out, MapSection section, const MapFileContent& c,
                  const LayoutOptions& options, MapLayout& layout) {
    layout.tagOffset[section] = out.Size();
    out.Raw(TagOf(section));
    layout.bodyOffset[section] = out.Size();
    switch (section) {
    case MapSection::BuildInfo:
        WriteBuildInfo(out, c.buildInfo, CountOf(options, section, c.buildInfo.triples.size()));
        break;
    case MapSection::TokenList:
        WriteTokens(out, c.tokens, CountOf(options, section, c.tokens.records.size()));
        break;
    case MapSection::ControlList:
        WriteControls(out, c.controls, CountOf(options, section, c.controls.records.size()));
        break;
    case MapSection::SetupTemplate:
        WriteTemplate(out, c.setupTemplate,
                      CountOf(options, section, c.setupTemplate.records.size()));
        break;
    case MapSection::PortableCmosInfo:
        WritePortable(out, c.portable, CountOf(options, section, c.portable.records.size()));
        break;
    case MapSection::SplashInfo:
        WriteSplash(out, c.splash);
        break;
    case MapSection::LanguageInfo:
        WriteLanguages(out, c.languages, CountOf(options, section, c.languages.records.size()));
        break;
    case MapSection::StringTable:
        WriteStrings(out, c, layout);
        break;
    case MapSection::EndChecksum:
        WriteChecksum(out, c.checksum);
        break;
    }
    layout.endOffset[section] = out.Size();
}

} // namespace

std::vector<MapSection> LayoutOptions::DefaultOrder() {
    std::vector<MapSection> order;
    for (int i = 1; i < cvk::kMapSectionCount; ++i)
        order.push_back(static_cast<MapSection>(i));
    return order;
}

std::vector<std::uint8_t> WriteMapFile(const MapFileContent& content, const LayoutOptions& options,
                                       MapLayout* layoutOut) {
    ByteSink out;
    MapLayout layout;
    for (MapSection section : options.beforeSection0) {
        out.Raw(options.gap);
        WriteSection(out, section, content, options, layout);
    }
    // A preamble that grew past the asked offset moves section 0 by whole 16-byte blocks, so
    // that its alignment stays as asked.
    std::size_t at = options.section0Offset;
    while (at < out.Size())
        at += 16;
    out.PadTo(at);
    WriteSection(out, MapSection::BuildInfo, content, options, layout);
    for (MapSection section : options.order) {
        const auto gap = options.gapBefore.find(section);
        out.Raw(gap != options.gapBefore.end() ? gap->second : options.gap);
        WriteSection(out, section, content, options, layout);
    }
    if (layoutOut)
        *layoutOut = std::move(layout);
    return std::move(out.Bytes());
}

void SaveFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        if (!file)
            throw BoardError("cannot write " + temp);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        file.close();
        if (!file) {
            std::remove(temp.c_str());
            throw BoardError("cannot write " + temp);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        throw BoardError("cannot replace " + path + ": " + ec.message());
    }
}

} // namespace cvkgen
