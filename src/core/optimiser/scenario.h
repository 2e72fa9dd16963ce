#pragma once

#include <array>
#include <optional>
#include <vector>

namespace varneth::optimiser {

// The three correlations between the risky groups 1-2, 2-3 and 1-3.
struct Correlations {
    double r12 = 0.5, r23 = 0.5, r13 = 0;

    bool operator==(const Correlations&) const = default;
};

// The values the correlation lists offer for r12 and r23.
const std::vector<double>& correlationChoices();
bool isCorrelationChoice(double r);

// The r13 values that can go with r12 and r23: from |r12 + r23| - 1 to 1 - |r12 - r23| in steps
// of 0.5 (empty when r12 or r23 is not a choice).
std::vector<double> feasibleR13(double r12, double r23);

// Each risky group's level (0 low, 1 mid, 2 high) is the sum of two fair coins; groups share coins,
// a shared coin entering as itself or complemented, so that the levels' correlations come out
// exactly as asked.
class Coupling {
public:
    // nullopt when the triple is not feasible.
    static std::optional<Coupling> of(const Correlations& r);

    // The three levels for six coins A-F (each 0 or 1).
    std::array<int, 3> levels(const std::array<int, 6>& coins) const;

private:
    struct Term {
        int coin = 0;
        bool complemented = false;
    };
    using Group = std::array<Term, 2>;
    Coupling(Group g2, Group g3) : g2_(g2), g3_(g3) {}
    static int level(const Group& g, const std::array<int, 6>& coins);

    Group g2_, g3_;
};

// P[a][b][c]: the joint probability of levels a, b and c of groups 1, 2 and 3.
using ScenarioTable = std::array<std::array<std::array<double, 3>, 3>, 3>;

// The exact joint distribution of the levels (`calcp123`); all zero for an infeasible triple.
ScenarioTable calcp123(const Correlations& r);

}  // namespace varneth::optimiser
