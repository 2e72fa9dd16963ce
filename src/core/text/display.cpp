#include "text/display.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "text/numbers.h"

namespace varneth::text {

namespace {

// Beyond this, scaled values no longer hold whole numbers exactly.
constexpr double kExactLimit = 9e15;

// `x` rounded to `decimals` places (halves to even) as text with exactly that many decimals.
std::string fixedDecimals(double x, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = roundHalfEven(x * scale);
    if (!(std::fabs(scaled) < kExactLimit)) {
        std::array<char, 400> buf;
        std::snprintf(buf.data(), buf.size(), "%.*f", decimals, x);
        return buf.data();
    }
    const auto whole = static_cast<std::int64_t>(std::fabs(scaled));
    const auto unit = static_cast<std::int64_t>(scale);
    std::string out = std::to_string(whole / unit);
    if (decimals > 0) {
        std::string fraction = std::to_string(whole % unit);
        fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
        out += "." + fraction;
    }
    return (scaled < 0 ? "-" : "") + out;
}

std::string dropTrailingZeros(std::string s) {
    if (s.find('.') == std::string::npos) return s;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string withSeparators(std::string s) {
    const std::size_t start = s.starts_with('-') ? 1 : 0;
    std::size_t end = s.find('.');
    if (end == std::string::npos) end = s.size();
    for (std::size_t i = end; i > start + 3; i -= 3) s.insert(i - 3, ",");
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

}  // namespace

double readableValue(double x) {
    if (!std::isfinite(x)) return x;
    const auto f = static_cast<float>(x);
    if (static_cast<double>(f) != x) return x;
    return std::strtod(shortestText(f).c_str(), nullptr);
}

std::string displayNumber(double x, NumberKind kind) {
    if (!std::isfinite(x)) return shortestText(x);
    const double v = readableValue(x);
    switch (kind) {
        case NumberKind::Money: {
            std::string s = fixedDecimals(v, 2);
            if (s == "-0.00") s = "0.00";
            return std::fabs(v) >= 10000 ? withSeparators(s) : s;
        }
        case NumberKind::Price:
        case NumberKind::Quantity:
            return dropTrailingZeros(fixedDecimals(v, 4));
        case NumberKind::Percent: {
            const std::string s = fixedDecimals(v, 2);
            return s == "-0.00" ? "0.00" : s;
        }
        case NumberKind::General:
            return plainText(v);
    }
    return plainText(v);
}

NumberKind kindOfField(std::string_view field) {
    using enum NumberKind;
    // The tables' fields, and the main and statistics windows' query columns under their Chinese names.
    static const std::pair<const char*, NumberKind> kinds[] = {
        {"COST1", Money},        {"COST2", Money},        {"SXF", Money},      {"YHS", Money},
        {"INCOME", Money},       {"INPUT", Money},        {"FUND", Money},     {"DMONEY", Money},
        {"BXFUND", Money},       {"TICH", Money},         {"成本", Money},     {"市值", Money},
        {"PRICE", Price},        {"PRICE1", Price},       {"PRICE2", Price},   {"L_PRICE", Price},
        {"BIRATE", Price},       {"ZK_RATE", Price},      {"BZJ_RATE", Price}, {"SXF_RATE", Price},
        {"YHS_RATE", Price},     {"RATE", Price},         {"SZ", Price},       {"SHZ", Price},
        {"成本价", Price},       {"当前价", Price},       {"价格1", Price},    {"价格2", Price},
        {"INC", Percent},        {"PER", Percent},        {"增值率", Percent}, {"比例", Percent},
        {"AMT", Quantity},       {"UNIT", Quantity},      {"NUM", Quantity},   {"数量", Quantity},
        {"交易费", Money},       {"成交金额", Money},     {"折扣价值", Money}, {"均价1", Price},
        {"均价2", Price},        {"成交价", Price},       {"折扣率", Price},   {"货币比率", Price},
        {"市值百分比", Percent}, {"折扣百分比", Percent}, {"ASSET", Money},    {"A_PRICE", Price},
        {"ZZL", Percent},        {"COST3", Money},
    };
    for (const auto& [name, kind] : kinds)
        if (sameName(field, name)) return kind;
    return NumberKind::General;
}

}  // namespace varneth::text
