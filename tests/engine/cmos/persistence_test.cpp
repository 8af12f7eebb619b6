// The CMOS records in the workspace stream: round trip, flags, layout and damaged input.
#include "tests/engine/cmos/cmos_test_support.h"

#include "platform/storage/memory_stream.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

namespace cvk::testing {
namespace {

template <class Object> std::string Saved(Object& object, BOOL clearDirty = TRUE) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateMemoryStream(stream.put()), S_OK);
    EXPECT_EQ(object.Save(stream.get(), clearDirty), S_OK);
    std::string bytes;
    EXPECT_EQ(GetMemoryStreamBytes(stream.get(), &bytes), S_OK);
    return bytes;
}

template <class Object> HRESULT LoadInto(Object& object, std::string_view bytes) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateMemoryStreamOn(bytes, stream.put()), S_OK);
    return object.Load(stream.get());
}

ComPtr<Cmos> EditedTree() {
    auto cmos = BuildCmos(BoardMap(OneMenuBoard(
        R"([{"setting": "A", "keyword": "CMOS_A", "help": "Help of A",
             "choices": ["Off", "On"]},
            {"setting": "B", "choices": ["Low", "Mid", "High"], "attributes": "0x80000001"},
            {"menu": "Sub", "items": [{"setting": "C", "choices": ["x", "y"]}]}])",
        3, 5)));
    SettingNode* a = FindSetting(*cmos, {u"Main"}, u"A");
    SettingNode* b = FindSetting(*cmos, {u"Main"}, u"B");
    a->put_CurrentChoice(&a->Choices().At(1));
    a->put_Locked(VARIANT_TRUE);
    b->put_Hidden(VARIANT_TRUE);
    b->put_NeedsReview(VARIANT_TRUE);
    return cmos;
}

TEST(CmosRecord, RoundTripsTheWholeTree) {
    auto cmos = EditedTree();
    const std::string first = Saved(*cmos);
    EXPECT_EQ(cmos->IsDirty(), S_FALSE);
    const std::string second = Saved(*cmos);
    // The stored flags are those from before each save; nothing else differs.
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), second.size());

    auto loaded = MakeObject<Cmos>();
    ASSERT_EQ(LoadInto(*loaded, first), S_OK);
    EXPECT_EQ(loaded->IsDirty(), S_FALSE);
    EXPECT_TRUE(loaded->IsValid());
    EXPECT_EQ(loaded->MaxNumHideSettings(), 5u);
    EXPECT_EQ(loaded->MaxNumLockSettings(), 3u);
    EXPECT_EQ(Saved(*loaded), second);
    EXPECT_EQ(IniText(*loaded), IniText(*cmos));

    SettingNode* a = FindSetting(*loaded, {u"Main"}, u"A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(CurrentName(*a), u"On");
    EXPECT_EQ(DefaultName(*a), u"Off");
    EXPECT_TRUE(a->Locked());
    EXPECT_TRUE(FindSetting(*loaded, {u"Main"}, u"B")->NeedsReview());
    EXPECT_NE(FindSetting(*loaded, {u"Main", u"Sub"}, u"C"), nullptr);

    // An edit deep in the tree makes the whole object changed.
    FindSetting(*loaded, {u"Main", u"Sub"}, u"C")->Choices().At(0).put_Current(VARIANT_TRUE);
    EXPECT_EQ(loaded->IsDirty(), S_OK);
}

TEST(CmosRecord, SaveWithoutTheClearFlagKeepsTheChanges) {
    auto cmos = EditedTree();
    Saved(*cmos, FALSE);
    EXPECT_EQ(cmos->IsDirty(), S_OK);
}

