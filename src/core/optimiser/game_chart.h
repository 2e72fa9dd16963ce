#pragma once

#include <array>
#include <vector>

namespace varneth::optimiser {

// The game's two charts while they are replayed: the wealth chart (series 0-3) and the price
// chart (series 4-6) share the turns axis; each has its own height. Both grow by doubling.
class GameChart {
public:
    static constexpr const char* kTooLarge = "增倍数太大,无法显示.";
    static constexpr int kStartTurns = 10;

    explicit GameChart(bool linear) : linear_(linear) { reset(); }

    void reset();
    // Grows the ranges so that the points of every series up to `turn` show. False when a point
    // cannot be shown however far the range doubles (an infinite value, or beyond what a double holds).
    bool show(const std::array<std::vector<double>, 7>& series, int turn);

    bool linear() const { return linear_; }
    int turns() const { return turns_; }
    // The chart's height: values span [-h, h] on the log chart, [0, h] on the linear one.
    double height(int chart) const { return heights_.at(static_cast<std::size_t>(chart)); }
    double bottom(int chart) const { return linear_ ? 0 : -height(chart); }
    int shownTurn() const { return shown_; }

private:
    bool fits(double v, double h) const;

    bool linear_;
    int turns_ = kStartTurns;
    std::array<double, 2> heights_{};
    int shown_ = 0;
};

}  // namespace varneth::optimiser
