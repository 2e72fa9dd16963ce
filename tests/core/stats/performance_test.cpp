#include "stats/performance.h"

#include <gtest/gtest.h>

#include <cmath>

#include "port/prompter.h"
#include "stats/chart_settings.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "storage/schema.h"

using namespace varneth;
using stats::LineType;
using stats::Performance;
using stats::StartChoice;

namespace {

// An in-memory database holding the one table a case works on.
storage::Database& withTable(storage::Database& db, const char* table) {
    db.createTable(*storage::findTable(table));
    return db;
}

class PerformanceTest : public ::testing::Test {
protected:
    // A fund-ledger row; rows of one date keep the order they are added in (Num).
    void row(const char* dt, double price, double fund, double sz = 1000, double shz = 3000) {
        fund2.append();
        fund2.setValue("DT", dt);
        fund2.setValue("Num", ++num);
        fund2.setValue("PYCODE", "***");
        fund2.setValue("PRICE", price);
        fund2.setValue("FUND", fund);
        fund2.setValue("SZ", sz);
        fund2.setValue("SHZ", shz);
        fund2.post();
    }
    // One point a day from 2025-01-01, price rising by 0.01 a day.
    void days(int count, const char* firstYear = "2025") {
        for (int d = 0; d < count; ++d) {
            const auto date = text::Date{std::stoi(firstYear), 1, 1}.addDays(d).iso();
            row(date.c_str(), 1 + 0.01 * d, 1000 + d);
        }
    }

    storage::Database db{":memory:"};
    storage::Cursor fund2{withTable(db, "Fund2.DB"), "Fund2.DB"};
    port::ScriptedPrompter prompter;
    Performance perf{db, prompter};
    int num = 0;
};

TEST_F(PerformanceTest, LoadSkipsEmptyHeadCollapsesTheFirstDayAndCarriesMissingReadings) {
    row("2025-11-30", 1, 0, 10820, 3386);  // the fund is still empty: no point, but its levels count
    row("2025-12-01", 1, 200000, 0, 0);
    row("2025-12-01", 1.5, 500000, 0, 3390);    // the first date's last row is point 1
    row("2025-12-02", 0, 510000, 9.5, 3400);    // no price, no first level: the previous ones
    row("2025-12-02", 1.02, 520000, 10900, 5);  // a second row of a later date is a point of its own
    row("2025-12-09", 1.05, 530000, 11000, 3500);
    perf.load();
    const auto& p = perf.points();
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].date.iso(), "2025-12-01");
    EXPECT_EQ(p[0].price, 1.5);
    EXPECT_EQ(p[0].fund, 500000);
    EXPECT_EQ(p[0].sz, 10820);
    EXPECT_EQ(p[0].shz, 3390);
    EXPECT_EQ(p[1].price, 1.5);
    EXPECT_EQ(p[1].sz, 10820);
    EXPECT_EQ(p[2].sz, 10900);
    EXPECT_EQ(p[2].shz, 3400);
    EXPECT_EQ(p[1].day, 1);
    EXPECT_EQ(p[2].day, 1);
    EXPECT_EQ(p[3].day, 8);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(PerformanceTest, IndexLevelsMissingFromTheStartTakeTheFirstLevelAndAnEmptyLedgerIsTold) {
    perf.load();
    EXPECT_TRUE(perf.empty());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Performance::kZeroStart});
    EXPECT_TRUE(perf.chart(LineType::Curves, "399001").empty());
    EXPECT_EQ(perf.open("2025-01-01"), StartChoice::FromHead);  // told once, no date message
    EXPECT_EQ(prompter.messages.size(), 2u);

    row("2025-01-01", 1, 100, 0, 0);
    row("2025-01-02", 1, 100, 0, 3000);
    row("2025-01-03", 1, 100, 11000, 3100);
    perf.load();
    EXPECT_EQ(perf.points()[0].sz, 11000);
    EXPECT_EQ(perf.points()[1].sz, 11000);
    EXPECT_EQ(perf.points()[0].shz, 3000);
}

