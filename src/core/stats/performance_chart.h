#pragma once

#include <string>
#include <vector>

#include "text/dates.h"

namespace varneth::stats {

// One point of the performance chart: a row of the fund ledger after the load's substitutions.
struct FundPoint {
    text::Date date;
    int day = 0;  // whole days from the first point's date
    double price = 0, fund = 0, sz = 0, shz = 0;
};

enum class LineType { Curves, WeeklyBars, LogCurves };

struct ChartPoint {
    double day = 0;
    double value = 0;
};

struct Series {
    std::vector<ChartPoint> points;  // from the left edge to the last point
    std::string legend;              // written at the right end of the series
};

// One bar of the weekly view over the daily series of the normalised price.
struct WeeklyBar {
    int firstDay = 0, lastDay = 0;
    double open = 0, close = 0, high = 0, low = 0;
    bool rising() const { return close >= open; }
};

// What the performance chart shows, in days and chart values (growth multiples, or their log2 + 2).
struct Chart {
    LineType type = LineType::Curves;
    int leftDay = 0, lastDay = 0, markDay = 0;  // left edge, last point, comparison start
    double level = 1;                           // the comparison start's height
    double top = 1;                             // the largest value, at least 1
    Series price, index1, index2;               // normalised; the weekly view draws bars for the price
    Series total;                               // the total value as stored
    double largestFund = 0;
    std::vector<WeeklyBar> bars;  // weekly view: from the week that holds the left edge
    std::string leftDate, lastDate, markDate;

    bool empty() const { return price.points.empty(); }
};

// The chart of `points` (not empty) from `left` to the end, normalised at `mark` (0-based indices).
// `index1Code` names the first index's legend.
Chart buildChart(const std::vector<FundPoint>& points, int left, int mark, LineType type,
                 const std::string& index1Code);

// A value relative to the comparison start as the view shows it; 0 when the start is 0.
double normalised(double value, double start, LineType type);

// The daily series of `points` (linear between points, the later one on a day that has two) cut into
// weeks that end on the last day; the first bar holds the start day and the days before the first
// whole week.
std::vector<WeeklyBar> weeklyBars(const std::vector<ChartPoint>& points);

// Where a chart lands on a drawing area of width × height pixels.
class ChartGeometry {
public:
    static constexpr int kMargin = 20;

    ChartGeometry(const Chart& chart, int width, int height);

    double kx() const { return kx_; }  // pixels per day
    double ky() const { return ky_; }  // pixels per chart unit
    int x(double day) const;           // whole pixels
    double y(double value) const;
    double levelY() const { return y(chart_.level); }
    int right() const { return width_ - kMargin; }
    int bottom() const { return height_ - kMargin; }
    // Height above the axis of the total-value mark of `fund`.
    double markHeight(double fund) const;

    struct Tick {
        double y = 0;
        std::string label;
    };
    // The vertical axis marked up and down from the comparison start's height, which reads 1.
    std::vector<Tick> ticks() const;

    struct Body {
        int left = 0, width = 0, middle = 0;
    };
    // A bar spans five of each seven days it covers, centred on them.
    Body body(const WeeklyBar& bar) const;

private:
    const Chart& chart_;
    int width_, height_;
    double kx_ = 0, ky_ = 0;
};

}  // namespace varneth::stats