TEST(CmosRecord, ASettingWithoutStringsOrChoicesIsSixtyTwoBytes) {
    auto setting = MakeObject<SettingNode>();
    setting->Initialize();
    const std::string bytes = Saved(*setting);
    ASSERT_EQ(bytes.size(), 62u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x00\x00\x80\x3F\x00\x03\x00\x00", 8));
    // The three strings are null: three zero counts before the choice list's record.
    EXPECT_EQ(bytes.substr(34, 12), std::string(12, '\0'));

    auto loaded = MakeObject<SettingNode>();
    loaded->Initialize();
    ASSERT_EQ(LoadInto(*loaded, bytes), S_OK);
    EXPECT_TRUE(loaded->Keyword().is_null());
    EXPECT_EQ(loaded->IsDirty(), S_FALSE);
}

// The keyword is the first string after the setting's 34 bytes of version and property block.
constexpr std::size_t kKeywordCount = 34;

TEST(CmosRecord, AnEmptyKeywordIsHeldAndSavedAsNone) {
    auto cmos = BuildCmos(BoardMap(OneMenuBoard(
        R"([{"setting": "E", "keyword": "", "choices": ["Off", "On"]},
            {"setting": "N", "choices": ["Off", "On"]}])")));
    SettingNode* empty = FindSetting(*cmos, {u"Main"}, u"E");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->Keyword().is_null());
    // A zero count, then the name "E": 4 bytes.
    EXPECT_EQ(Saved(*empty).substr(kKeywordCount, 8), std::string("\0\0\0\0\x04\0\0\0", 8));
    EXPECT_EQ(Saved(*FindSetting(*cmos, {u"Main"}, u"N")).substr(kKeywordCount, 4),
              std::string(4, '\0'));

    // Put through the interface, an empty keyword is no keyword either.
    empty->put_BiosKeyword(Bstr(u"CMOS_E").get());
    empty->put_BiosKeyword(Bstr(u"").get());
    EXPECT_TRUE(empty->Keyword().is_null());
}

TEST(CmosRecord, AnEmptyKeywordSavedAsAStringLoadsAsNone) {
    auto cmos = BuildCmos(BoardMap(OneMenuBoard(R"([{"setting": "N", "choices": ["x", "y"]}])")));
    SettingNode* setting = FindSetting(*cmos, {u"Main"}, u"N");
    ASSERT_NE(setting, nullptr);
    Saved(*setting); // so that the record below holds the flags a loaded setting saves
    const std::string none = Saved(*setting);
    ASSERT_EQ(none.substr(kKeywordCount, 4), std::string(4, '\0'));
    std::string emptyString = none;
    emptyString.replace(kKeywordCount, 4, std::string("\x02\0\0\0\0\0", 6));
    for (const std::string& form : {none, emptyString}) {
        auto loaded = MakeObject<SettingNode>();
        loaded->Initialize();
        ASSERT_EQ(LoadInto(*loaded, form), S_OK);
        EXPECT_TRUE(loaded->Keyword().is_null());
        EXPECT_EQ(Saved(*loaded), none);
    }
}

TEST(CmosRecord, RefusesNewerVersionsAndCutStreams) {
    auto cmos = EditedTree();
    const std::string bytes = Saved(*cmos);

    std::string newer = bytes;
    const std::uint32_t version = std::bit_cast<std::uint32_t>(1.5f);
    std::memcpy(newer.data(), &version, 4);
    auto loaded = MakeObject<Cmos>();
    EXPECT_EQ(LoadInto(*loaded, newer), E_FAIL);

    std::string newerBlock = bytes;
    newerBlock[4] = 0x01; // 0x00000301
    EXPECT_EQ(LoadInto(*loaded, newerBlock), E_FAIL);

    // A deeper record: the root group's own version.
    std::string nested = bytes;
    std::memcpy(nested.data() + 20, &version, 4);
    EXPECT_EQ(LoadInto(*loaded, nested), E_FAIL);

    for (std::size_t size = 0; size < bytes.size(); size += 7)
        EXPECT_TRUE(FAILED(LoadInto(*loaded, bytes.substr(0, size)))) << size;
}

TEST(CmosRecord, RefusesGroupsNestedWithoutBound) {
    // Each level: a group record whose child list holds one more group.
    std::string group;
    const std::string start("\x00\x00\x80\x3F\x00\x03\x00\x00", 8);
    const std::string flags("\x00\x00\xFF\xFF", 4);
    const std::string nullName(4, '\0');
    std::string tail;
    std::string stream = start + flags + std::string(8, '\0'); // the Cmos block
    for (int level = 0; level < 5000; ++level) {
        stream += start + flags + nullName + start + flags + std::string("\x01\0\0\0", 4);
        tail += start + flags + std::string(4, '\0'); // each group's empty setting list
    }
    auto loaded = MakeObject<Cmos>();
    EXPECT_EQ(LoadInto(*loaded, stream + tail), E_FAIL);
}

} // namespace
} // namespace cvk::testing
