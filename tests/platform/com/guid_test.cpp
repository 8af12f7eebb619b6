// Identifier text: formatting, parsing and rejection of malformed text.
#include "platform/com/guid.h"

#include <gtest/gtest.h>

namespace {

constexpr GUID kSample{
    0xBDF56E22, 0x9188, 0x446D, {0x83, 0x4D, 0xCE, 0x97, 0xA5, 0x9D, 0x45, 0xE0}};

TEST(Guid, FormatsUpperCaseWithBraces) {
    EXPECT_EQ(cvk::FormatGuid(kSample), "{BDF56E22-9188-446D-834D-CE97A59D45E0}");
    EXPECT_EQ(cvk::FormatGuid(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
}

TEST(Guid, ParsesEitherCaseAndRoundTrips) {
    auto lower = cvk::ParseGuid(std::string_view("{bdf56e22-9188-446d-834d-ce97a59d45e0}"));
    ASSERT_TRUE(lower);
    EXPECT_EQ(*lower, kSample);
    GUID odd{0x00000001, 0xFFFF, 0x0A0B, {0xFF, 0, 1, 0x80, 0x7F, 0x10, 0x01, 0xEE}};
    auto back = cvk::ParseGuid(cvk::FormatGuid16(odd));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, odd);
}

TEST(Guid, RejectsMalformedText) {
    for (std::string_view bad :
         {"", "{}", "BDF56E22-9188-446D-834D-CE97A59D45E0", "{BDF56E22-9188-446D-834D-CE97A59D45E0",
          "{BDF56E22-9188-446D-834D-CE97A59D45E0}x", "{BDF56E22-9188-446D-834D-CE97A59D45E}",
          "{BDF56E22-9188-446D-834D-CE97A59D45E00}", "{BDF56E2G-9188-446D-834D-CE97A59D45E0}",
          "{BDF56E22+9188-446D-834D-CE97A59D45E0}", "{BDF56E229-188-446D-834D-CE97A59D45E0}",
          "{ BDF56E22-9188-446D-834D-CE97A59D45E}", "(BDF56E22-9188-446D-834D-CE97A59D45E0)",
          "{BDF56E22-9188-446D-834D-CE97A59D45-0}"}) {
        EXPECT_FALSE(cvk::ParseGuid(bad)) << bad;
    }
    // A character beyond ASCII whose low byte is a hexadecimal digit.
    EXPECT_FALSE(
        cvk::ParseGuid(std::u16string_view(u"{BDF56E22-9188-446D-834D-CE97A59D45E\u0130}")));
}

TEST(Guid, PlatformFunctions) {
    OLECHAR text[39];
    EXPECT_EQ(StringFromGUID2(kSample, text, 38), 0); // no room for the terminator
    ASSERT_EQ(StringFromGUID2(kSample, text, 39), 39);
    EXPECT_EQ(std::u16string(text), u"{BDF56E22-9188-446D-834D-CE97A59D45E0}");
    CLSID parsed{};
    EXPECT_EQ(CLSIDFromString(text, &parsed), S_OK);
    EXPECT_EQ(parsed, kSample);
    EXPECT_EQ(CLSIDFromString(u"{nonsense}", &parsed), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(nullptr, &parsed), E_POINTER);
}

} // namespace
