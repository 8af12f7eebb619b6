// BiosImage: loading of map files written by cvkgen_writer, well-formed and malformed.
#include "engine/core/bios_image.h"
#include "engine/include/engine_status.h"
#include "tests/engine/core/map_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace cvk {
namespace {

using cvkgen::LayoutOptions;
using cvkgen::MapFileContent;
using cvkgen::MapLayout;
using testing::LoadContent;
using testing::LoadWritten;
using testing::SmallMap;

constexpr MapSection kAfterSection0[] = {
    MapSection::TokenList,        MapSection::ControlList, MapSection::SetupTemplate,
    MapSection::PortableCmosInfo, MapSection::SplashInfo,  MapSection::LanguageInfo,
    MapSection::StringTable,      MapSection::EndChecksum,
};

void ExpectSectionsEqual(const BiosImage& image, const MapFileContent& m) {
    const BuildInfo* build = nullptr;
    const TokenList* tokens = nullptr;
    const ControlList* controls = nullptr;
    const SetupTemplate* forms = nullptr;
    const PortableCmosInfo* portable = nullptr;
    const LanguageInfo* languages = nullptr;
    const BiosStringTable* strings = nullptr;
    ASSERT_EQ(image.GetBuildInfo(&build), S_OK);
    ASSERT_EQ(image.GetTokenList(&tokens), S_OK);
    ASSERT_EQ(image.GetControlList(&controls), S_OK);
    ASSERT_EQ(image.GetSetupTemplate(&forms), S_OK);
    ASSERT_EQ(image.GetPortableCmosInfo(&portable), S_OK);
    ASSERT_EQ(image.GetLanguageInfo(&languages), S_OK);
    ASSERT_EQ(image.GetStringTable(&strings), S_OK);
    EXPECT_EQ(*build, m.buildInfo);
    EXPECT_EQ(*tokens, m.tokens);
    EXPECT_EQ(*controls, m.controls);
    EXPECT_EQ(*forms, m.setupTemplate);
    EXPECT_EQ(*portable, m.portable);
    EXPECT_EQ(*languages, m.languages);
    EXPECT_EQ(image.Splash(), m.splash);
    EXPECT_EQ(image.Checksum(), m.checksum);
    EXPECT_EQ(strings->Header(), m.stringHeader);
    for (std::size_t id = 0; id < m.strings.size(); ++id) {
        FileString raw;
        strings->ReadRaw(static_cast<std::uint16_t>(id), raw);
        EXPECT_EQ(raw, m.strings[id]) << "string " << id;
    }
}

TEST(BiosImageLoad, ReadsBackEveryRecordAsWritten) {
    const MapFileContent m = SmallMap();
    BiosImage image;
    ASSERT_EQ(LoadContent(m, image), S_OK);
    EXPECT_TRUE(image.IsLoaded());
    ExpectSectionsEqual(image, m);

    const BuildInfo* build = nullptr;
    ASSERT_EQ(image.GetBuildInfo(&build), S_OK);
    EXPECT_EQ(build->BuildDate(), u"15 Jul 2003");
    EXPECT_EQ(build->BiosVersion(), u"P1.11 \u00E9t\u00E9");
    EXPECT_EQ(build->BiosId(), u"TR865PE.86A.0037");
    EXPECT_EQ(build->MaxNumLockSettings(), 16u);
    EXPECT_EQ(build->MaxNumHideSettings(), 8u);

    // A control without the option-list flag keeps its count but reads no options, and the
    // next record starts right after the count.
    const ControlList* controls = nullptr;
    ASSERT_EQ(image.GetControlList(&controls), S_OK);
    ASSERT_NE(controls->Find(2), nullptr);
    EXPECT_EQ(controls->Find(2)->optionCount, 3);
    EXPECT_TRUE(controls->Find(2)->options.empty());
    EXPECT_FALSE(controls->Find(2)->HasToken());
    EXPECT_EQ(controls->Find(3)->options.size(), 3u);
}

TEST(BiosImageLoad, TagsAreTheDollarTheNameAndNulPadding) {
    MapLayout layout;
    const auto bytes = cvkgen::WriteMapFile(SmallMap(), {}, &layout);
    const std::size_t at = layout.tagOffset[MapSection::BuildInfo];
    EXPECT_EQ(at % 16, 0u);
    EXPECT_EQ(0, std::memcmp(bytes.data() + at, "$AboutThisBIOSBuild\0\0\0\0\0", 24));
    const std::size_t tokens = layout.tagOffset[MapSection::TokenList];
    EXPECT_EQ(0, std::memcmp(bytes.data() + tokens, "$NVStorageTokenList\0\0\0\0\0", 24));
}

TEST(BiosImageLoad, ReloadReplacesAndAFailedLoadClears) {
    MapFileContent m = SmallMap();
    BiosImage image;
    ASSERT_EQ(LoadContent(m, image), S_OK);
    m.buildInfo.biosId = "SECOND";
    ASSERT_EQ(LoadContent(m, image), S_OK);
    const BuildInfo* build = nullptr;
    ASSERT_EQ(image.GetBuildInfo(&build), S_OK);
    EXPECT_EQ(build->biosId, "SECOND");

    EXPECT_EQ(LoadWritten({}, image), E_IMAGE_FORMAT);
    EXPECT_FALSE(image.IsLoaded());
    EXPECT_EQ(image.GetBuildInfo(&build), E_IMAGE_NOT_LOADED);
    EXPECT_EQ(build, nullptr);
}

TEST(BiosImageGetters, RefuseBeforeALoadAndCheckTheirPointer) {
    BiosImage image;
    const BuildInfo* build = nullptr;
    const TokenList* tokens = nullptr;
    const ControlList* controls = nullptr;
    const SetupTemplate* forms = nullptr;
    const PortableCmosInfo* portable = nullptr;
    const LanguageInfo* languages = nullptr;
    const BiosStringTable* strings = nullptr;
    EXPECT_EQ(image.GetBuildInfo(&build), E_IMAGE_NOT_LOADED);
    EXPECT_EQ(image.GetTokenList(&tokens), E_IMAGE_NOT_LOADED);
    EXPECT_EQ(image.GetControlList(&controls), E_IMAGE_NOT_LOADED);
    EXPECT_EQ(image.GetSetupTemplate(&forms), E_IMAGE_NOT_LOADED);
    EXPECT_EQ(image.GetPortableCmosInfo(&portable), E_IMAGE_NOT_LOADED);
    EXPECT_EQ(image.GetLanguageInfo(&languages), E_IMAGE_NOT_LOADED);
    EXPECT_EQ(image.GetStringTable(&strings), E_IMAGE_NOT_LOADED);
    EXPECT_EQ(image.GetBuildInfo(nullptr), E_POINTER);
    ASSERT_EQ(LoadContent(SmallMap(), image), S_OK);
    EXPECT_EQ(image.GetStringTable(nullptr), E_POINTER);
}

TEST(BiosImageFailures, AFileThatCannotBeOpened) {
    BiosImage image;
    testing::ScratchFile scratch;
    EXPECT_EQ(image.Load(scratch.Path() + ".missing"), E_IMAGE_OPEN);
    const std::string folder = std::filesystem::path(scratch.Path()).parent_path().string();
    EXPECT_EQ(image.Load(folder), E_IMAGE_OPEN);
    EXPECT_EQ(image.Load(""), E_IMAGE_OPEN);
    EXPECT_FALSE(image.IsLoaded());
}

TEST(BiosImageFailures, SectionZeroIsFoundOnlyOnA16ByteBoundary) {
    BiosImage image;
    for (std::size_t offset : {0, 16, 48, 4096}) {
        LayoutOptions options;
        options.section0Offset = offset;
        EXPECT_EQ(LoadContent(SmallMap(), image, options), S_OK) << offset;
    }
    for (std::size_t offset : {1, 8, 15, 17, 40}) {
        LayoutOptions options;
        options.section0Offset = offset;
        EXPECT_EQ(LoadContent(SmallMap(), image, options), E_IMAGE_FORMAT) << offset;
    }
    EXPECT_EQ(LoadWritten({}, image), E_IMAGE_FORMAT);
    // Only the first 16 bytes are compared: the rest of the tag may read anything.
    MapLayout layout;
    auto bytes = cvkgen::WriteMapFile(SmallMap(), {}, &layout);
    std::memcpy(bytes.data() + layout.tagOffset[MapSection::BuildInfo] + 16, "XXXXXXXX", 8);
    EXPECT_EQ(LoadWritten(bytes, image), S_OK);
}

TEST(BiosImageFailures, EachSectionAfterSectionZeroIsRequired) {
    BiosImage image;
    for (MapSection missing : kAfterSection0) {
        LayoutOptions options;
        std::erase(options.order, missing);
        EXPECT_EQ(LoadContent(SmallMap(), image, options), E_IMAGE_FORMAT)
            << MapSectionName(missing);
        // Written before section 0 it is still not found.
        options.beforeSection0 = {missing};
        EXPECT_EQ(LoadContent(SmallMap(), image, options), E_IMAGE_FORMAT)
            << MapSectionName(missing);
    }
}

TEST(BiosImageLayout, SectionsMayFollowSectionZeroInAnyOrder) {
    const MapFileContent m = SmallMap();
    LayoutOptions reversed;
    std::reverse(reversed.order.begin(), reversed.order.end());
    reversed.gap.clear();
    LayoutOptions rotated;
    std::rotate(rotated.order.begin(), rotated.order.begin() + 3, rotated.order.end());
    // A copy before section 0 does not disturb the one after it.
    LayoutOptions shadowed;
    shadowed.beforeSection0 = {MapSection::ControlList, MapSection::TokenList};
    for (const LayoutOptions& options : {reversed, rotated, shadowed}) {
        BiosImage image;
        ASSERT_EQ(LoadContent(m, image, options), S_OK);
        ExpectSectionsEqual(image, m);
    }
}

TEST(BiosImageLayout, ADollarLessThan24BytesBeforeATagHidesIt) {
    BiosImage image;
    for (std::size_t distance = 1; distance <= 26; ++distance) {
        LayoutOptions options;
        options.gapBefore[MapSection::LanguageInfo] =
            std::string(24, '\0') + "$" + std::string(distance - 1, 'x');
        const HRESULT expected = distance <= 23 ? E_IMAGE_FORMAT : S_OK;
        EXPECT_EQ(LoadContent(SmallMap(), image, options), expected) << distance;
    }
}

TEST(BiosImageLayout, ATagNameMustEndWithANul) {
    MapLayout layout;
    auto bytes = cvkgen::WriteMapFile(SmallMap(), {}, &layout);
    // "SplashBIOSInfoX": the name with a longer text in its field no longer matches.
    bytes[layout.tagOffset[MapSection::SplashInfo] + 1 + 14] = 'X';
    BiosImage image;
    EXPECT_EQ(LoadWritten(bytes, image), E_IMAGE_FORMAT);
}

TEST(BiosImageFailures, SecondHeaderWordMustHaveZeroLowBits) {
    auto withHeader = [](MapFileContent m, MapSection section, std::uint32_t word) {
        SectionHeader* headers[] = {
            &m.buildInfo.header,     &m.tokens.header,       &m.controls.header,
            &m.setupTemplate.header, &m.portable.header,     &m.splash.header,
            &m.languages.header,     &m.stringHeader.header, &m.checksum.header};
        headers[static_cast<int>(section)]->second = word;
        return m;
    };
    for (int i = 0; i < kMapSectionCount; ++i) {
        const auto section = static_cast<MapSection>(i);
        BiosImage image;
        EXPECT_EQ(LoadContent(withHeader(SmallMap(), section, 0x00010000), image), S_OK)
            << MapSectionName(section);
        EXPECT_EQ(LoadContent(withHeader(SmallMap(), section, 0xFFFF0000), image), S_OK);
        EXPECT_EQ(LoadContent(withHeader(SmallMap(), section, 0x00010001), image), E_IMAGE_FORMAT)
            << MapSectionName(section);
        EXPECT_EQ(LoadContent(withHeader(SmallMap(), section, 0x00008000), image), E_IMAGE_FORMAT);
    }
}

// The parse of every section but the string table reads to the end of its body; the string
// table's parse ends at the base of its string area, which is read only by lookups.
std::size_t ParsedEnd(const MapLayout& layout) {
    std::size_t end = 0;
    for (const auto& [section, offset] : layout.endOffset)
        end = std::max(end, section == MapSection::StringTable ? layout.stringBase : offset);
    return end;
}

TEST(BiosImageFailures, AFileCutAnywhereInsideASectionIsMalformed) {
    LayoutOptions stringsLast;
    std::erase(stringsLast.order, MapSection::StringTable);
    stringsLast.order.push_back(MapSection::StringTable);
    for (const LayoutOptions& options : {LayoutOptions{}, stringsLast}) {
        MapLayout layout;
        const auto bytes = cvkgen::WriteMapFile(SmallMap(), options, &layout);
        const std::size_t needed = ParsedEnd(layout);
        testing::ScratchFile scratch;
        BiosImage image;
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            scratch.Write({bytes.begin(), bytes.begin() + std::ptrdiff_t(size)});
            const HRESULT expected = size >= needed ? S_OK : E_IMAGE_FORMAT;
            ASSERT_EQ(image.Load(scratch.Path()), expected) << "cut at " << size;
        }
    }
}

