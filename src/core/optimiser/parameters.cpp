#include "optimiser/parameters.h"

#include <sstream>

#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::optimiser {

namespace {

std::string joined(const std::vector<double>& values) {
    std::string out;
    for (double v : values) out += (out.empty() ? "" : ",") + text::shortestText(v);
    return out;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    // Blanks around a value (a "\r" of another system's line ends, spaces from a hand edit) are not
    // part of it, so that a file read and written again reads the same.
    for (std::string line; std::getline(in, line);) lines.push_back(text::trim(line));
    return lines;
}

}  // namespace

const std::vector<std::string>& costChoices() {
    static const std::vector<std::string> list{"0", "0.1", "0.25", "0.5", "0.75", "1", "2", "3", "5"};
    return list;
}

const std::vector<std::string>& marginChoices() {
    static const std::vector<std::string> list{"100", "90", "80",  "70", "60",  "50", "40",  "30",
                                               "25",  "20", "15",  "10", "9",   "8",  "7",   "6",
                                               "5",   "4",  "3.5", "3",  "2.5", "2",  "1.5", "1"};
    return list;
}

std::optional<std::string> problemWith(const Parameters& p) {
    for (std::size_t k = 1; k <= 3; ++k) {
        const auto cost = text::parseNumber(p.cost[k]);
        if (!cost) return "'" + p.cost[k] + "'不是有效的数值（证券" + std::to_string(k) + "交易成本）";
        if (*cost < 0) return kBadCost;
        const auto margin = text::parseNumber(p.margin[k]);
        if (!margin) return "'" + p.margin[k] + "'不是有效的数值（证券" + std::to_string(k) + "保证金比例）";
        if (!(*margin > 0 && *margin <= 100)) return kBadMargin;
        if (p.d[k] >= p.e[k]) return kDeviationTooLarge;
    }
    if (!isCorrelationChoice(p.r.r12) || !isCorrelationChoice(p.r.r23))
        return "相关系数只能是" + joined(correlationChoices());
    const auto list = feasibleR13(p.r.r12, p.r.r23);
    bool listed = false;
    for (double v : list) listed = listed || v == p.r.r13;
    if (!listed) return "证券1和证券3的相关系数只能是" + joined(list);
    return std::nullopt;
}

Forecast forecastOf(const Parameters& p) {
    Forecast f;
    f.e[0] = p.e[0] * 0.01;
    for (std::size_t k = 1; k <= 3; ++k) {
        f.ini[k] = p.ini[k] * 0.01;
        f.e[k] = p.e[k] * 0.01;
        f.d[k] = p.d[k] * 0.01;
        f.c[k] = *text::parseNumber(p.cost[k]) * 0.01;
        f.m[k] = 100 / *text::parseNumber(p.margin[k]);
    }
    f.r = p.r;
    return f;
}

std::string prdText(const Parameters& p) {
    std::string out = "100\n";
    const auto line = [&out](const std::string& s) { out += s + "\n"; };
    for (std::size_t k = 1; k <= 3; ++k) line(std::to_string(p.ini[k]));
    for (std::size_t k = 0; k <= 3; ++k) line(std::to_string(p.e[k]));
    line("0");
    for (std::size_t k = 1; k <= 3; ++k) line(std::to_string(p.d[k]));
    line("0");
    for (std::size_t k = 1; k <= 3; ++k) line(p.cost[k]);
    line("100");
    for (std::size_t k = 1; k <= 3; ++k) line(p.margin[k]);
    line(text::shortestText(p.r.r12));
    line(text::shortestText(p.r.r23));
    line(text::shortestText(p.r.r13));
    line(p.overdraftRatio);
    line(p.overdraftRate);
    return out;
}

std::optional<Parameters> parsePrd(const std::string& text) {
    const auto lines = linesOf(text);
    if (lines.size() < 25) return std::nullopt;
    // Lines are numbered from 1 as the file's layout counts them.
    const auto whole = [&lines](int n) -> std::optional<int> {
        const auto v = text::parseInteger(lines[static_cast<std::size_t>(n - 1)]);
        if (!v || *v < -1000000 || *v > 1000000) return std::nullopt;
        return static_cast<int>(*v);
    };
    Parameters p;
    for (std::size_t k = 1; k <= 3; ++k) {
        const int line = static_cast<int>(k);
        const auto ini = whole(1 + line), e = whole(5 + line), d = whole(9 + line);
        if (!ini || !e || !d) return std::nullopt;
        p.ini[k] = *ini;
        p.e[k] = *e;
        p.d[k] = *d;
        p.cost[k] = lines[12 + k];
        p.margin[k] = lines[16 + k];
    }
    const auto e0 = whole(5);
    const auto r12 = text::parseNumber(lines[20]), r23 = text::parseNumber(lines[21]),
               r13 = text::parseNumber(lines[22]);
    if (!e0 || !r12 || !r23 || !r13) return std::nullopt;
    p.e[0] = *e0;
    p.r = {*r12, *r23, *r13};
    p.overdraftRatio = lines[23];
    p.overdraftRate = lines[24];
    if (problemWith(p)) return std::nullopt;
    return p;
}

std::string levelsLabel(const Parameters& p, int group) {
    const auto k = static_cast<std::size_t>(group);
    if (group == 0) {
        const std::string e = std::to_string(p.e[0]);
        return e + "/" + e + "/" + e;
    }
    return std::to_string(p.e[k] - p.d[k]) + "/" + std::to_string(p.e[k]) + "/" +
           std::to_string(p.e[k] + p.d[k]);
}

}  // namespace varneth::optimiser