TEST_F(PerformanceTest, ResultTableRoundsAndGivesReturnsInPercent) {
    row("2025-01-01", 1.00, 1000000, 10000.5, 3001.5);
    row("2025-01-02", 1.125, 1100000, 10100, 3100);
    row("2025-01-03", 1.25, 1234567.5, 11000, 2950);
    perf.load();
    const auto r = perf.results();
    EXPECT_EQ(r.price.start, "1");
    EXPECT_EQ(r.price.end, "1.25");
    EXPECT_EQ(r.price.rate, "25");
    EXPECT_EQ(r.index1.start, "10000");  // halves to even
    EXPECT_EQ(r.index2.start, "3002");
    EXPECT_EQ(r.index1.rate, "9.99");
    EXPECT_EQ(r.index2.rate, "-1.72");
    EXPECT_EQ(r.total.end, "1234567.5");  // as stored
    EXPECT_EQ(r.total.rate, "23.46");
    EXPECT_TRUE(prompter.messages.empty());

    perf.scroll(150);  // v is the point before the middle day: the first
    EXPECT_EQ(perf.mark(), 0);
    perf.scroll(300);
    EXPECT_EQ(perf.mark(), 1);
    EXPECT_EQ(perf.results().price.start, "1.12");  // cents, halves to even
    const auto lines = Performance::lines(perf.results(), "深证成指");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "管理帐户  期初价格:1.12  期末价格:1.25  收益率:11.11");
}

TEST_F(PerformanceTest, AZeroStartGivesTheUnknownRateAndTheMessage) {
    row("2025-01-01", 0, 1000000, 0, 3000);
    row("2025-01-02", 1.25, 1000000, 0, 3100);
    perf.load();
    const auto r = perf.results();
    EXPECT_EQ(r.price.rate, "999.99");
    EXPECT_EQ(r.index1.rate, "999.99");
    EXPECT_EQ(r.index2.rate, "3.33");
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Performance::kZeroStart});
    perf.results();  // redrawn at the same start: told already
    EXPECT_EQ(prompter.messages.size(), 1u);
    perf.load();  // read afresh: told again
    perf.results();
    EXPECT_EQ(prompter.messages.size(), 2u);
    // The chart still draws: the series that has no start lies on the axis.
    const auto c = perf.chart(LineType::Curves, "399001");
    EXPECT_EQ(c.price.points.back().value, 0);
    EXPECT_DOUBLE_EQ(c.top, 3100.0 / 3000);  // the second index is the highest
    EXPECT_FALSE(std::isnan(perf.chart(LineType::LogCurves, "").price.points.back().value));
}

TEST_F(PerformanceTest, StartChoicesPlaceTheStartTheLeftEdgeAndTheComparisonStart) {
    days(400);  // 2025-01-01 .. 2026-02-04: 365 points of 2025, 35 of 2026
    perf.load();
    ASSERT_TRUE(perf.choose(StartChoice::ThisYear));
    EXPECT_EQ(perf.start(), 365);
    EXPECT_EQ(perf.left(), 365 - 8);  // a quarter of the 34 points after the start, halves to even
    EXPECT_EQ(perf.mark(), 364);
    ASSERT_TRUE(perf.choose(StartChoice::LastYear));
    EXPECT_EQ(perf.start(), 0);
    EXPECT_EQ(perf.left(), 0);
    EXPECT_EQ(perf.mark(), 0);
    ASSERT_TRUE(perf.choose(StartChoice::FromDate, " 2025-3-1 "));
    EXPECT_EQ(perf.start(), 59);
    EXPECT_EQ(perf.left(), 0);                         // never before the first point
    perf.choose(StartChoice::FromDate, "2026-02-04");  // the last point: v must stay on the chart
    EXPECT_EQ(perf.start(), 399);
    EXPECT_EQ(perf.mark(), 398);
    EXPECT_EQ(perf.left(), 398);

    ASSERT_TRUE(perf.choose(StartChoice::FromDate, "2025-06-10"));
    const int s = perf.start(), left = perf.left();
    EXPECT_FALSE(perf.choose(StartChoice::FromDate, "2025-13-01"));
    EXPECT_FALSE(perf.choose(StartChoice::FromDate, "2026-02-05"));
    EXPECT_FALSE(perf.choose(StartChoice::FromDate, "2024-12-31"));
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{Performance::kBadDate, Performance::kDateOutOfRange,
                                        Performance::kDateOutOfRange}));
    EXPECT_EQ(perf.start(), s);
    EXPECT_EQ(perf.left(), left);
}

TEST_F(PerformanceTest, MoreThanTenThousandPointsAreAllDrawnUpToTheNewest) {
    days(10050);
    perf.load();
    ASSERT_EQ(perf.points().size(), 10050u);
    ASSERT_TRUE(perf.choose(StartChoice::ThisYear));
    const auto c = perf.chart(LineType::WeeklyBars, "");
    EXPECT_EQ(c.lastDate, (text::Date{2025, 1, 1}.addDays(10049).iso()));
    EXPECT_EQ(c.price.points.back().day, 10049);
    EXPECT_EQ(c.bars.back().lastDay, 10049);
}