TEST(BiosImageFailures, CountsBeyondTheFileAreMalformed) {
    for (MapSection section :
         {MapSection::BuildInfo, MapSection::TokenList, MapSection::ControlList,
          MapSection::SetupTemplate, MapSection::PortableCmosInfo, MapSection::LanguageInfo}) {
        BiosImage image;
        LayoutOptions huge;
        huge.countOverride[section] = 0xFFFFFFFF;
        EXPECT_EQ(LoadContent(SmallMap(), image, huge), E_IMAGE_FORMAT) << MapSectionName(section);
        // One record more than written, with nothing after the section to borrow from.
        // (Section 0 cannot be last: its extra triple would be read from what follows.)
        if (section == MapSection::BuildInfo)
            continue;
        LayoutOptions oneMore;
        std::erase(oneMore.order, section);
        oneMore.order.push_back(section);
        const MapFileContent m = SmallMap();
        const std::size_t counts[] = {m.buildInfo.triples.size(), m.tokens.records.size(),
                                      m.controls.records.size(),  m.setupTemplate.records.size(),
                                      m.portable.records.size(),  0,
                                      m.languages.records.size()};
        oneMore.countOverride[section] = std::uint32_t(counts[int(section)] + 1);
        EXPECT_EQ(LoadContent(m, image, oneMore), E_IMAGE_FORMAT) << MapSectionName(section);
    }
}

