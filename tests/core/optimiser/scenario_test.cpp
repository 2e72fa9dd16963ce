#include "optimiser/scenario.h"

#include <gtest/gtest.h>

using namespace varneth::optimiser;

namespace {

// Moments of the levels under P, summed exactly (every cell is a multiple of 1/64).
struct Moments {
    double mean[3]{}, var[3]{}, cov[3][3]{};
};

Moments momentsOf(const ScenarioTable& p) {
    Moments m;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            for (int c = 0; c < 3; ++c) {
                const double prob = p[a][b][c];
                const int l[3] = {a, b, c};
                for (int i = 0; i < 3; ++i) {
                    m.mean[i] += prob * l[i];
                    for (int j = 0; j < 3; ++j) m.cov[i][j] += prob * l[i] * l[j];
                }
            }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.cov[i][j] -= m.mean[i] * m.mean[j];
    return m;
}

}  // namespace

TEST(ScenarioTest, EveryFeasibleTripleHasExactlyItsCorrelationsAndMarginals) {
    int triples = 0;
    for (double r12 : correlationChoices())
        for (double r23 : correlationChoices())
            for (double r13 : feasibleR13(r12, r23)) {
                ++triples;
                const ScenarioTable p = calcp123({r12, r23, r13});
                const Moments m = momentsOf(p);
                SCOPED_TRACE(testing::Message() << r12 << " " << r23 << " " << r13);
                for (int g = 0; g < 3; ++g) {
                    double marginal[3]{};
                    for (int a = 0; a < 3; ++a)
                        for (int b = 0; b < 3; ++b)
                            for (int c = 0; c < 3; ++c) marginal[g == 0 ? a : g == 1 ? b : c] += p[a][b][c];
                    EXPECT_EQ(marginal[0], 0.25);
                    EXPECT_EQ(marginal[1], 0.5);
                    EXPECT_EQ(marginal[2], 0.25);
                    EXPECT_EQ(m.cov[g][g], 0.5);
                }
                // Each level has variance 1/2, so the covariance is half the correlation.
                EXPECT_EQ(m.cov[0][1] * 2, r12);
                EXPECT_EQ(m.cov[1][2] * 2, r23);
                EXPECT_EQ(m.cov[0][2] * 2, r13);
            }
    EXPECT_EQ(triples, 4 * 1 + 4 * 2 + 4 * 3 + 4 * 4 + 5);  // lists of 1 to 5 values
}

TEST(ScenarioTest, InfeasibleTriplesLeaveEveryCellZero) {
    const ScenarioTable zero{};
    EXPECT_EQ(calcp123({0.5, 0.5, -0.5}), zero);
    EXPECT_EQ(calcp123({-0.5, 0.5, 0.5}), zero);
    EXPECT_EQ(calcp123({1, 1, 0.5}), zero);
    EXPECT_EQ(calcp123({0.3, 0, 0}), zero);
    EXPECT_FALSE(Coupling::of({1, -1, 1}));
}

TEST(ScenarioTest, R13ListFollowsR12AndR23) {
    EXPECT_EQ(feasibleR13(1, -1), std::vector<double>{-1});
    EXPECT_EQ(feasibleR13(0.5, 0.5), (std::vector<double>{0, 0.5, 1}));
    EXPECT_EQ(feasibleR13(0, 0), (std::vector<double>{-1, -0.5, 0, 0.5, 1}));
    EXPECT_EQ(feasibleR13(-0.5, 0.5), (std::vector<double>{-1, -0.5, 0}));
    EXPECT_TRUE(feasibleR13(0.25, 0).empty());
}

TEST(ScenarioTest, IndependentGroupsGiveTheProductAndPerfectOnesTheDiagonal) {
    const ScenarioTable p = calcp123({0, 0, 0});
    EXPECT_EQ(p[0][0][0], 1.0 / 64);
    EXPECT_EQ(p[1][1][1], 1.0 / 8);
    EXPECT_EQ(p[2][0][1], 1.0 / 32);
    const ScenarioTable same = calcp123({1, 1, 1});
    EXPECT_EQ(same[0][0][0], 0.25);
    EXPECT_EQ(same[1][1][1], 0.5);
    EXPECT_EQ(same[2][2][2], 0.25);
    const ScenarioTable opposite = calcp123({1, -1, -1});
    EXPECT_EQ(opposite[0][0][2], 0.25);
    EXPECT_EQ(opposite[2][2][0], 0.25);
}
