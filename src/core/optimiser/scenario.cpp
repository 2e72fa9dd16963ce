#include "optimiser/scenario.h"

#include <cmath>

namespace varneth::optimiser {

namespace {

// Correlations are matched as whole tenths, so that -0.5 read from a text and -0.5 computed agree.
int tenths(double r) {
    return static_cast<int>(std::lround(r * 10));
}

}  // namespace

const std::vector<double>& correlationChoices() {
    static const std::vector<double> choices{-1, -0.5, 0, 0.5, 1};
    return choices;
}

bool isCorrelationChoice(double r) {
    for (double c : correlationChoices())
        if (r == c) return true;
    return false;
}

std::vector<double> feasibleR13(double r12, double r23) {
    std::vector<double> list;
    if (!isCorrelationChoice(r12) || !isCorrelationChoice(r23)) return list;
    // In half steps: every bound is a multiple of 0.5, so counting halves is exact.
    const int from = static_cast<int>(std::lround((std::fabs(r12 + r23) - 1) * 2));
    const int to = static_cast<int>(std::lround((1 - std::fabs(r12 - r23)) * 2));
    for (int h = from; h <= to; ++h) list.push_back(h * 0.5);
    return list;
}

std::optional<Coupling> Coupling::of(const Correlations& r) {
    bool listed = false;
    for (double v : feasibleR13(r.r12, r.r23))
        if (v == r.r13) listed = true;
    if (!listed) return std::nullopt;
    enum { A, B, C, D, E, F };
    const auto t = [](int coin, bool complemented = false) { return Term{coin, complemented}; };
    const auto g = [](Term x, Term y) { return Group{x, y}; };

    Group g2;
    switch (tenths(r.r12)) {
        case 10:
            g2 = g(t(A), t(B));
            break;
        case 5:
            g2 = g(t(A), t(C));
            break;
        case 0:
            g2 = g(t(C), t(D));
            break;
        case -5:
            g2 = g(t(A, true), t(C));
            break;
        default:
            g2 = g(t(A, true), t(B, true));
            break;
    }
    const int r12 = tenths(r.r12), r23 = tenths(r.r23), r13 = tenths(r.r13);
    if (r23 == 10) return Coupling(g2, g2);
    if (r23 == -10) {
        Group opposite = g2;
        for (Term& term : opposite) term.complemented = !term.complemented;
        return Coupling(g2, opposite);
    }
    if (r12 == 10 || r12 == -10) {
        const bool up = r12 == 10;
        switch (r23) {
            case 5:
                return Coupling(g2, g(t(A, !up), t(C)));
            case 0:
                return Coupling(g2, g(t(C), t(D)));
            default:
                return Coupling(g2, g(t(A, up), t(C)));
        }
    }
    struct Row {
        int r12, r23, r13;  // in tenths
        Group g3;
    };
    // clang-format off: one row of the table per line
    static const Row rows[] = {
        {-5, -5, 0, g(t(D), t(C, true))},
        {-5, -5, 5, g(t(A), t(D))},
        {-5, -5, 10, g(t(A), t(B))},
        {-5, 0, -5, g(t(D), t(B, true))},
        {-5, 0, 0, g(t(D), t(E))},
        {-5, 0, 5, g(t(B), t(D))},
        {-5, 5, -10, g(t(A, true), t(B, true))},
        {-5, 5, -5, g(t(C), t(B, true))},
        {-5, 5, 0, g(t(C), t(D))},
        {0, -5, -5, g(t(A, true), t(C, true))},
        {0, -5, 0, g(t(E), t(C, true))},
        {0, -5, 5, g(t(A), t(C, true))},
        {0, 0, -10, g(t(A, true), t(B, true))},
        {0, 0, -5, g(t(E), t(A, true))},
        {0, 0, 0, g(t(E), t(F))},
        {0, 0, 5, g(t(A), t(E))},
        {0, 0, 10, g(t(A), t(B))},
        {0, 5, -5, g(t(C), t(A, true))},
        {0, 5, 0, g(t(C), t(E))},
        {0, 5, 5, g(t(A), t(C))},
        {5, -5, -10, g(t(A, true), t(B, true))},
        {5, -5, -5, g(t(D), t(A, true))},
        {5, -5, 0, g(t(D), t(C, true))},
        {5, 0, -5, g(t(D), t(B, true))},
        {5, 0, 0, g(t(D), t(E))},
        {5, 0, 5, g(t(B), t(D))},
        {5, 5, 0, g(t(C), t(D))},
        {5, 5, 5, g(t(A), t(D))},
        {5, 5, 10, g(t(A), t(B))},
    };
    // clang-format on
    for (const Row& row : rows)
        if (row.r12 == r12 && row.r23 == r23 && row.r13 == r13) return Coupling(g2, row.g3);
    return std::nullopt;
}

int Coupling::level(const Group& g, const std::array<int, 6>& coins) {
    int sum = 0;
    for (const Term& term : g) {
        const int c = coins[static_cast<std::size_t>(term.coin)];
        sum += term.complemented ? 1 - c : c;
    }
    return sum;
}

std::array<int, 3> Coupling::levels(const std::array<int, 6>& coins) const {
    return {coins[0] + coins[1], level(g2_, coins), level(g3_, coins)};
}

ScenarioTable calcp123(const Correlations& r) {
    ScenarioTable p{};
    const auto coupling = Coupling::of(r);
    if (!coupling) return p;
    // Each of the 64 coin outcomes has probability 1/64: exact in binary, so P is exact.
    for (int bits = 0; bits < 64; ++bits) {
        std::array<int, 6> coins{};
        for (std::size_t i = 0; i < 6; ++i) coins[i] = (bits >> i) & 1;
        const auto l = coupling->levels(coins);
        p[static_cast<std::size_t>(l[0])][static_cast<std::size_t>(l[1])][static_cast<std::size_t>(l[2])] +=
            1.0 / 64;
    }
    return p;
}

}  // namespace varneth::optimiser