TEST(BiosImageFailures, NestedCountsBeyondTheFileAreMalformed) {
    MapLayout layout;
    const auto bytes = cvkgen::WriteMapFile(SmallMap(), {}, &layout);
    auto patched = [&](std::size_t at, std::uint32_t value, int width) {
        auto copy = bytes;
        for (int i = 0; i < width; ++i)
            copy[at + i] = std::uint8_t(value >> (8 * i));
        return copy;
    };
    BiosImage image;
    // The first form's item count: header (8), record count (4), template ID (4).
    const std::size_t items = layout.bodyOffset[MapSection::SetupTemplate] + 16;
    EXPECT_EQ(LoadWritten(patched(items, 0x10000000, 4), image), E_IMAGE_FORMAT);
    // The first language set's code count, after "Standard" and its NUL.
    const std::size_t codes = layout.bodyOffset[MapSection::LanguageInfo] + 12 + 9;
    EXPECT_EQ(LoadWritten(patched(codes, 0x7FFFFFFF, 4), image), E_IMAGE_FORMAT);
    // The first control's option count (offset 60 in the record).
    const std::size_t options = layout.bodyOffset[MapSection::ControlList] + 12 + 60;
    EXPECT_EQ(LoadWritten(patched(options, 0xFFFF, 2), image), E_IMAGE_FORMAT);
}

