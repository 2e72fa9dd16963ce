#include "port/clock.h"

#include <gtest/gtest.h>

namespace varneth::port {
void PrintTo(const DateTime& t, std::ostream* os) {
    *os << t.iso();
}
}  // namespace varneth::port

using varneth::port::DateTime;
using varneth::port::FixedClock;

namespace {

TEST(DateTime, ParsesValidTimesOnly) {
    const auto t = DateTime::parse("2026-12-07 09:30:05");
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, (DateTime{2026, 12, 7, 9, 30, 5}));
    EXPECT_EQ(t->iso(), "2026-12-07 09:30:05");
    EXPECT_EQ(t->isoDate(), "2026-12-07");
    for (const char* bad : {"2026-02-30 10:00:00", "2026-01-01 24:00:00", "2026-01-01 10:60:00",
                            "2026-01-01 10:00:60", "2026-01-01", "2026-01-01  10:00:00", "2026-01-01 10:00",
                            "2026-01-01 10:00:00x", "2026-01-01 10:000:00", "2026-01-01T10:00:00"})
        EXPECT_FALSE(DateTime::parse(bad)) << '"' << bad << '"';
}

TEST(FixedClock, AdvanceCarriesThroughEveryField) {
    FixedClock c(DateTime{2025, 12, 31, 23, 59, 59});
    c.advanceSeconds(1);
    EXPECT_EQ(c.now(), (DateTime{2026, 1, 1, 0, 0, 0}));
    c.set(DateTime{2024, 2, 28, 23, 59, 30});
    c.advanceSeconds(60);
    EXPECT_EQ(c.now(), (DateTime{2024, 2, 29, 0, 0, 30}));
    c.advanceSeconds(86400 + 3600 * 2);
    EXPECT_EQ(c.now(), (DateTime{2024, 3, 1, 2, 0, 30}));
    c.advanceSeconds(-(86400 * 60 + 3 * 3600 + 31));
    EXPECT_EQ(c.now(), (DateTime{2023, 12, 31, 22, 59, 59}));
}

TEST(SystemClock, GivesAValidLocalTime) {
    const DateTime now = varneth::port::SystemClock().now();
    EXPECT_EQ(DateTime::parse(now.iso()), now);
}

}  // namespace
