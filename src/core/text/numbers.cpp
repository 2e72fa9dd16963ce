#include "text/numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "text/gbk.h"

namespace varneth::text {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips a run of digits; returns how many there were.
std::size_t skipDigits(std::string_view s, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < s.size() && isDigit(s[pos])) ++pos;
    return pos - start;
}

// Skips a leading sign; returns where from_chars must start, since it reads "-" but not "+".
std::size_t skipSign(std::string_view s, std::size_t& pos) {
    if (s.empty() || (s[0] != '+' && s[0] != '-')) return 0;
    pos = 1;
    return s[0] == '+' ? 1 : 0;
}

// The value of s from `start` on, when all of it reads and is in range.
template <typename T>
std::optional<T> readWhole(std::string_view s, std::size_t start) {
    T value{};
    const auto r = std::from_chars(s.data() + start, s.data() + s.size(), value);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return value;
}

template <typename T>
std::string shortest(T x) {
    if (x == 0) return "0";
    const T magnitude = std::fabs(x);
    std::array<char, 64> buf;
    const auto r = magnitude >= T(1e-6) && magnitude < T(1e15)
                       ? std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::fixed)
                       : std::to_chars(buf.data(), buf.data() + buf.size(), x);
    return std::string(buf.data(), r.ptr);
}

}  // namespace

double roundHalfEven(double x) {
    // From 2^52 up every double is whole; this also lets infinities and NaN through unchanged.
    if (!(std::fabs(x) < 4503599627370496.0)) return x;
    const double below = std::floor(x);
    const double fraction = x - below;  // exact in this range
    double r = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) r = below + 1.0;
    return r == 0.0 ? std::copysign(0.0, x) : r;
}

double roundScaled(double x, int decimals) {
    static constexpr std::array<double, 5> kScale{1.0, 10.0, 100.0, 1000.0, 10000.0};
    static constexpr std::array<double, 5> kUnit{1.0, 0.1, 0.01, 0.001, 0.0001};
    if (decimals < 0 || decimals >= static_cast<int>(kScale.size()))
        throw std::out_of_range("roundScaled: decimals must be 0 to 4");
    const auto d = static_cast<std::size_t>(decimals);
    return roundHalfEven(x * kScale[d]) * kUnit[d];
}

std::string shortestText(double x) {
    return shortest(x);
}

std::string shortestText(float x) {
    return shortest(x);
}

std::string plainText(double x) {
    if (x == 0) return "0";
    if (!std::isfinite(x)) return shortestText(x);
    // The exponent of the value rounded to 15 digits, which may differ from that of x (9.9999…e2).
    std::array<char, 32> sci;
    std::snprintf(sci.data(), sci.size(), "%.14e", x);
    const int exponent = std::atoi(std::strchr(sci.data(), 'e') + 1);
    const int decimals = std::max(0, 14 - exponent);
    std::array<char, 400> fixed;
    std::snprintf(fixed.data(), fixed.size(), "%.*f", decimals, x);
    std::string out(fixed.data());
    if (out.find('.') != std::string::npos) {
        out.erase(out.find_last_not_of('0') + 1);
        if (out.back() == '.') out.pop_back();
    }
    return out == "-0" ? "0" : out;
}

std::optional<double> parseNumber(std::string_view text) {
    const std::string s = trim(text);
    std::size_t pos = 0;
    const std::size_t start = skipSign(s, pos);
    std::size_t digits = skipDigits(s, pos);
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        digits += skipDigits(s, pos);
    }
    if (digits == 0) return std::nullopt;
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        ++pos;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
        if (skipDigits(s, pos) == 0) return std::nullopt;
    }
    if (pos != s.size()) return std::nullopt;
    return readWhole<double>(s, start);
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    const std::string s = trim(text);
    std::size_t pos = 0;
    const std::size_t start = skipSign(s, pos);
    if (skipDigits(s, pos) == 0 || pos != s.size()) return std::nullopt;
    return readWhole<std::int64_t>(s, start);
}

}  // namespace varneth::text
