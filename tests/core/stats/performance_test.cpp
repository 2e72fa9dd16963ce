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
using Texts = std::vector<std::string>;

namespace {

// An in-memory database holding the one table a case works on.
storage::Database& withTable(storage::Database& db, const char* table) {
    db.createTable(*storage::findTable(table));
    return db;
}

class PerformanceTest : public ::testing::Test {
protected:
    // A fund-ledger row; rows of one date keep the order they are added in (Num).
    void row(const std::string& dt, double price, double fund, double sz = 1000, double shz = 3000) {
        fund2.append();
        for (auto [f, v] : {std::pair<const char*, storage::Value>{"DT", dt},
                            {"Num", ++num},
                            {"PYCODE", "***"},
                            {"PRICE", price},
                            {"FUND", fund},
                            {"SZ", sz},
                            {"SHZ", shz}})
            fund2.setValue(f, v);
        fund2.post();
    }
    // One point a day from 2025-01-01, the price rising by 0.01 a day.
    void days(int count) {
        for (int d = 0; d < count; ++d) row(text::Date{2025, 1, 1}.addDays(d).iso(), 1 + 0.01 * d, 1000 + d);
        perf.load();
    }
    std::vector<int> edges() { return {perf.start(), perf.left(), perf.mark()}; }

    storage::Database db{":memory:"};
    storage::Cursor fund2{withTable(db, "Fund2.DB"), "Fund2.DB"};
    port::ScriptedPrompter prompter;
    Performance perf{db, prompter};
    int num = 0;
};

TEST_F(PerformanceTest, LoadSkipsTheEmptyHeadCollapsesTheFirstDayAndRepeatsMissingReadings) {
    perf.load();
    EXPECT_TRUE(perf.empty());
    EXPECT_EQ(prompter.messages, Texts{Performance::kZeroStart});
    row("2025-11-30", 1, 0, 10820, 3386);  // the fund is still empty: no point, but its levels count
    row("2025-12-01", 1, 200000, 0, 0);
    row("2025-12-01", 1.5, 500000, 0, 3390);    // the first date's last row is point 1
    row("2025-12-02", 0, 510000, 9.5, 3400);    // no price, a level below 10: the previous ones
    row("2025-12-02", 1.02, 520000, 10900, 5);  // a second row of a later date is a point of its own
    row("2025-12-09", 1.05, 530000, 11000, 3500);
    perf.load();
    const auto& p = perf.points();
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].date.iso(), "2025-12-01");
    EXPECT_EQ((std::vector{p[0].price, p[0].fund, p[0].sz, p[0].shz}),
              (std::vector{1.5, 500000.0, 10820.0, 3390.0}));
    EXPECT_EQ((std::vector{p[1].price, p[1].sz, p[2].sz, p[2].shz}),
              (std::vector{1.5, 10820.0, 10900.0, 3400.0}));
    EXPECT_EQ((std::vector{p[1].day, p[2].day, p[3].day}), (std::vector{1, 1, 8}));
}

TEST_F(PerformanceTest, TheResultTableRoundsAndGivesReturnsInPercentOr999Point99) {
    row("2025-01-01", 1.00, 1000000, 10000.5, 3001.5);
    row("2025-01-02", 1.125, 1100000, 10100, 3100);
    row("2025-01-03", 1.25, 1234567.5, 11000, 2950);
    perf.load();
    const auto r = perf.results();
    EXPECT_EQ((Texts{r.price.start, r.price.end, r.price.rate}), (Texts{"1", "1.25", "25"}));
    EXPECT_EQ((Texts{r.index1.start, r.index1.rate, r.index2.start, r.index2.rate}),
              (Texts{"10000", "9.99", "3002", "-1.72"}));  // whole levels halves to even
    EXPECT_EQ((Texts{r.total.end, r.total.rate}), (Texts{"1234567.5", "23.46"}));
    perf.scroll(300);  // v: the point before the last day
    EXPECT_EQ(Performance::lines(perf.results(), "深证成指")[2],
              "管理帐户  期初价格:1.12  期末价格:1.25  收益率:11.11");  // cents, halves to even
    EXPECT_TRUE(prompter.messages.empty());

    fund2.first();
    fund2.setValue("PRICE", 0.0);
    fund2.post();
    perf.load();
    EXPECT_EQ(perf.results().price.rate, "999.99");
    perf.results();  // redrawn at the same start: told once
    EXPECT_EQ(prompter.messages, Texts{Performance::kZeroStart});
    EXPECT_EQ(perf.chart(LineType::Curves, "").price.points.back().value, 0);  // no start: on the axis
    EXPECT_FALSE(std::isnan(perf.chart(LineType::LogCurves, "").price.points.back().value));
}