TEST(BiosImageFileStrings, AreCutAt256BytesWithoutANul) {
    BiosImage image;
    MapFileContent m = SmallMap();
    m.buildInfo.text1 = std::string(255, 'A'); // the longest text with a NUL
    ASSERT_EQ(LoadContent(m, image), S_OK);
    ExpectSectionsEqual(image, m);

    m.buildInfo.text1 = std::string(256, 'A'); // no NUL; the next field follows at once
    ASSERT_EQ(LoadContent(m, image), S_OK);
    ExpectSectionsEqual(image, m);

    // 300 bytes: the first 256 are text 1, the other 44 open the build date stamp.
    m.buildInfo.text1 = std::string(256, 'A') + std::string(44, 'B');
    ASSERT_EQ(LoadContent(m, image), S_OK);
    const BuildInfo* build = nullptr;
    ASSERT_EQ(image.GetBuildInfo(&build), S_OK);
    EXPECT_EQ(build->text1, std::string(256, 'A'));
    EXPECT_EQ(build->buildDateStamp, std::string(44, 'B') + "0307150930");
    EXPECT_EQ(build->biosVersion, m.buildInfo.biosVersion);
    EXPECT_EQ(build->BuildDate(), u"");
}

TEST(BiosImageBuildDate, IsFormattedFromFiveDigitPairs) {
    const struct {
        const char* stamp;
        const char16_t* date;
    } cases[] = {
        {"0312240000", u"24 Dec 2003"},
        {"9901010000", u"1 Jan 1999"},
        {"6912310000", u"31 Dec 2069"},
        {"7001010000", u"1 Jan 1970"},
        {"0307009999", u"0 Jul 2003"},
        {"0302310000", u"31 Feb 2003"},
        {"0313010000", u""},
        {"0300010000", u""},
        {"031224000", u""},
        {"03122400000", u""},
        {"", u""},
        {" 312240000", u""},
        {"+312240000", u""},
        {"3x12240000", u""},
        {"03122400 1", u""},
        {"030715093x", u""},
        {"0-12240000", u""},
    };
    for (const auto& c : cases) {
        MapFileContent m = SmallMap();
        m.buildInfo.buildDateStamp = c.stamp;
        BiosImage image;
        ASSERT_EQ(LoadContent(m, image), S_OK) << c.stamp;
        const BuildInfo* build = nullptr;
        ASSERT_EQ(image.GetBuildInfo(&build), S_OK);
        EXPECT_EQ(build->BuildDate(), c.date) << "stamp \"" << c.stamp << "\"";
        EXPECT_EQ(build->buildDateStamp, c.stamp);
    }
}

