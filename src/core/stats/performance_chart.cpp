#include "stats/performance_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "text/numbers.h"

namespace varneth::stats {

namespace {

std::string fixed(double x, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, text::roundScaled(x, decimals) + 0.0);
    return buf;
}

// Up to two decimals, without trailing zeros.
std::string tickText(double x) {
    std::string s = fixed(x, 2);
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

Series series(const std::vector<FundPoint>& points, int left, LineType type, double FundPoint::*field,
              double start) {
    Series s;
    for (std::size_t i = static_cast<std::size_t>(left); i < points.size(); ++i)
        s.points.push_back({static_cast<double>(points[i].day), normalised(points[i].*field, start, type)});
    return s;
}

double largest(const std::vector<FundPoint>& points, double FundPoint::*field, double start, LineType type) {
    double m = 0;
    for (const auto& p : points) m = std::max(m, normalised(p.*field, start, type));
    return m;
}

}  // namespace

double normalised(double value, double start, LineType type) {
    const double ratio = start == 0 ? 0 : value / start;
    if (type == LineType::Curves) return ratio;
    // A ratio of 0 (or below, from a broken ledger) has no logarithm: it sits on the axis.
    return ratio > 0 ? std::max(0.0, std::log2(ratio) + 2) : 0;
}

std::vector<WeeklyBar> weeklyBars(const std::vector<ChartPoint>& points) {
    if (points.empty()) return {};
    const int first = static_cast<int>(points.front().day);
    const int days = static_cast<int>(points.back().day) - first;
    std::vector<double> daily(static_cast<std::size_t>(days) + 1, points.front().value);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const int a = static_cast<int>(points[i - 1].day) - first;
        const int b = static_cast<int>(points[i].day) - first;
        const double from = points[i - 1].value, to = points[i].value;
        if (b == a) {
            daily[static_cast<std::size_t>(b)] = to;
            continue;
        }
        for (int d = a; d <= b; ++d)
            daily[static_cast<std::size_t>(d)] = from + (to - from) * (d - a) / (b - a);
    }
    std::vector<WeeklyBar> bars;
    // Weeks end on the last day, so the first bar takes the odd days; when there are none it is the
    // start day alone, a flat bar at the start value.
    for (int begin = 0, end = days % 7; begin <= days; begin = end + 1, end += 7) {
        WeeklyBar bar{first + begin,
                      first + end,
                      daily[static_cast<std::size_t>(begin)],
                      daily[static_cast<std::size_t>(end)],
                      0,
                      0};
        const auto [lo, hi] = std::minmax_element(daily.begin() + begin, daily.begin() + end + 1);
        bar.low = *lo;
        bar.high = *hi;
        bars.push_back(bar);
    }
    return bars;
}

Chart buildChart(const std::vector<FundPoint>& points, int left, int mark, LineType type,
                 const std::string& index1Code) {
    const FundPoint& v = points[static_cast<std::size_t>(mark)];
    const FundPoint& last = points.back();
    Chart c;
    c.type = type;
    c.leftDay = points[static_cast<std::size_t>(left)].day;
    c.lastDay = last.day;
    c.markDay = v.day;
    c.level = type == LineType::Curves ? 1 : 2;
    c.price = series(points, left, type, &FundPoint::price, v.price);
    c.index1 = series(points, left, type, &FundPoint::sz, v.sz);
    c.index2 = series(points, left, type, &FundPoint::shz, v.shz);
    c.total = series(points, left, LineType::Curves, &FundPoint::fund, 1);
    c.top = std::max({1.0, largest(points, &FundPoint::price, v.price, type),
                      largest(points, &FundPoint::sz, v.sz, type),
                      largest(points, &FundPoint::shz, v.shz, type)});
    c.largestFund = largest(points, &FundPoint::fund, 1, LineType::Curves);

    c.price.legend = "价格" + fixed(last.price, 2);
    c.index1.legend = (index1Code == "999998" ? "H指" : "深指") + fixed(last.sz, 0);
    c.index2.legend = "沪指" + fixed(last.shz, 0);
    c.total.legend = "总值" + tickText(last.fund);

    if (type == LineType::WeeklyBars) {
        Series whole = series(points, 0, type, &FundPoint::price, v.price);
        for (const WeeklyBar& bar : weeklyBars(whole.points))
            if (bar.lastDay >= c.leftDay) c.bars.push_back(bar);
    }
    c.leftDate = points[static_cast<std::size_t>(left)].date.iso();
    c.lastDate = last.date.iso();
    c.markDate = v.date.iso();
    return c;
}

ChartGeometry::ChartGeometry(const Chart& chart, int width, int height)
    : chart_(chart), width_(width), height_(height) {
    int span = chart.leftDay == chart.lastDay ? chart.lastDay : chart.lastDay - chart.leftDay;
    if (span <= 0) span = 1;  // a single day: its points stand on the left edge
    kx_ = static_cast<double>(width - 110) / span;
    ky_ = static_cast<double>(height - 60) / chart.top;
}

int ChartGeometry::x(double day) const {
    return static_cast<int>(text::roundHalfEven(kMargin + kx_ * (day - chart_.leftDay)));
}

double ChartGeometry::y(double value) const {
    return height_ - kMargin - ky_ * value;
}

double ChartGeometry::markHeight(double fund) const {
    if (chart_.largestFund <= 0) return 0;
    return fund * text::roundHalfEven(ky_ * chart_.level) * 0.4 / chart_.largestFund;
}

std::vector<ChartGeometry::Tick> ChartGeometry::ticks() const {
    if (!(ky_ > 0)) return {};
    // A unit taller than a tenth of the area is split into that many parts, as near as a whole
    // number of parts goes; the marks stand where their labels read.
    constexpr double kLabelHeight = 12;
    const double tenth = std::trunc(height_ / 10.0);  // whole pixels
    const double unit = text::roundHalfEven(ky_);
    double step = 1;
    if (unit > tenth)
        step = 1 / text::roundHalfEven(unit / tenth);
    else
        step = std::max(1.0, std::ceil(kLabelHeight / ky_));
    const double shown = chart_.type == LineType::Curves ? 0 : 1;  // the log views read one less
    std::vector<Tick> ticks;
    const auto add = [&](double value) { ticks.push_back({y(value), tickText(value - shown)}); };
    for (int j = 0; y(chart_.level + j * step) >= kMargin; ++j) add(chart_.level + j * step);
    for (int j = 1; chart_.level - j * step >= -1e-9; ++j) add(chart_.level - j * step);
    return ticks;
}

ChartGeometry::Body ChartGeometry::body(const WeeklyBar& bar) const {
    const int days = bar.lastDay - bar.firstDay + 1;
    const int w = std::max(1, static_cast<int>(text::roundHalfEven(5 * kx_ * days / 7)));
    const int middle = x((bar.firstDay + bar.lastDay) / 2.0);
    return {middle - w / 2, w, middle};
}

}  // namespace varneth::stats
