#include "optimiser/game.h"

#include <gtest/gtest.h>

#include <cmath>

#include "optimiser/game_chart.h"

using namespace varneth;
using namespace varneth::optimiser;

namespace {

GameSetup flatSetup() {
    GameSetup s;
    s.forecast.e = {1, 1, 1, 1};
    s.forecast.d = {0, 0, 0, 0};
    s.x = {Proportions{0, 0, 0.4, 0.6}, Proportions{0.25, 0.25, 0.25, 0.25},
           Proportions{0, 0.334, 0.333, 0.333}, Proportions{0.5, -0.5, 0, 0}};
    return s;
}

GameRules turns(int n) {
    GameRules r;
    r.turns = n;
    return r;
}

}  // namespace

TEST(GameTest, WithoutDeviationsAndAtTheInitialPriceEveryWealthStaysAt100) {
    port::Random random(1);
    Game game(flatSetup(), random);
    game.play(turns(1000));
    EXPECT_EQ(game.lastTurn(), 1000);
    EXPECT_EQ(game.wealth(), (std::array<double, 4>{100, 100, 100, 100}));
    EXPECT_EQ(game.priceIndex(), (std::array<double, 3>{1, 1, 1}));
    EXPECT_EQ(game.series()[0].size(), 1001u);
    EXPECT_EQ(game.series()[6].back(), std::log(100.0));
}

TEST(GameTest, ALeveragedLossBeyondTheStakeEndsAtTheFloor) {
    GameSetup s = flatSetup();
    s.forecast.e[1] = 0.8;  // every outcome 20 % below ini
    s.forecast.m[1] = 10;
    s.x[0] = {0, 1, 0, 0};
    port::Random random(7);
    Game game(s, random);
    game.play_rad();
    EXPECT_EQ(game.wealth()[0], Game::kWealthFloor);
    EXPECT_EQ(Game::kWealthFloor, std::exp(-7.0));
}

TEST(GameTest, ShortPositionsPayTradingCostsToo) {
    GameSetup s = flatSetup();
    s.forecast.c[1] = 0.01;
    s.forecast.p = {1, 0, 0, 0};
    s.x[0] = {0.5, 0.5, 0, 0};
    s.x[1] = {0.5, -0.5, 0, 0};
    port::Random random(3);
    Game game(s, random);
    game.play_rad();
    // Both move half the wealth into group 1 and pay 1 % of 0.5 on it: 100 - 100 * 0.5 * 0.01 * 0.5.
    EXPECT_DOUBLE_EQ(game.wealth()[0], 99.75);
    EXPECT_DOUBLE_EQ(game.wealth()[1], 99.75);
}

TEST(GameTest, ATargetReachedExactlyEndsTheGame) {
    GameSetup s = flatSetup();
    s.forecast.e[0] = 2;  // cash doubles each turn
    s.x[3] = {1, 0, 0, 0};
    port::Random random(5);
    Game game(s, random);
    GameRules rules;
    rules.end = GameRules::End::Target;
    rules.target = 800;
    game.play(rules);
    EXPECT_EQ(game.lastTurn(), 3);  // 200, 400, 800
    EXPECT_EQ(game.wealth()[3], 800);
    // Player 2 holds a quarter in cash; players 1 and 3 stay at 100, tied, in their order.
    EXPECT_EQ(game.leaderboard(), (std::vector<std::string>{"1.电 脑", "2.玩家2", "3.玩家1", "4.玩家3"}));
}

TEST(GameTest, AnUnreachableTargetStopsAfterTurn1000) {
    port::Random random(5);
    Game game(flatSetup(), random);
    GameRules rules;
    rules.end = GameRules::End::Target;
    rules.target = 10000;
    game.play(rules);
    EXPECT_EQ(game.lastTurn(), 1000);
}