TEST(BiosStringTable, LooksStringsUpInTheLoadedFile) {
    BiosImage image;
    ASSERT_EQ(LoadContent(SmallMap(), image), S_OK);
    const BiosStringTable* strings = nullptr;
    ASSERT_EQ(image.GetStringTable(&strings), S_OK);
    std::u16string text;
    EXPECT_EQ(strings->Lookup(1, text), S_OK);
    EXPECT_EQ(text, u"Quick Boot");
    EXPECT_EQ(strings->Lookup(4, text), S_OK);
    EXPECT_EQ(text, u"Spread Spectrum 0.25");
    EXPECT_EQ(strings->Lookup(5, text), S_OK);
    EXPECT_EQ(text, u"Primary IDE Master");
    EXPECT_EQ(strings->Lookup(0, text), S_FALSE); // empty
    EXPECT_EQ(text, u"");
    EXPECT_EQ(strings->Lookup(BiosStringTable::kNoString, text), S_FALSE);
    // A raw read keeps the bytes the display rules act on.
    FileString raw;
    EXPECT_EQ(strings->ReadRaw(4, raw), S_OK);
    EXPECT_EQ(raw, "Spread Spectrum 0\xAC%");
    // An ID whose offset lies beyond the end of the file.
    EXPECT_EQ(strings->Lookup(0xFFFE, text), E_FAIL);
}

