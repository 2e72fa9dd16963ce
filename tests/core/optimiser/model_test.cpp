#include "optimiser/model.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace varneth::optimiser;

namespace {

Forecast flat() {
    Forecast f;
    f.e = {1, 1, 1, 1};
    f.d = {0, 0, 0, 0};
    return f;
}

}  // namespace

TEST(ModelTest, FlatForecastsScoreZeroEverywhereAndTheLastCandidateWinsEachPass) {
    const Forecast f = flat();
    const ScenarioTable p = calcp123(f.r);
    EXPECT_EQ(expectedGrowth(f, p, {0.25, 0.25, 0.25, 0.25}), 0.0);
    const SearchResult r = better(f, p);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.growth, 0);
    // The last candidate with x_0 >= 0 in the first pass is all in group 1, and it stays so.
    EXPECT_EQ(r.x, (Proportions{0, 1, 0, 0}));
    EXPECT_EQ(r.y, (std::array<int, 4>{0, 1000, 0, 0}));
}

TEST(ModelTest, LeverageScalesTheGroupsGainAndCostsChargeTheChange) {
    Forecast f = flat();
    f.m[1] = 100 / 10.0;
    f.ini[1] = 1;
    f.e[1] = 1;
    f.d[1] = 0.1;
    // x_1 = 0.2 at a low outcome 10 % below ini loses 0.2 of wealth in that group's term.
    EXPECT_NEAR(terminalWealth(f, {0.8, 0.2, 0, 0}, {-1, 0, 0}), 0.8 + 0.2 - 0.2, 1e-15);
    f.c[2] = 0.01;
    f.p = {0.5, 0, 0.5, 0};
    // Moving group 2 from 0.5 to -0.3 pays on 0.8; a short is a position of size 0.3.
    EXPECT_NEAR(terminalWealth(f, {0.7, 0, -0.3, 0}, {0, 0, 0}), 0.7 + 0.3 - 0.008, 1e-15);
}

TEST(ModelTest, AShortThatLosesEverythingInAPossibleOutcomeIsRejected) {
    Forecast f = flat();
    f.e[1] = 1.5;
    f.d[1] = 0.6;  // high outcome 2.1: more than doubles
    const ScenarioTable p = calcp123(f.r);
    EXPECT_FALSE(expectedGrowth(f, p, {0, -1, 0, 0}));
    // At exactly double it leaves nothing: still rejected (W <= 0).
    f.d[1] = 0.5;
    EXPECT_FALSE(expectedGrowth(f, p, {0, -1, 0, 0}));
    // A cell of probability 0 does not count: with all groups moving together, group 3's high
    // outcome is never paired with group 1's low one.
    f.d[1] = 0.6;
    f.r = {1, 1, 1};
    EXPECT_TRUE(expectedGrowth(f, calcp123(f.r), {0.5, 0.2, 0, 0}));
}

TEST(ModelTest, TheSearchFindsTheKnownOptimumOfASingleBet) {
    // One risky group, the others flat: 0.8 / 1.2 / 1.6 at 1/4, 1/2, 1/4.
    Forecast f = flat();
    f.e[1] = 1.2;
    f.d[1] = 0.4;
    const ScenarioTable p = calcp123(f.r);
    const SearchResult r = better(f, p);
    // E log(1 + x·s) for s in {-0.2, 0.2, 0.6} still rises at x = 1: all in, and nothing else.
    EXPECT_EQ(r.x, (Proportions{0, 1, 0, 0}));
    EXPECT_NEAR(r.growth, 0.25 * std::log2(0.8) + 0.5 * std::log2(1.2) + 0.25 * std::log2(1.6), 1e-12);
}

TEST(ModelTest, NormalisationRoundsHalvesToEvenAndLeavesAZeroRowAlone) {
    std::array<double, 4> row{0, 0, 400, 600};
    EXPECT_TRUE(inp_ratio(row));
    EXPECT_EQ(row, (std::array<double, 4>{0, 0, 400, 600}));
    row = {1, 1, 1, 0};
    inp_ratio(row);
    EXPECT_EQ(row, (std::array<double, 4>{333, 333, 333, 0}));
    row = {1, 1999, 0, 0};  // 0.5 per mille rounds to 0, 999.5 to 1000
    inp_ratio(row);
    EXPECT_EQ(row, (std::array<double, 4>{0, 1000, 0, 0}));
    row = {3, 1997, 0, 0};  // 1.5 rounds to 2, 998.5 to 998
    inp_ratio(row);
    EXPECT_EQ(row, (std::array<double, 4>{2, 998, 0, 0}));
    row = {-200, 300, 500, 0};  // sizes count: a short keeps its sign
    inp_ratio(row);
    EXPECT_EQ(row, (std::array<double, 4>{-200, 300, 500, 0}));
    row = {0, 0, 0, 0};
    EXPECT_FALSE(inp_ratio(row));
    EXPECT_EQ(row, (std::array<double, 4>{0, 0, 0, 0}));
}
