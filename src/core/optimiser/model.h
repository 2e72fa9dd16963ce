#pragma once

#include <array>
#include <optional>

#include "optimiser/scenario.h"

namespace varneth::optimiser {

// Groups 0 (cash and the like) to 3, as fractions of an initial price of 1. Index 0 of the
// per-risky-group arrays is unused: group 0 has no deviation, cost or leverage.
struct Forecast {
    std::array<double, 4> ini{1, 1, 1, 1};
    std::array<double, 4> e{1, 1.15, 1.17, 1.16};
    std::array<double, 4> d{0, 0.2, 0.57, 0.58};
    std::array<double, 4> c{0, 0, 0, 0};
    std::array<double, 4> m{1, 1, 1, 1};  // leverage: 100 / margin ratio in %
    std::array<double, 4> p{1, 0, 0, 0};  // player 1's current proportions
    Correlations r;

    // Group k's price at step s (-1 low, 0 mid, 1 high).
    double price(int k, int s) const {
        return e[static_cast<std::size_t>(k)] + s * d[static_cast<std::size_t>(k)];
    }
};

using Proportions = std::array<double, 4>;

// Wealth at the end of the period for proportions `x` (x[0] cash) in outcome steps s[0..2] of
// groups 1-3, counting what it costs to move there from the current portfolio.
double terminalWealth(const Forecast& f, const Proportions& x, const std::array<int, 3>& s);

// Expected log2 growth over the cells of `p` with a positive probability; nullopt (rejected) when
// such a cell would leave nothing.
std::optional<double> expectedGrowth(const Forecast& f, const ScenarioTable& p, const Proportions& x);

struct SearchResult {
    Proportions x{1, 0, 0, 0};            // the kept candidate; all cash when none was acceptable
    std::array<int, 4> y{1000, 0, 0, 0};  // its per mille, cut towards zero
    double growth = -100;
    bool found = false;
};

// The optimiser (`better`): nine passes of a 3 x 3 x 3 grid over x_1..x_3 (x_0 = 1 - sum |x_k|),
// each pass halving the box around the best candidate so far.
SearchResult better(const Forecast& f, const ScenarioTable& p);

// A row of four proportions brought to per mille of the sum of their sizes, halves to even
// (`inp_ratio`). An all-zero row is left alone and gives false.
bool inp_ratio(std::array<double, 4>& row);

}  // namespace varneth::optimiser
