// BSTR allocation and the cvk::Bstr holder.
#include "platform/com/bstr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t PrefixOf(BSTR s) {
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char*>(s) - 4, 4);
    return bytes;
}

TEST(Bstr, LengthPrefixAndTerminator) {
    BSTR s = SysAllocString(u"Corvane");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(PrefixOf(s), 14u);
    EXPECT_EQ(SysStringLen(s), 7u);
    EXPECT_EQ(SysStringByteLen(s), 14u);
    EXPECT_EQ(s[7], u'\0');
    SysFreeString(s);
}

TEST(Bstr, NullAndEmptyStayDistinct) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
    SysFreeString(nullptr);

    cvk::Bstr none;
    cvk::Bstr blank(std::u16string_view(u""));
    EXPECT_TRUE(none.is_null());
    EXPECT_FALSE(blank.is_null());
    EXPECT_TRUE(blank.empty());
    EXPECT_FALSE(none == blank);
    cvk::Bstr copied(none);
    EXPECT_TRUE(copied.is_null());
    BSTR out = reinterpret_cast<BSTR>(&out);
    EXPECT_EQ(none.CopyTo(&out), S_OK);
    EXPECT_EQ(out, nullptr);
}

TEST(Bstr, EmbeddedNulsAreKept) {
    const char16_t text[] = {u'a', u'\0', u'b', u'\0'};
    BSTR s = SysAllocStringLen(text, 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    cvk::Bstr held = cvk::Bstr::Attach(s);
    cvk::Bstr copy = held;
    EXPECT_EQ(copy.view(), std::u16string_view(text, 3));
    EXPECT_EQ(cvk::Bstr(std::u16string_view(text, 3)).length(), 3u);
}

TEST(Bstr, OddByteLengthsAndUninitialisedText) {
    BSTR odd = SysAllocStringByteLen("abc", 3);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(SysStringByteLen(odd), 3u);
    EXPECT_EQ(SysStringLen(odd), 1u);
    SysFreeString(odd);
    BSTR zeroes = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(zeroes, nullptr);
    EXPECT_EQ(std::u16string_view(zeroes, 4), std::u16string_view(u"\0\0\0\0", 4));
    SysFreeString(zeroes);
}

TEST(Bstr, LengthsBeyondThePrefixFail) {
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFFu), nullptr);
    BSTR kept = SysAllocString(u"kept");
    EXPECT_EQ(SysReAllocStringLen(&kept, nullptr, 0xFFFFFFFFu), FALSE);
    EXPECT_EQ(std::u16string_view(kept), u"kept");
    EXPECT_EQ(SysReAllocStringLen(&kept, u"new", 3), TRUE);
    EXPECT_EQ(std::u16string_view(kept), u"new");
    SysFreeString(kept);
}

TEST(Bstr, HolderOwnership) {
    cvk::Bstr text = cvk::Bstr::FromUtf8("Grüße");
    EXPECT_EQ(text.view(), u"Grüße");
    EXPECT_EQ(text.utf8(), "Grüße");

    BSTR* slot = text.put(); // frees the old text (ASan would see a leak otherwise)
    EXPECT_EQ(*slot, nullptr);
    *slot = SysAllocString(u"out");
    EXPECT_EQ(text.view(), u"out");

    BSTR raw = text.detach();
    EXPECT_TRUE(text.is_null());
    text.attach(raw);
    cvk::Bstr moved = std::move(text);
    EXPECT_TRUE(text.is_null());
    EXPECT_EQ(moved.get(), raw);

    BSTR copy = nullptr;
    ASSERT_EQ(moved.CopyTo(&copy), S_OK);
    EXPECT_NE(copy, raw);
    EXPECT_EQ(std::u16string_view(copy), u"out");
    SysFreeString(copy);
    EXPECT_EQ(moved.CopyTo(nullptr), E_POINTER);
}

} // namespace