TEST_F(PerformanceTest, StartChoicesPlaceTheStartTheLeftEdgeAndTheComparisonStart) {
    days(400);  // 2025-01-01 .. 2026-02-04: 365 points of 2025, 35 of 2026
    const std::pair<StartChoice, const char*> choices[] = {{StartChoice::ThisYear, ""},
                                                           {StartChoice::LastYear, ""},
                                                           {StartChoice::FromDate, " 2025-3-1 "},
                                                           {StartChoice::FromDate, "2026-02-04"}};
    const std::vector<int> want[] = {{365, 357, 364}, {0, 0, 0}, {59, 0, 58}, {399, 398, 398}};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(perf.choose(choices[i].first, choices[i].second));
        EXPECT_EQ(edges(), want[i]) << i;  // a quarter of the points after s shown before it; v on the chart
    }
    for (const char* bad : {"2025-13-01", "2026-02-05", "2024-12-31"})
        EXPECT_FALSE(perf.choose(StartChoice::FromDate, bad));
    EXPECT_EQ(prompter.messages,
              (Texts{Performance::kBadDate, Performance::kDateOutOfRange, Performance::kDateOutOfRange}));
    EXPECT_EQ(edges(), want[3]);
}

TEST_F(PerformanceTest, CompressAndStretchStopAtTheirLimits) {
    days(60);
    ASSERT_TRUE(perf.choose(StartChoice::FromDate, "2025-01-21"));  // s 20, left 20 - 10
    perf.compress();                                                // the 11th point is above the sixth
    EXPECT_EQ(edges(), (std::vector{20, 5, 20}));
    perf.compress();  // the sixth is not
    EXPECT_EQ(prompter.messages, Texts{Performance::kNoFurther});
    perf.stretch();  // 20 - 5 > 10
    perf.stretch();  // 20 - 10 is not
    EXPECT_EQ(perf.left(), 10);
    EXPECT_EQ(prompter.messages.size(), 2u);
}

TEST_F(PerformanceTest, TheThreeViewsNormaliseAtTheComparisonStart) {
    row("2025-01-01", 2, 100, 10000, 3000);
    row("2025-01-02", 4, 300, 20000, 750);
    row("2025-01-03", 0.25, 200, 2500, 3000);
    perf.load();
    const auto curves = perf.chart(LineType::Curves, "399001");
    EXPECT_EQ((std::vector{curves.price.points[1].value, curves.index2.points[1].value, curves.top}),
              (std::vector{2.0, 0.25, 2.0}));
    EXPECT_EQ((Texts{curves.price.legend, curves.index1.legend, curves.index2.legend, curves.total.legend}),
              (Texts{"价格0.25", "深指2500", "沪指3000", "总值200"}));
    EXPECT_EQ(perf.chart(LineType::Curves, "999998").index1.legend, "H指2500");

    const auto log = perf.chart(LineType::LogCurves, "399001");  // log2 + 2, a quarter and below at 0
    EXPECT_EQ((std::vector{log.level, log.price.points[1].value, log.index2.points[1].value,
                           log.price.points[2].value, log.top}),
              (std::vector{2.0, 3.0, 0.0, 0.0, 3.0}));
    const stats::ChartGeometry g(log, 649, 377);
    const auto ticks = g.ticks();
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks[0].y, g.y(2));  // a growth multiple of 1 stands at 2 and reads 1
    EXPECT_EQ(ticks[0].label, "1");
    for (const auto& t : ticks) EXPECT_NEAR(std::stod(t.label), (g.bottom() - t.y) / g.ky() - 1, 0.006);
    EXPECT_DOUBLE_EQ(g.markHeight(300), 211 * 0.4);  // round(ky × 2) × 0.4 at the largest total
    EXPECT_EQ(g.x(log.lastDay), 649 - 90);
}