TEST_F(PerformanceTest, CompressAndStretchStopAtTheirLimits) {
    days(60);
    perf.load();
    ASSERT_TRUE(perf.choose(StartChoice::FromDate, "2025-01-16"));  // s 15, left 15 - round(11) = 4
    EXPECT_EQ(perf.left(), 4);
    perf.compress();
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Performance::kNoFurther});
    EXPECT_EQ(perf.mark(), perf.start());
    perf.stretch();  // 15 - 4 > 10
    EXPECT_EQ(perf.left(), 9);
    perf.stretch();  // 15 - 9 is not
    EXPECT_EQ(perf.left(), 9);
    EXPECT_EQ(prompter.messages.size(), 2u);

    perf.choose(StartChoice::FromDate, "2025-02-20");  // s 50, left 50 - round(2.25) = 48
    perf.compress();
    perf.compress();
    EXPECT_EQ(perf.left(), 38);
    ASSERT_TRUE(perf.choose(StartChoice::FromDate, "2025-01-21"));  // s 20, left 20 - 10 = 10
    EXPECT_EQ(perf.left(), 10);
    perf.compress();  // the 11th point is above the sixth
    EXPECT_EQ(perf.left(), 5);
    perf.compress();  // the sixth is not
    EXPECT_EQ(perf.left(), 5);
    EXPECT_EQ(prompter.messages.size(), 3u);
}

TEST_F(PerformanceTest, NormalisationOfTheThreeViews) {
    row("2025-01-01", 2, 100, 10000, 3000);
    row("2025-01-02", 4, 300, 20000, 750);
    row("2025-01-03", 0.25, 200, 2500, 3000);
    perf.load();
    perf.scroll(0);
    const auto curves = perf.chart(LineType::Curves, "399001");
    EXPECT_EQ(curves.level, 1);
    EXPECT_EQ(curves.price.points[0].value, 1);
    EXPECT_EQ(curves.price.points[1].value, 2);
    EXPECT_EQ(curves.index2.points[1].value, 0.25);
    EXPECT_EQ(curves.top, 2);
    EXPECT_EQ(curves.largestFund, 300);
    EXPECT_EQ(curves.price.legend, "价格0.25");
    EXPECT_EQ(curves.index1.legend, "深指2500");
    EXPECT_EQ(perf.chart(LineType::Curves, "999998").index1.legend, "H指2500");
    EXPECT_EQ(curves.index2.legend, "沪指3000");
    EXPECT_EQ(curves.total.legend, "总值200");

    const auto log = perf.chart(LineType::LogCurves, "399001");
    EXPECT_EQ(log.level, 2);
    EXPECT_EQ(log.price.points[0].value, 2);
    EXPECT_EQ(log.price.points[1].value, 3);
    EXPECT_EQ(log.index2.points[1].value, 0);  // a quarter is the floor
    EXPECT_EQ(log.price.points[2].value, 0);   // an eighth is below it
    EXPECT_EQ(log.top, 3);
    EXPECT_EQ(log.total.points[1].value, 300);

    // A growth multiple of 1 stands at 2 and reads 1; ticks stand where their labels read.
    const stats::ChartGeometry g(log, 649, 377);
    EXPECT_DOUBLE_EQ(g.ky(), 317.0 / 3);
    const auto ticks = g.ticks();
    ASSERT_FALSE(ticks.empty());
    EXPECT_DOUBLE_EQ(ticks[0].y, g.y(2));
    EXPECT_EQ(ticks[0].label, "1");
    for (const auto& t : ticks) {  // 106 pixels a unit is three parts of a third
        const double value = (g.bottom() - t.y) / g.ky();
        EXPECT_NEAR(std::stod(t.label), value - 1, 0.006) << t.label;
    }
    EXPECT_EQ(ticks.back().label, "-1");  // down to the axis
    EXPECT_DOUBLE_EQ(g.markHeight(300), 211 * 0.4);
    EXPECT_EQ(g.x(log.lastDay), 649 - 90);
}

