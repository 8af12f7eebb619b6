// Code page conversions and CR LF text output.
#include "platform/text/codepage.h"
#include "platform/text/text_writer.h"

#include <gtest/gtest.h>

namespace cvk::text {
namespace {

TEST(Windows1252, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::u16string wide = DecodeWindows1252(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(EncodeWindows1252(wide), all);
}

TEST(Windows1252, HighRangeMapsToTypographicCharacters) {
    EXPECT_EQ(DecodeWindows1252("\x80\x99\x9F\xAB\xE9"), u"\u20AC\u2122\u0178\u00AB\u00E9");
    EXPECT_EQ(EncodeWindows1252(u"\u20AC\u2014\u00FF"), "\x80\x97\xFF");
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(EncodeWindows1252(u"a\u0100b\u4E2Dc"), "a?b?c");
    // An emoji is one character in two units: one question mark.
    EXPECT_EQ(EncodeWindows1252(u"x\U0001F600y"), "x?y");
    // A lone surrogate is still a character the code page lacks.
    EXPECT_EQ(EncodeWindows1252(std::u16string(1, char16_t(0xD800))), "?");
}

TEST(Utf8, RoundTripsThroughUtf16IncludingSupplementaryPlanes) {
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x82\xAC \xF0\x9F\x98\x80";
    const std::u16string wide = Utf8ToUtf16(utf8);
    EXPECT_EQ(wide, u"Gr\u00FC\u00DFe \u20AC \U0001F600");
    EXPECT_EQ(Utf16ToUtf8(wide), utf8);
}

TEST(Utf8, MalformedSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");                     // cut short at the end
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");           // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
}

TEST(TextWriter, EndsEveryLineWithCrLfInTheCodePage) {
    TextWriter writer;
    writer.Write(u"[Section]");
    writer.WriteLine();
    writer.WriteLine(u"Key=\u00E9\u20AC\u0100");
    writer.WriteRaw("raw");
    EXPECT_EQ(writer.Bytes(), "[Section]\r\nKey=\xE9\x80?\r\nraw");
}

} // namespace
} // namespace cvk::text
