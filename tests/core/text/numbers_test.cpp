#include "text/numbers.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

using namespace varneth::text;

namespace {

TEST(RoundHalfEven, HalvesGoToEvenInAnyRoundingMode) {
    // 0.49999999999999994 + 0.5 rounds up to 1 in doubles; 2^52 + 1 has no fraction to lose.
    const double in[] = {
        0.5, 1.5, 2.5, -1.5, -2.5, 1004.5, 1005.5, 2.5001, -2.5001, 0.49999999999999994, 0x1p52 + 1};
    const double out[] = {0, 2, 2, -2, -2, 1004, 1006, 3, -3, 0, 0x1p52 + 1};
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        for (std::size_t i = 0; i < std::size(in); ++i)
            EXPECT_EQ(roundHalfEven(in[i]), out[i]) << in[i] << " mode " << mode;
        EXPECT_TRUE(std::signbit(roundHalfEven(-0.5)));
    }
    std::fesetround(FE_TONEAREST);
}

TEST(RoundScaled, MultipliesByTheUnitLikeTheLedger) {
    EXPECT_EQ(roundScaled(0.125, 2), 0.12);
    EXPECT_EQ(roundScaled(0.35, 2), 35 * 0.01);  // 0.35000000000000003, not 35 / 100.0
    EXPECT_NE(roundScaled(0.35, 2), 0.35);
    EXPECT_EQ(roundScaled(1.23456, 4), 12346 * 0.0001);
    EXPECT_THROW(roundScaled(1, 5), std::out_of_range);
}

TEST(ShortestText, ReadsBackWithoutExponentOrTrailingZero) {
    EXPECT_EQ(shortestText(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(shortestText(14474.0), "14474");
    EXPECT_EQ(shortestText(72.37f), "72.37");
    EXPECT_EQ(shortestText(static_cast<double>(72.37f)), "72.37000274658203");
    EXPECT_EQ(shortestText(-0.0), "0");
    EXPECT_EQ(shortestText(0.000001), "0.000001");
    EXPECT_EQ(shortestText(123456789012345.0), "123456789012345");
    EXPECT_EQ(shortestText(1e20), "1e+20");
}

TEST(ParseNumber, AcceptsOnlyPlainDecimalNumbers) {
    EXPECT_EQ(parseNumber(" 12 "), 12.0);
    EXPECT_EQ(parseNumber("-3.5"), -3.5);
    EXPECT_EQ(parseNumber("+.5"), 0.5);
    EXPECT_EQ(parseNumber("5."), 5.0);
    EXPECT_EQ(parseNumber("1.5E-2"), 0.015);
    for (const char* bad : {"", "  ", "1,000", "abc", "1.2.3", "inf", "nan", "-", ".", "+-5", "1e", "0x10",
                            "1e400", "1 2", "1e5.5"})
        EXPECT_FALSE(parseNumber(bad)) << '"' << bad << '"';
}

TEST(ParseInteger, AcceptsSignedDigitsInRange) {
    EXPECT_EQ(parseInteger(" -7 "), -7);
    EXPECT_EQ(parseInteger("+3"), 3);
    EXPECT_EQ(parseInteger("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    for (const char* bad : {"", "1.0", "12a", "+-1", "-", "9223372036854775808"})
        EXPECT_FALSE(parseInteger(bad)) << '"' << bad << '"';
}

}  // namespace
