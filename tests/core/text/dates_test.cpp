#include "text/dates.h"

#include <gtest/gtest.h>

using varneth::text::Date;

namespace {

TEST(Date, ParsesTheShortFormsAndRejectsWhatTheCalendarLacks) {
    EXPECT_EQ(Date::parse("2026-03-07"), (Date{2026, 3, 7}));
    EXPECT_EQ(Date::parse("2026-3-7"), (Date{2026, 3, 7}));
    EXPECT_EQ(Date::parse("2026/03/07"), (Date{2026, 3, 7}));
    EXPECT_EQ(Date::parse("2000-02-29"), (Date{2000, 2, 29}));
    for (const char* bad :
         {"2026-02-30", "2025-02-29", "1900-02-29", "2026-13-01", "2026-00-10", "2026-04-31", "26-01-01",
          "2026-01-01x", "2026/01-01", "2026-001-01", "", " 2026-01-01"})
        EXPECT_FALSE(Date::parse(bad)) << '"' << bad << '"';
}

TEST(Date, SerialsCountFromTheEpochBothWays) {
    EXPECT_EQ((Date{1970, 1, 1}).serial(), 0);
    EXPECT_EQ((Date{1969, 12, 31}).serial(), -1);
    for (int s = -800; s < 40000; s += 37) EXPECT_EQ(Date::fromSerial(s).serial(), s);
}

TEST(Date, ArithmeticCrossesMonthsYearsAndLeapDays) {
    EXPECT_EQ((Date{2025, 12, 31}).addDays(1), (Date{2026, 1, 1}));
    EXPECT_EQ((Date{2024, 2, 28}).addDays(1), (Date{2024, 2, 29}));
    EXPECT_EQ((Date{2024, 3, 1}).addDays(-1), (Date{2024, 2, 29}));
    EXPECT_EQ((Date{2024, 1, 1}).daysUntil(Date{2025, 1, 1}), 366);
    EXPECT_EQ((Date{1970, 1, 1}).weekday(), 4);
    EXPECT_EQ((Date{2026, 3, 1}).weekday(), 0);
    EXPECT_LT((Date{2025, 12, 31}), (Date{2026, 1, 1}));
    EXPECT_EQ((Date{26, 3, 7}).iso(), "0026-03-07");
}

}  // namespace
