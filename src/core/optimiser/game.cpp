#include "optimiser/game.h"

#include <algorithm>
#include <cmath>

namespace varneth::optimiser {

Game::Game(const GameSetup& setup, port::Random& random)
    : setup_(setup), coupling_(Coupling::of(setup_.forecast.r)), random_(random) {
    start();
}

void Game::start() {
    w_.fill(100);
    c_.fill(1);
    lastTurn_ = 0;
    for (auto& s : series_) {
        s.clear();
        s.push_back(linear_ ? 100 : std::log(100.0));
    }
}

std::array<int, 3> Game::play_rad() {
    // All six coins every turn, whatever the coupling uses, so that a seed replays the same.
    std::array<int, 6> coins{};
    for (int& c : coins) c = random_.coin() - 1;
    std::array<int, 3> steps{};
    if (coupling_) {
        const auto levels = coupling_->levels(coins);
        for (std::size_t k = 0; k < 3; ++k) steps[k] = levels[k] - 1;
    }
    const Forecast& f = setup_.forecast;
    for (std::size_t j = 0; j < 4; ++j) {
        const Proportions& x = setup_.x[j];
        const double w0 = w_[j];
        double& w = w_[j];
        for (std::size_t k = 1; k <= 3; ++k) {
            const double price = f.price(static_cast<int>(k), steps[k - 1]);
            // Costs are paid on the size of a position, long or short.
            w = w + w0 * (x[k] * f.m[k] * (price - f.ini[k]) -
                          std::fabs(x[k]) * f.c[k] * std::fabs(x[k] - f.p[k]));
            if (w < 0) w = kWealthFloor;
        }
        w = w + x[0] * w0 * (f.e[0] - 1);
        if (w < 0) w = kWealthFloor;
    }
    return steps;
}

void Game::record(const std::array<int, 3>& steps) {
    for (std::size_t k = 0; k < 3; ++k) {
        c_[k] = c_[k] * setup_.forecast.price(static_cast<int>(k + 1), steps[k]);
        double point = 100 * c_[k];
        if (!linear_) {
            if (c_[k] == 0) {
                point = 0;
                c_[k] = 1;
            } else {
                point = std::log(100 * c_[k]);
            }
        }
        series_[4 + k].push_back(point);
    }
    for (std::size_t j = 0; j < 4; ++j) series_[j].push_back(linear_ ? w_[j] : std::log(w_[j]));
}

void Game::floorPrices() {
    for (std::size_t k = 4; k < 7; ++k) {
        auto& s = series_[k];
        const auto first = std::find_if(s.begin(), s.end(), [](double v) { return v < kPriceFloor; });
        std::fill(first, s.end(), kPriceFloor);
    }
}

void Game::play(const GameRules& rules) {
    linear_ = rules.linear;
    start();
    if (rules.end == GameRules::End::Turns) {
        for (int t = 1; t <= rules.turns; ++t) {
            const auto steps = play_rad();
            if (!linear_ && (w_[0] + w_[1] + w_[2] + w_[3] > 1e32 || c_[0] + c_[1] + c_[2] > 1e32)) break;
            record(steps);
            lastTurn_ = t;
        }
    } else {
        const auto below = [&] {
            return std::all_of(w_.begin(), w_.end(), [&](double w) { return w < rules.target; });
        };
        while (below() && lastTurn_ < kMaxTurns) {
            record(play_rad());
            ++lastTurn_;
        }
    }
    if (!linear_) floorPrices();
}

std::vector<std::string> Game::leaderboard() const {
    std::vector<std::size_t> order{3, 0, 1, 2};
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return w_[a] > w_[b]; });
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < order.size(); ++i)
        lines.push_back(std::to_string(i + 1) + "." + kNames[order[i]]);
    return lines;
}

}  // namespace varneth::optimiser
