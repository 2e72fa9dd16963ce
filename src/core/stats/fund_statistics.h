#pragma once

#include <optional>
#include <string>
#include <vector>

#include "stats/performance_chart.h"

namespace varneth::stats {

// Three figures of one series over a period, in percent; none where the period is too short to say
// anything (under a day, or fewer than two steps) or a value is not positive.
struct SeriesStatistics {
    std::optional<double> annualReturn;  // ((Pn/P0)^(365/D) - 1) x 100
    std::optional<double> volatility;    // sample deviation of the daily log steps, annualised
    std::optional<double> maxDrawdown;   // largest fall from an earlier peak
};

struct FundStatistics {
    SeriesStatistics price, index1, index2;
};

inline constexpr const char* kStatisticsTitle = "统计";
inline constexpr const char* kAnnualReturn = "年化收益率(%)";
inline constexpr const char* kVolatility = "年化波动率(%)";
inline constexpr const char* kMaxDrawdown = "最大回撤(%)";

// One series' figures over `values` read on the whole days `days` (same length).
SeriesStatistics seriesStatistics(const std::vector<int>& days, const std::vector<double>& values);
// The fund price and both indices from point `from` (the comparison start) to the last point.
FundStatistics fundStatistics(const std::vector<FundPoint>& points, int from);

// A figure to two decimals, halves to even; "-" when there is none.
std::string statisticText(const std::optional<double>& figure);
// The figures as tab-separated lines: a heading naming the three series, then one line per figure.
std::vector<std::string> statisticsLines(const FundStatistics& s, const std::string& priceName,
                                         const std::string& index1Name, const std::string& index2Name);

}  // namespace varneth::stats
