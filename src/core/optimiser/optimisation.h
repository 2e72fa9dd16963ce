#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "optimiser/model.h"
#include "optimiser/parameters.h"
#include "port/prompter.h"
#include "storage/engine.h"

namespace varneth::optimiser {

// The optimisation module: the forecast the user makes for the four groups, the players' rows, the
// current portfolio read from the book by group, and "电脑优化" with its suggestions. The game reads
// the values it holds when a game starts.
class Optimisation {
public:
    static constexpr const char* kDefaultFile = "default.prd";
    static constexpr int kPlayers = 3;

    Optimisation(storage::Engine& engine, port::Prompter& prompter, std::filesystem::path programDir);

    // Opening: the players' rows, "default.prd" from the program directory when there is one, the
    // current portfolio (`putlx`). The grouping module must have opened first. False when a default
    // file is there but refused (told; the defaults stay).
    bool open();

    const Parameters& parameters() const { return params_; }
    // Value changes as the boxes make them.
    void setInitialPrice(int group, int percent) {
        params_.ini.at(static_cast<std::size_t>(group)) = percent;
    }
    void setExpectation(int group, int percent) { params_.e.at(static_cast<std::size_t>(group)) = percent; }
    // A deviation not below its expectation is told and the last accepted one stays.
    bool setDeviation(int group, int percent);
    void setCost(int group, std::string text) {
        params_.cost.at(static_cast<std::size_t>(group)) = std::move(text);
    }
    void setMargin(int group, std::string text) {
        params_.margin.at(static_cast<std::size_t>(group)) = std::move(text);
    }
    // r12 or r23 rebuilds the r13 list, takes its first entry and lets r13 be chosen again.
    void setR12(double r);
    void setR23(double r);
    // False (told) when `r` is not in the list.
    bool setR13(double r);
    const std::vector<double>& r13List() const { return r13List_; }
    bool r13Enabled() const { return r13Enabled_; }
    void setOverdraftRatio(std::string text) { params_.overdraftRatio = std::move(text); }
    void setOverdraftRate(std::string text) { params_.overdraftRate = std::move(text); }

    // Players 1-3 (0-based here): the four boxes of a row, per mille once normalised.
    const std::array<double, 4>& player(int j) const { return players_.at(static_cast<std::size_t>(j)); }
    void setPlayer(int j, const std::array<double, 4>& row) {
        players_.at(static_cast<std::size_t>(j)) = row;
    }
    void normalise(int j);  // "归一化"

    // The current portfolio by group into player 1's row, the group labels and the total.
    void putlx();
    const std::array<std::string, 4>& labels() const { return labels_; }
    double total() const { return total_; }

    // The parameter file; false (told) when it cannot be read, is not a parameter file or cannot
    // be written. A refused file changes nothing.
    bool loadcs(const std::filesystem::path& file);
    bool savecs(const std::filesystem::path& file);

    // What is wrong with the boxes, told; true when nothing is.
    bool check();
    // "电脑优化". False (told) when the boxes do not allow it; nothing changes then.
    bool optimise();
    // "投资模拟" before its window opens: every player's row normalised, then "电脑优化".
    bool prepareGame();

    const SearchResult& result() const { return result_; }
    const std::array<int, 4>& suggestedChange() const { return z_; }     // per mille
    const std::array<double, 4>& suggestedAmount() const { return j_; }  // money
    // What the last optimisation read: the forecast with player 1's proportions, and P.
    const Forecast& forecast() const { return forecast_; }
    const ScenarioTable& scenarios() const { return p_; }
    // The four participants' proportions for a game: players 1-3, then the computer's best.
    std::array<Proportions, 4> participants() const;

private:
    Proportions fractions(int j) const;

    storage::Engine& engine_;
    port::Prompter& prompter_;
    std::filesystem::path programDir_;
    Parameters params_;
    std::vector<double> r13List_;
    bool r13Enabled_ = true;
    std::array<std::array<double, 4>, kPlayers> players_{
        {{0, 0, 400, 600}, {250, 250, 250, 250}, {0, 334, 333, 333}}};
    std::array<std::string, 4> labels_;
    double total_ = 0;
    Forecast forecast_;
    ScenarioTable p_{};
    SearchResult result_;
    std::array<int, 4> z_{};
    std::array<double, 4> j_{};
};

}  // namespace varneth::optimiser
