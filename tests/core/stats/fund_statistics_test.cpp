#include "stats/fund_statistics.h"

#include <gtest/gtest.h>

using namespace varneth;
using stats::seriesStatistics;
using stats::statisticText;

namespace {

std::vector<std::string> texts(const stats::SeriesStatistics& s) {
    return {statisticText(s.annualReturn), statisticText(s.volatility), statisticText(s.maxDrawdown)};
}

TEST(FundStatistics, ASeriesWorkedByHand) {
    // A year of four readings: 121/100 is +21% over exactly 365 days; the log steps ln 1.1, ln 0.9 and
    // ln(121/99) have a sample deviation of 0.15547, times the square root of 3 steps a year; the fall
    // from 110 to 99 is the largest drawdown.
    const auto s = seriesStatistics({0, 100, 200, 365}, {100, 110, 99, 121});
    EXPECT_EQ(texts(s), (std::vector<std::string>{"21.00", "26.93", "10.00"}));
    EXPECT_NEAR(*s.volatility, 26.928114346952214, 1e-9);

    // Half a year compounds: 10% in 182.5 days is 21% a year. A series that only rises has no drawdown.
    const auto rising = seriesStatistics({0, 100, 365}, {100, 105, 121});
    EXPECT_NEAR(*rising.annualReturn, 21, 1e-9);
    EXPECT_EQ(*rising.maxDrawdown, 0);
}

TEST(FundStatistics, TooShortAPeriodOrANonPositiveValueHasNoFigures) {
    const std::vector<std::string> none{"-", "-", "-"};
    EXPECT_EQ(texts(seriesStatistics({0, 30}, {1, 1.1})), none);         // one step only
    EXPECT_EQ(texts(seriesStatistics({5, 5, 5}, {1, 1.1, 1.2})), none);  // all on one day
    EXPECT_EQ(texts(seriesStatistics({0, 1, 2}, {1, 0, 1.2})), none);    // no logarithm of 0
    EXPECT_EQ(texts(seriesStatistics({0, 1, 2}, {1, 1.1, 1.2})).size(), 3u);
    EXPECT_NE(texts(seriesStatistics({0, 1, 2}, {1, 1.1, 1.2})), none);  // a day is enough
}

TEST(FundStatistics, FiguresShowTwoDecimalsHalvesToEven) {
    EXPECT_EQ(statisticText(0.125), "0.12");
    EXPECT_EQ(statisticText(0.375), "0.38");
    EXPECT_EQ(statisticText(-0.125), "-0.12");
    EXPECT_EQ(statisticText(-0.001), "0.00");  // no "-0.00"
    EXPECT_EQ(statisticText(1234.5), "1234.50");
    EXPECT_EQ(statisticText(std::nullopt), "-");
}

TEST(FundStatistics, TheThreeSeriesStartAtTheComparisonStartAndPrintAsTabbedLines) {
    std::vector<stats::FundPoint> points;
    // Before the start (point 1) the price halves; after it the price only rises.
    const double price[] = {2, 1, 1.1, 1.21}, sz[] = {1000, 1000, 900, 990}, shz[] = {3000, 3000, 3000, 3300};
    for (int i = 0; i < 4; ++i) points.push_back({{}, 365 * i, price[i], 0, sz[i], shz[i]});
    const auto s = stats::fundStatistics(points, 1);
    EXPECT_EQ(*s.price.maxDrawdown, 0);
    EXPECT_EQ(statisticText(s.index1.maxDrawdown), "10.00");
    EXPECT_EQ(
        stats::statisticsLines(s, "管理帐户", "深证成指", "上证指数"),
        (std::vector<std::string>{"统计\t管理帐户\t深证成指\t上证指数", "年化收益率(%)\t10.00\t-0.50\t4.88",
                                  "年化波动率(%)\t0.00\t14.19\t6.74", "最大回撤(%)\t0.00\t10.00\t0.00"}));
    EXPECT_EQ(texts(stats::fundStatistics(points, 2).price), (std::vector<std::string>{"-", "-", "-"}));
}

}  // namespace