TEST_F(PerformanceTest, WeeklyBarsEndOnTheLastDay) {
    using stats::ChartPoint;
    // Nine days: a first bar of days 0..2, then one week.
    auto bars = stats::weeklyBars({{0, 1}, {2, 2}, {3, 2.5}, {9, 1.9}});
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].firstDay, 0);
    EXPECT_EQ(bars[0].lastDay, 2);
    EXPECT_EQ(bars[0].open, 1);
    EXPECT_EQ(bars[0].close, 2);
    EXPECT_TRUE(bars[0].rising());
    EXPECT_EQ(bars[1].firstDay, 3);
    EXPECT_EQ(bars[1].lastDay, 9);
    EXPECT_DOUBLE_EQ(bars[1].open, 2.5);
    EXPECT_DOUBLE_EQ(bars[1].close, 1.9);
    EXPECT_DOUBLE_EQ(bars[1].low, 1.9);
    EXPECT_DOUBLE_EQ(bars[1].high, 2.5);
    EXPECT_FALSE(bars[1].rising());

    // Fourteen days: the first bar is the start day alone, flat; two points of one day take the later.
    bars = stats::weeklyBars({{0, 2}, {7, 3}, {7, 1}, {14, 2}});
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0].lastDay, 0);
    EXPECT_EQ(bars[0].high, 2);
    EXPECT_EQ(bars[0].low, 2);
    EXPECT_EQ(bars[1].firstDay, 1);
    EXPECT_EQ(bars[1].close, 1);
    EXPECT_DOUBLE_EQ(bars[1].high, 2 + 6.0 / 7);  // the day before the drop
    EXPECT_EQ(bars[2].firstDay, 8);

    // In the window, bars start at the week that holds the left edge.
    days(30);
    perf.load();
    perf.choose(StartChoice::FromDate, "2025-01-21");  // s 20, left 18
    const auto c = perf.chart(LineType::WeeklyBars, "");
    ASSERT_FALSE(c.bars.empty());
    EXPECT_EQ(c.bars.front().firstDay, 16);  // 29 days: 0..1, 2..8, 9..15, 16..22, 23..29
    EXPECT_EQ(c.bars.back().lastDay, 29);
    const stats::ChartGeometry g(c, 649, 377);
    EXPECT_EQ(g.body(c.bars.back()).width, static_cast<int>(std::lround(5 * g.kx())));
}

class ChartSettingsTest : public ::testing::Test {
protected:
    void row(const char* name, const char* para) {
        table.append();
        table.setValue("NAME", name);
        table.setValue("PARA", para);
        table.post();
    }
    std::vector<std::string> rows() {
        std::vector<std::string> all;
        for (table.first(); !table.eof(); table.next())
            all.push_back(table.text("NAME") + "=" + table.text("PARA"));
        return all;
    }
    storage::Database db{":memory:"};
    storage::Cursor table{withTable(db, "parameter.DBF"), "parameter.DBF"};
    port::FixedClock clock{port::DateTime{2026, 3, 10, 9, 0, 0}};
};

TEST_F(ChartSettingsTest, IndicesReadTheRowAfterTheirNameAndDefaultWhenMissing) {
    stats::ChartSettings settings(db);
    EXPECT_EQ(settings.indices(),
              (stats::ComparisonIndices{{"第一行指数名称", "代码"}, {"上证指数", "699001"}}));
    row("s2name", "沪深300");
    row("x", "399300");
    row("s1name", "深证成指");  // last row: no code after it
    EXPECT_EQ(settings.indices(), (stats::ComparisonIndices{{"深证成指", "代码"}, {"沪深300", "399300"}}));

    settings.setIndices({{"H股指数", "999998"}, {"上证指数", "699001"}});
    EXPECT_EQ(rows(),
              (std::vector<std::string>{"s2name=上证指数", "x=699001", "s1name=H股指数", "s1code=999998"}));
    EXPECT_EQ(settings.indices(), (stats::ComparisonIndices{{"H股指数", "999998"}, {"上证指数", "699001"}}));

    // A name row followed by another named row has no code row of its own: that row is never overwritten.
    db.execute("DELETE FROM \"parameter.DBF\" WHERE NAME='x'");
    settings.setIndices({{"H股指数", "999998"}, {"恒生指数", "999999"}});
    EXPECT_EQ(rows(), (std::vector<std::string>{"s1name=H股指数", "s1code=999998", "s2name=恒生指数",
                                                "s2code=999999"}));
}

TEST_F(ChartSettingsTest, StartDateIsTheStoredTextOrThirtyDaysAgo) {
    stats::ChartSettings settings(db);
    EXPECT_EQ(settings.startText(clock), "2026-02-08");
    settings.storeStartText("2026-01-05");
    EXPECT_EQ(settings.startText(clock), "2026-01-05");
    settings.storeStartText("abc");
    EXPECT_EQ(rows(), std::vector<std::string>{"startp=abc"});
}

}  // namespace
