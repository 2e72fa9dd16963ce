#include "optimiser/model.h"

#include <algorithm>
#include <cmath>

#include "text/numbers.h"

namespace varneth::optimiser {

double terminalWealth(const Forecast& f, const Proportions& x, const std::array<int, 3>& s) {
    double w = f.e[0] * std::fabs(x[0]);
    for (std::size_t k = 1; k <= 3; ++k)
        w += std::fabs(x[k]) + f.m[k] * x[k] * (f.price(static_cast<int>(k), s[k - 1]) - f.ini[k]) -
             f.c[k] * std::fabs(x[k] - f.p[k]);
    return w;
}

std::optional<double> expectedGrowth(const Forecast& f, const ScenarioTable& p, const Proportions& x) {
    double g = 0;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            for (int c = 0; c < 3; ++c) {
                const double prob =
                    p[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)][static_cast<std::size_t>(c)];
                if (prob <= 0) continue;
                const double w = terminalWealth(f, x, {a - 1, b - 1, c - 1});
                if (w <= 0) return std::nullopt;
                g += prob * std::log2(w);
            }
    return g;
}

SearchResult better(const Forecast& f, const ScenarioTable& p) {
    SearchResult best;
    std::array<double, 4> lo{0, -1, -1, -1}, hi{0, 1, 1, 1};
    double h = 0.5;
    const auto at = [&](std::size_t k, int i) { return lo[k] + (hi[k] - lo[k]) * i / 2; };
    for (;;) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                for (int l = 0; l < 3; ++l) {
                    Proportions x{0, at(1, i), at(2, j), at(3, l)};
                    x[0] = 1 - std::fabs(x[1]) - std::fabs(x[2]) - std::fabs(x[3]);
                    if (x[0] < 0) continue;
                    const auto g = expectedGrowth(f, p, x);
                    if (!g || *g < best.growth) continue;
                    best.growth = *g;
                    best.x = x;
                    best.found = true;
                    for (std::size_t k = 0; k < 4; ++k) best.y[k] = static_cast<int>(std::trunc(x[k] * 1000));
                }
        h = h / 2;
        for (std::size_t k = 1; k <= 3; ++k) {
            lo[k] = std::max(-1.0, best.x[k] - h);
            hi[k] = std::min(1.0, best.x[k] + h);
        }
        if (!(h > 0.001)) break;
    }
    return best;
}

bool inp_ratio(std::array<double, 4>& row) {
    const double s = std::fabs(row[0]) + std::fabs(row[1]) + std::fabs(row[2]) + std::fabs(row[3]);
    if (s == 0) return false;
    for (double& v : row) v = text::roundHalfEven(v / s * 1000);
    return true;
}

}  // namespace varneth::optimiser
