#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "optimiser/model.h"
#include "port/random.h"

namespace varneth::optimiser {

// What a game is played with: the forecast and P as the optimisation last read them, and the
// participants' proportions in the order player 1, 2, 3, computer.
struct GameSetup {
    Forecast forecast;
    std::array<Proportions, 4> x{};
};

struct GameRules {
    enum class End { Turns, Target };
    End end = End::Turns;
    int turns = 100;        // 10-1000
    double target = 10000;  // target mode
    bool linear = false;    // else the log chart
};

// The simulation game: turn after turn one joint outcome of the three groups, drawn with the
// scenario model's coins, applied to the four participants' wealth.
class Game {
public:
    static constexpr int kMaxTurns = 1000;
    static constexpr double kWealthFloor = 0.000911881965554516208;  // e^-7
    static constexpr double kPriceFloor = -2.3;                      // ln 0.1, log chart only
    static constexpr const char* kNames[4] = {"玩家1", "玩家2", "玩家3", "电 脑"};

    Game(const GameSetup& setup, port::Random& random);

    // Plays a whole game from wealth 100 and price index 1.
    void play(const GameRules& rules);

    // One turn: draws the outcome and applies it to the wealth (`play_rad`). The steps -1/0/1 drawn.
    std::array<int, 3> play_rad();

    int lastTurn() const { return lastTurn_; }
    const std::array<double, 4>& wealth() const { return w_; }
    const std::array<double, 3>& priceIndex() const { return c_; }
    // Chart points from turn 0 to the last turn: wealth of the four, then the three price indices;
    // logarithms on the log chart.
    const std::array<std::vector<double>, 7>& series() const { return series_; }
    bool linear() const { return linear_; }
    // "1.电 脑" ... by final wealth, largest first; equal wealth keeps 电 脑, 玩家1, 玩家2, 玩家3.
    std::vector<std::string> leaderboard() const;

private:
    void start();
    void record(const std::array<int, 3>& steps);
    void floorPrices();

    GameSetup setup_;
    std::optional<Coupling> coupling_;
    port::Random& random_;
    std::array<double, 4> w_{};
    std::array<double, 3> c_{};
    std::array<std::vector<double>, 7> series_;
    int lastTurn_ = 0;
    bool linear_ = false;
};

}  // namespace varneth::optimiser
