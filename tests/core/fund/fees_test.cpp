#include <gtest/gtest.h>

#include "fund/investment_types.h"

using namespace varneth;
using fund::InvestmentType;
using fund::out_value;

namespace {

InvestmentType guarantee() {
    InvestmentType t;
    t.c5 = true, t.e9 = 10, t.e10 = 50;
    return t;
}

InvestmentType commission(bool c8) {
    InvestmentType t;
    t.c2 = true, t.e3 = 10, t.e4 = 20;
    t.c3 = true, t.e5 = 11, t.e6 = 10;
    t.c8 = c8;
    return t;
}

TEST(Fees, FeeFreeTypeIsUnitsTimesPrice) {
    EXPECT_DOUBLE_EQ(out_value({1000, 800, 1.25}, nullptr, 1.5, 400), 1200);
}

TEST(Fees, GuaranteeMakesGoodHalfTheShortfallAndAboveItTheGainIsKept) {
    const InvestmentType t = guarantee();
    // A year at 4 %: 10 % guaranteed, half of the 6 % shortfall made good.
    EXPECT_NEAR(out_value({1000, 1000, 1}, &t, 1.04, 365), 1070, 1e-9);
    // At 15 % the gain is above the guarantee and, with no commission ticked, kept whole.
    EXPECT_NEAR(out_value({1000, 1000, 1}, &t, 1.15, 365), 1150, 1e-9);
    // Exactly at the guarantee the guarantee branch applies: nothing to make good.
    EXPECT_NEAR(out_value({1000, 1000, 1}, &t, 1.1, 365), 1100, 1e-9);
}

TEST(Fees, HalfYearCommissionScalesThresholdsUnlessTheLaterOnesAreHeld) {
    InvestmentType only = commission(false);
    only.c3 = false;
    EXPECT_NEAR(out_value({1000, 1000, 1}, &only, 1.12, 182.5), 1106, 1e-9);
    // e5 halved to 5.5 %: a further 10 % of 6.5 %.
    const InvestmentType scaled = commission(false);
    EXPECT_NEAR(out_value({1000, 1000, 1}, &scaled, 1.12, 182.5), 1099.5, 1e-9);
    // e5 held at 11 % for the short holding: a further 10 % of 1 %.
    const InvestmentType held = commission(true);
    EXPECT_NEAR(out_value({1000, 1000, 1}, &held, 1.12, 182.5), 1105, 1e-9);
}

TEST(Fees, LaterCommissionTiersCountOnlyUnderTheTierBefore) {
    InvestmentType t;
    t.c3 = true, t.e5 = 0, t.e6 = 50;  // no C2: neither tier applies
    t.c4 = true, t.e7 = 0, t.e8 = 50;
    EXPECT_DOUBLE_EQ(out_value({1000, 900, 1}, &t, 2, 365), 1800);
    t.c2 = true, t.e3 = 0, t.e4 = 10;  // with C2 all three tiers count
    EXPECT_NEAR(out_value({1000, 900, 1}, &t, 2, 365), 1000 * (2 - 0.1 - 0.5 - 0.5), 1e-9);
    t.c3 = false;  // C4 without C3 counts for nothing
    EXPECT_NEAR(out_value({1000, 900, 1}, &t, 2, 365), 1000 * (2 - 0.1), 1e-9);
}

TEST(Fees, FixedAndInOutFeesAreDeductedAndAFeeNeverPays) {
    InvestmentType t;
    t.c1 = true, t.e2 = 36.5;
    // The average of 1 and 1.5 on 1000 units, 36.5 % a year for 100 days.
    EXPECT_DOUBLE_EQ(out_value({1000, 1000, 1}, &t, 1.5, 100), 1500 - 125);
    EXPECT_DOUBLE_EQ(out_value({1000, 1000, 1}, &t, 1.5, -100), 1500);
    InvestmentType io;
    io.c9 = true, io.e12 = 1;
    EXPECT_DOUBLE_EQ(out_value({1000, 1000, 1}, &io, 1.5, 100), 1485);
}

}  // namespace