TEST(BiosStringTable, FailsOnOffsetsOutsideTheFile) {
    LayoutOptions stringsLast;
    std::erase(stringsLast.order, MapSection::StringTable);
    stringsLast.order.push_back(MapSection::StringTable);
    MapLayout layout;
    auto bytes = cvkgen::WriteMapFile(SmallMap(), stringsLast, &layout);
    // String 1 points past the end; string 2 is the last string, cut before its NUL.
    bytes[layout.stringBase + 2] = 0xFF;
    bytes[layout.stringBase + 3] = 0xFF;
    bytes.pop_back();
    BiosImage image;
    ASSERT_EQ(LoadWritten(bytes, image), S_OK);
    const BiosStringTable* strings = nullptr;
    ASSERT_EQ(image.GetStringTable(&strings), S_OK);
    FileString raw;
    EXPECT_EQ(strings->ReadRaw(1, raw), E_FAIL);
    EXPECT_EQ(strings->ReadRaw(8, raw), E_FAIL); // "Advanced" was written last
    EXPECT_EQ(strings->ReadRaw(3, raw), S_OK);
}

TEST(BiosStringTable, DisplayRulesActOnTheRawBytes) {
    const struct {
        const char* raw;
        const char* shown;
    } cases[] = {
        {"Fan Slope 1\xABPWM", "Fan Slope 1.5"},
        {"Spread 0\xAC%", "Spread 0.25"},
        {"1\xAC"
         "2\xAB"
         "3",
         "1.25"}, // 0xAB is replaced first, then 0xAC
        {"1\xAB"
         "2\xAB",
         "1.5"},
        {"IDE Master   :", "IDE Master"},
        {"Primary IDE Slave : Auto", "Primary IDE Slave"},
        {"IDE Master:Auto", "IDE Master"},              // a space anywhere before the colon will do
        {"A:IDE Master : x", "A:IDE Master"},           // a colon with no space before it stays
        {"Primary IDE Master  ", "Primary IDE Master"}, // trailing blanks go without a cut
        {"Master Volume   :", "Master Volume   :"},
        {"IDE Master 1\xAB :", "IDE Master 1.5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BiosStringTable::ApplyDisplayRules(c.raw), c.shown) << c.raw;
}

TEST(BiosImageFromBytes, NeverReadsPastTheEndOfGarbage) {
    // A section-0 tag followed by every section tag and nothing else.
    std::vector<std::uint8_t> bytes(16, 0);
    const char tag0[] = "$AboutThisBIOSBuild";
    bytes.insert(bytes.end(), tag0, tag0 + 16);
    BiosImage image;
    EXPECT_EQ(image.LoadFromBytes(bytes), E_IMAGE_FORMAT);
    bytes.insert(bytes.end(), tag0 + 16, tag0 + 19);
    bytes.resize(bytes.size() + 5, 0);
    EXPECT_EQ(image.LoadFromBytes(bytes), E_IMAGE_FORMAT);
    bytes.back() = '$';
    EXPECT_EQ(image.LoadFromBytes(bytes), E_IMAGE_FORMAT);
}

} // namespace
} // namespace cvk
