#include "optimiser/parameters.h"

#include <gtest/gtest.h>

using namespace varneth::optimiser;

namespace {

Parameters sample() {
    Parameters p;
    p.ini = {100, 95, 100, 102};
    p.e = {103, 120, 110, 108};
    p.d = {0, 30, 45, 10};
    p.cost = {"0", "0.25", "5", "0.1"};
    p.margin = {"100", "3.5", "100", "10"};
    p.r = {-0.5, 0, 0.5};
    p.overdraftRatio = "50";
    p.overdraftRate = "6.5";
    return p;
}

// The file's lines, with `line` (from 1) replaced.
std::string withLine(const Parameters& p, int line, const std::string& text) {
    std::string out, all = prdText(p);
    int n = 1;
    for (std::size_t from = 0; from < all.size(); ++n) {
        const auto end = all.find('\n', from);
        out += (n == line ? text : all.substr(from, end - from)) + "\n";
        from = end + 1;
    }
    return out;
}

}  // namespace

TEST(ParametersTest, TheFileHasTwentyFiveLinesInTheirPlacesAndReadsBackTheSame) {
    const Parameters p = sample();
    EXPECT_EQ(prdText(p),
              "100\n95\n100\n102\n103\n120\n110\n108\n0\n30\n45\n10\n0\n0.25\n5\n0.1\n100\n3.5\n100\n10\n"
              "-0.5\n0\n0.5\n50\n6.5\n");
    EXPECT_EQ(parsePrd(prdText(p)), p);
    // Line ends from another system, and lines after the 25th, are fine.
    std::string crlf;
    for (char c : prdText(p)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(parsePrd(crlf + "extra\r\n"), p);
    // Blanks around a value are not kept: the file written from what was read reads the same.
    const auto blanks = parsePrd(withLine(p, 24, " 50\t\r"));
    ASSERT_TRUE(blanks);
    EXPECT_EQ(blanks->overdraftRatio, "50");
    EXPECT_EQ(parsePrd(prdText(*blanks)), blanks);
    // The fixed lines are not read.
    EXPECT_EQ(parsePrd(withLine(p, 1, "7")), p);
    EXPECT_EQ(parsePrd(withLine(p, 17, "x")), p);
}

TEST(ParametersTest, AFileTheWindowCouldNotHaveWrittenIsRefusedWhole) {
    const Parameters p = sample();
    const std::string text = prdText(p);
    EXPECT_FALSE(parsePrd(text.substr(0, text.rfind("6.5"))));  // 24 lines
    EXPECT_FALSE(parsePrd(""));
    EXPECT_FALSE(parsePrd(withLine(p, 3, "abc")));    // ini
    EXPECT_FALSE(parsePrd(withLine(p, 6, "120.5")));  // a per cent box holds whole numbers
    EXPECT_FALSE(parsePrd(withLine(p, 10, "120")));   // deviation equal to its expectation
    EXPECT_FALSE(parsePrd(withLine(p, 18, "0")));     // margin 0: infinite leverage
    EXPECT_FALSE(parsePrd(withLine(p, 18, "100.5")));
    EXPECT_FALSE(parsePrd(withLine(p, 14, "-0.1")));  // negative cost
    EXPECT_FALSE(parsePrd(withLine(p, 15, "一")));
    EXPECT_FALSE(parsePrd(withLine(p, 21, "0.3")));  // not a listed correlation
    EXPECT_FALSE(parsePrd(withLine(p, 23, "1")));    // r13 that does not go with -0.5 and 0
    EXPECT_TRUE(parsePrd(withLine(p, 18, "100")));   // the boundary itself is a margin
    EXPECT_TRUE(parsePrd(withLine(p, 10, "119")));
}

TEST(ParametersTest, ForecastFractionsAndLeverage) {
    const Forecast f = forecastOf(sample());
    EXPECT_EQ(f.e[0], 103 * 0.01);
    EXPECT_EQ(f.ini[1], 95 * 0.01);
    EXPECT_EQ(f.d[2], 45 * 0.01);
    EXPECT_EQ(f.c[1], 0.25 * 0.01);
    EXPECT_EQ(f.m[1], 100 / 3.5);
    EXPECT_EQ(f.m[3], 10);
    EXPECT_EQ(f.r.r12, -0.5);
}

TEST(ParametersTest, ProblemsAreToldBeforeAnythingIsComputed) {
    Parameters p;
    EXPECT_FALSE(problemWith(p));
    p.margin[2] = "0";
    EXPECT_EQ(problemWith(p), std::string(kBadMargin));
    p = {};
    p.cost[3] = "-1";
    EXPECT_EQ(problemWith(p), std::string(kBadCost));
    p = {};
    p.d[1] = p.e[1];
    EXPECT_EQ(problemWith(p), std::string(kDeviationTooLarge));
    p = {};
    p.r.r13 = -0.5;
    EXPECT_EQ(problemWith(p), std::string("证券1和证券3的相关系数只能是0,0.5,1"));
    EXPECT_EQ(levelsLabel(Parameters{}, 1), "95/115/135");
    EXPECT_EQ(levelsLabel(Parameters{}, 0), "100/100/100");
}
