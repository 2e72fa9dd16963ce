#include "stats/fund_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "text/numbers.h"

namespace varneth::stats {

namespace {

double sampleDeviation(const std::vector<double>& xs) {
    double mean = 0;
    for (double x : xs) mean += x;
    mean /= static_cast<double>(xs.size());
    double squares = 0;
    for (double x : xs) squares += (x - mean) * (x - mean);
    return std::sqrt(squares / static_cast<double>(xs.size() - 1));
}

double maxDrawdown(const std::vector<double>& values) {
    double peak = values.front(), worst = 0;
    for (double p : values) {
        peak = std::max(peak, p);
        worst = std::max(worst, (1 - p / peak) * 100);
    }
    return worst;
}

std::vector<double> column(const std::vector<FundPoint>& points, int from, double FundPoint::*field) {
    std::vector<double> out;
    for (auto i = static_cast<std::size_t>(from); i < points.size(); ++i) out.push_back(points[i].*field);
    return out;
}

}  // namespace

SeriesStatistics seriesStatistics(const std::vector<int>& days, const std::vector<double>& values) {
    SeriesStatistics s;
    if (values.size() < 3 || days.size() != values.size()) return s;  // n < 2 steps
    const double span = days.back() - days.front();
    if (span < 1) return s;
    // Logarithms and ratios need positive values; a series that is not has no figures.
    if (std::any_of(values.begin(), values.end(), [](double p) { return !(p > 0) || !std::isfinite(p); }))
        return s;
    const double n = static_cast<double>(values.size() - 1);
    s.annualReturn = (std::pow(values.back() / values.front(), 365 / span) - 1) * 100;
    std::vector<double> steps;
    for (std::size_t i = 1; i < values.size(); ++i) steps.push_back(std::log(values[i] / values[i - 1]));
    s.volatility = sampleDeviation(steps) * std::sqrt(n * 365 / span) * 100;
    s.maxDrawdown = maxDrawdown(values);
    return s;
}

FundStatistics fundStatistics(const std::vector<FundPoint>& points, int from) {
    if (from < 0 || from >= static_cast<int>(points.size())) return {};
    std::vector<int> days;
    for (auto i = static_cast<std::size_t>(from); i < points.size(); ++i) days.push_back(points[i].day);
    return {seriesStatistics(days, column(points, from, &FundPoint::price)),
            seriesStatistics(days, column(points, from, &FundPoint::sz)),
            seriesStatistics(days, column(points, from, &FundPoint::shz))};
}

std::string statisticText(const std::optional<double>& figure) {
    if (!figure || !std::isfinite(*figure)) return "-";
    // Whole hundredths, so that the half is decided on the value itself and printed exactly.
    const double hundredths = text::roundHalfEven(*figure * 100);
    if (std::fabs(hundredths) >= 9e15) return text::plainText(*figure);
    const auto h = static_cast<std::int64_t>(hundredths);
    const std::int64_t size = std::llabs(h);
    std::string cents = std::to_string(size % 100);
    if (cents.size() < 2) cents.insert(0, "0");
    return (h < 0 ? "-" : "") + std::to_string(size / 100) + "." + cents;
}

std::vector<std::string> statisticsLines(const FundStatistics& s, const std::string& priceName,
                                         const std::string& index1Name, const std::string& index2Name) {
    const auto line = [&s](const char* caption, std::optional<double> SeriesStatistics::*figure) {
        return std::string(caption) + "\t" + statisticText(s.price.*figure) + "\t" +
               statisticText(s.index1.*figure) + "\t" + statisticText(s.index2.*figure);
    };
    return {std::string(kStatisticsTitle) + "\t" + priceName + "\t" + index1Name + "\t" + index2Name,
            line(kAnnualReturn, &SeriesStatistics::annualReturn),
            line(kVolatility, &SeriesStatistics::volatility),
            line(kMaxDrawdown, &SeriesStatistics::maxDrawdown)};
}

}  // namespace varneth::stats
