#include "optimiser/game_chart.h"

#include <cmath>
#include <limits>

namespace varneth::optimiser {

void GameChart::reset() {
    turns_ = kStartTurns;
    heights_.fill(linear_ ? 100 : 5);
    shown_ = 0;
}

bool GameChart::fits(double v, double h) const {
    return linear_ ? v >= 0 && v <= h : std::fabs(v) <= h;
}

bool GameChart::show(const std::array<std::vector<double>, 7>& series, int turn) {
    while (turn > turns_) turns_ *= 2;
    for (std::size_t s = 0; s < series.size(); ++s) {
        double& h = heights_[s < 4 ? 0 : 1];
        const auto t = static_cast<std::size_t>(turn);
        if (t >= series[s].size()) continue;
        const double v = series[s][t];
        if (!std::isfinite(v) || (linear_ && v < 0)) return false;
        while (!fits(v, h)) {
            if (h > std::numeric_limits<double>::max() / 2) return false;
            h *= 2;
        }
    }
    shown_ = turn;
    return true;
}

}  // namespace varneth::optimiser
