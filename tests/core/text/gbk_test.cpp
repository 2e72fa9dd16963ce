#include "text/gbk.h"

#include <gtest/gtest.h>

using namespace varneth::text;

namespace {

TEST(GbkWidth, CountsGbkBytesAndInvalidBytesOneEach) {
    EXPECT_EQ(gbkWidth("平安银行A"), 9);
    EXPECT_EQ(gbkWidth("한"), 4);                // not in GBK: GB18030's four bytes
    EXPECT_EQ(gbkWidth("\xF0\x9F\x98\x80"), 4);  // beyond the BMP
    // A stray byte, a truncated character, an encoded surrogate, an overlong "/".
    EXPECT_EQ(gbkWidth("\xFF\xE4\xB8\xED\xA0\x80\xC0\xAF"), 8);
}

TEST(GbkWidth, AgreesWithTheConversionEveryTime) {
    for (const char* s : {"中文A", "平安银行", "€½ä", "한글", "\xEE\x9E\x8D", "a\xFFz", "\xF0\x9F\x98\x80"}) {
        SCOPED_TRACE(s);
        EXPECT_EQ(gbkWidth(s), static_cast<int>(utf8ToGbk(s).size()));
        EXPECT_EQ(gbkWidth(s), static_cast<int>(utf8ToGbk(s).size()));  // now from the cache
    }
}

TEST(GbkWidth, ASupplementaryCharacterWithATwoByteCodeCountsTwo) {
    // GBK FE51 reads as U+20087 and writes back as the same two bytes.
    const std::string c = gbkToUtf8("\xFE\x51");
    ASSERT_EQ(c, "\xF0\xA0\x82\x87");
    EXPECT_EQ(gbkWidth("A" + c + "B"), 4);
    EXPECT_EQ(utf8ToGbk("A" + c + "B"), std::string("A\xFE\x51") + "B");
    EXPECT_EQ(cutToWidth(c + "平安", 4), c + "平");
}

TEST(CutToWidth, NeverSplitsACharacter) {
    const char* expected[] = {"",     "",       "平",     "平",       "平安",
                              "平安", "平安银", "平安银", "平安银行", "平安银行A"};
    for (int w = 0; w <= 9; ++w) EXPECT_EQ(cutToWidth("平安银行A", w), expected[w]) << "width " << w;
    EXPECT_EQ(cutToWidth("平安银行A", -1), "");
    EXPECT_EQ(cutToWidth("A平\xFF安", 4), "A平\xFF");
}

TEST(Trim, RemovesSpacesAndControlCharacters) {
    EXPECT_EQ(trim(" \t 现金 xj \r\n"), "现金 xj");
    EXPECT_EQ(trimRight("  ab  "), "  ab");
}

TEST(S10, PadsByTheWidthOfTheTrimmedText) {
    EXPECT_EQ(s10("平安银行", 9), "平安银行 ");
    // A cell that fills or overflows its column keeps one blank before the next.
    EXPECT_EQ(s10("平安银行", 8), "平安银行 ");
    EXPECT_EQ(s10("平安银行", 3), "平安银行 ");
    EXPECT_EQ(s10("0123456789", 9) + s10("000001", 7), "0123456789 000001 ");
    EXPECT_EQ(s10("", 3), "   ");
    // Surrounding blanks stay but are not counted, as in the heading " 券商".
    EXPECT_EQ(s10(" 券商", 9), " 券商     ");
    EXPECT_EQ(s10("ab  ", 6), "ab      ");
}

TEST(ReportCell, AFullCellGetsOneBlankSoNeighboursNeverRunTogether) {
    EXPECT_EQ(cell("12.5", 5), "12.5 ");    // one short: padded as s10 pads
    EXPECT_EQ(cell("12345", 5), "12345 ");  // exactly full: one blank
    EXPECT_EQ(cell("0.3333333333333333", 11) + cell("12.5", 11), "0.3333333333333333 12.5       ");
    EXPECT_EQ(cell("平安银行", 8), "平安银行 ");  // counted in GBK bytes
    EXPECT_EQ(cell("平安银", 8), "平安银  ");
    EXPECT_EQ(cell("", 3), "   ");
}

TEST(GbkConversion, RoundTripsAndReplacesWhatDoesNotConvert) {
    EXPECT_EQ(utf8ToGbk("中文A"), "\326\320\316\304A");
    EXPECT_EQ(gbkToUtf8("\326\320\316\304A"), "中文A");
    const std::string mixed = "现金 한 \xF0\x9F\x98\x80 ＄";
    EXPECT_EQ(gbkToUtf8(utf8ToGbk(mixed)), mixed);
    EXPECT_EQ(utf8ToGbk("a\xFFz"), "a?z");
    EXPECT_EQ(gbkToUtf8("a\201 z"), "a\xEF\xBF\xBD z");      // a lead byte before a blank
    EXPECT_EQ(gbkToUtf8("\xD6\xD0\xD6"), "中\xEF\xBF\xBD");  // a truncated tail
    EXPECT_EQ(gbkToUtf8(std::string(100000, 'x')).size(), 100000u);
}

}  // namespace