TEST_F(PerformanceTest, WeeklyBarsEndOnTheLastDayAndAllPointsPastTenThousandAreKept) {
    // Nine days: a first bar of days 0..2, then one week.
    auto bars = stats::weeklyBars({{0, 1}, {2, 2}, {3, 2.5}, {9, 1.9}});
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ((std::vector{bars[0].firstDay, bars[0].lastDay}), (std::vector{0, 2}));
    EXPECT_EQ((std::vector{bars[0].open, bars[0].close}), (std::vector{1.0, 2.0}));
    EXPECT_EQ((std::vector{bars[1].open, bars[1].close, bars[1].high, bars[1].low}),
              (std::vector{2.5, 1.9, 2.5, 1.9}));
    EXPECT_FALSE(bars[1].rising());
    // Fourteen days: the first bar is the start day alone, flat; of two points of one day the later.
    bars = stats::weeklyBars({{0, 2}, {7, 3}, {7, 1}, {14, 2}});
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ((std::vector{bars[0].lastDay, bars[1].firstDay}), (std::vector{0, 1}));
    EXPECT_EQ((std::vector{bars[0].high, bars[0].low, bars[1].close}), (std::vector{2.0, 2.0, 1.0}));
    EXPECT_DOUBLE_EQ(bars[1].high, 2 + 6.0 / 7);

    days(10050);
    ASSERT_TRUE(perf.choose(StartChoice::ThisYear));
    const auto c = perf.chart(LineType::WeeklyBars, "");
    EXPECT_EQ(c.lastDate, (text::Date{2025, 1, 1}.addDays(10049).iso()));
    EXPECT_EQ(c.bars.front().firstDay, 9812);  // the week that holds the left edge
    EXPECT_EQ(c.bars.back().lastDay, 10049);
}

class ChartSettingsTest : public ::testing::Test {
protected:
    void row(const char* name, const char* para) {
        table.append();
        table.setValue("NAME", name);
        table.setValue("PARA", para);
        table.post();
    }
    Texts rows() {
        Texts all;
        for (table.first(); !table.eof(); table.next())
            all.push_back(table.text("NAME") + "=" + table.text("PARA"));
        return all;
    }
    storage::Database db{":memory:"};
    storage::Cursor table{withTable(db, "parameter.DBF"), "parameter.DBF"};
    stats::ChartSettings settings{db};
};

TEST_F(ChartSettingsTest, IndicesAreTheirNameRowAndTheRowAfterIt) {
    EXPECT_EQ(settings.indices(),
              (stats::ComparisonIndices{{"第一行指数名称", "代码"}, {"上证指数", "699001"}}));
    row("s2name", "沪深300");
    row("x", "399300");
    row("s1name", "深证成指");  // last row: no code after it
    EXPECT_EQ(settings.indices(), (stats::ComparisonIndices{{"深证成指", "代码"}, {"沪深300", "399300"}}));
    settings.setIndices({{"H股指数", "999998"}, {"上证指数", "699001"}});
    EXPECT_EQ(rows(), (Texts{"s2name=上证指数", "x=699001", "s1name=H股指数", "s1code=999998"}));
    db.execute("DELETE FROM \"parameter.DBF\" WHERE NAME='x'");  // a named row is never taken for a code
    settings.setIndices({{"H股指数", "999998"}, {"恒生指数", "999999"}});
    EXPECT_EQ(rows(), (Texts{"s1name=H股指数", "s1code=999998", "s2name=恒生指数", "s2code=999999"}));
}

TEST_F(ChartSettingsTest, TheStartDateIsTheStoredTextOrThirtyDaysAgo) {
    const port::FixedClock clock{port::DateTime{2026, 3, 10, 9, 0, 0}};
    EXPECT_EQ(settings.startText(clock), "2026-02-08");
    settings.storeStartText("abc");
    EXPECT_EQ(settings.startText(clock), "abc");
    EXPECT_EQ(rows(), Texts{"startp=abc"});
}

}  // namespace
