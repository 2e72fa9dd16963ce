#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "optimiser/model.h"

namespace varneth::optimiser {

// What the optimisation window's boxes hold, in the units they show: per cents for prices and
// deviations, the cost and margin texts as chosen or typed, the correlations, the overdraft texts.
// Index 0 stands for group 0 where it has a box (its expectation) and is fixed otherwise.
struct Parameters {
    std::array<int, 4> ini{100, 100, 100, 100};
    std::array<int, 4> e{100, 115, 117, 116};
    std::array<int, 4> d{0, 20, 57, 58};
    std::array<std::string, 4> cost{"0", "0", "0", "0"};
    std::array<std::string, 4> margin{"100", "100", "100", "100"};
    Correlations r;
    std::string overdraftRatio = "0", overdraftRate = "0";

    bool operator==(const Parameters&) const = default;
};

// The lists the window offers.
const std::vector<std::string>& costChoices();
const std::vector<std::string>& marginChoices();

inline constexpr const char* kDeviationTooLarge = "上下偏差不得超过未来期望!";
inline constexpr const char* kBadParameterFile = "参数文件格式不对，未读入。";
inline constexpr const char* kBadMargin = "保证金比例必须大于0且不超过100";
inline constexpr const char* kBadCost = "交易成本不能为负";

// What is wrong with `p` before anything may be computed from it (nullopt: nothing): a cost or
// margin text that does not read, a negative cost, a margin outside (0, 100], a correlation not
// offered, an r13 that does not go with r12 and r23, a deviation not below its expectation.
std::optional<std::string> problemWith(const Parameters& p);

// The fractions the optimiser reads; `p` must have no problem. Player 1's proportions stay at
// all cash: the caller puts them in.
Forecast forecastOf(const Parameters& p);

// The parameter file: 25 lines, one value each.
std::string prdText(const Parameters& p);
// nullopt when the text is not a parameter file this window could have written.
std::optional<Parameters> parsePrd(const std::string& text);

// "低/中/高" in per cents, e.g. "95/115/135"; group 0 shows its expectation three times.
std::string levelsLabel(const Parameters& p, int group);

}  // namespace varneth::optimiser