TEST(GameTest, GroupsThatMoveTogetherMoveTogetherEveryTurn) {
    GameSetup s = flatSetup();
    s.forecast.r = {1, 1, 1};
    s.forecast.d = {0, 0.1, 0.1, 0.1};
    s.x[0] = {0, 1, 0, 0};
    s.x[1] = {0, 0, 1, 0};
    s.x[2] = {0, 0, 0, 1};
    port::Random random(11);
    Game game(s, random);
    for (int t = 0; t < 50; ++t) {
        const auto steps = game.play_rad();
        EXPECT_EQ(steps[0], steps[1]);
        EXPECT_EQ(steps[1], steps[2]);
    }
    EXPECT_EQ(game.wealth()[0], game.wealth()[1]);
    EXPECT_EQ(game.wealth()[1], game.wealth()[2]);
}

TEST(GameTest, TiesKeepTheComputerFirstThenThePlayersInOrder) {
    GameSetup s = flatSetup();
    s.forecast.e[2] = 1.1;
    s.x = {Proportions{0, 0, 1, 0}, Proportions{1, 0, 0, 0}, Proportions{0, 0, 1, 0},
           Proportions{1, 0, 0, 0}};
    port::Random random(2);
    Game game(s, random);
    game.play(turns(10));
    EXPECT_EQ(game.leaderboard(), (std::vector<std::string>{"1.玩家1", "2.玩家3", "3.电 脑", "4.玩家2"}));
}

TEST(GameTest, ASeededGameReplaysTheSameOutcomes) {
    GameSetup s;  // the window's default forecast
    s.x = {Proportions{0, 0, 0.4, 0.6}, Proportions{0.25, 0.25, 0.25, 0.25},
           Proportions{0, 0.334, 0.333, 0.333}, Proportions{0.2, 0.3, 0.25, 0.25}};
    port::Random random(20261208);
    Game game(s, random);
    game.play(turns(20));
    // The first draws of this seed, as the standard's mt19937_64 gives them on every machine.
    port::Random again(20261208);
    std::vector<int> coins;
    for (int i = 0; i < 12; ++i) coins.push_back(again.coin());
    EXPECT_EQ(coins, (std::vector<int>{1, 2, 2, 2, 2, 1, 2, 1, 2, 1, 1, 2}));
    EXPECT_EQ(game.lastTurn(), 20);
    EXPECT_EQ(game.wealth()[0], 432.14212118840226);
    EXPECT_EQ(game.priceIndex()[1], 7.6691182502344972);
    // Playing again from the same seed gives the same game.
    port::Random replay(20261208);
    Game second(s, replay);
    second.play(turns(20));
    EXPECT_EQ(second.wealth(), game.wealth());
    EXPECT_EQ(second.series(), game.series());
}

TEST(GameTest, TheLogChartHoldsACollapsedPriceAtItsFloorAndTheChartsGrowByDoubling) {
    GameSetup s = flatSetup();
    s.forecast.e[1] = 0.5;  // halves every turn: ln(100 * 0.5^t) falls below -2.3 at turn 10
    port::Random random(4);
    Game game(s, random);
    game.play(turns(12));
    const auto& price = game.series()[4];
    EXPECT_NEAR(price[9], std::log(100 * std::pow(0.5, 9)), 1e-12);
    EXPECT_EQ(price[10], Game::kPriceFloor);
    EXPECT_EQ(price[12], Game::kPriceFloor);

    GameChart chart(false);
    EXPECT_TRUE(chart.show(game.series(), 0));
    EXPECT_EQ(chart.height(1), 5);
    EXPECT_TRUE(chart.show(game.series(), 12));
    EXPECT_EQ(chart.turns(), 20);
    EXPECT_EQ(chart.height(0), 10);  // the computer's short gains a quarter a turn: ln W passes 5
    EXPECT_EQ(chart.height(1), 5);
    std::array<std::vector<double>, 7> broken = game.series();
    broken[0][1] = -INFINITY;  // a wealth of exactly 0 on the log chart
    EXPECT_FALSE(chart.show(broken, 1));
}
