#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varneth::text {

// Nearest whole number, halves to even, whatever the floating-point rounding mode is set to.
double roundHalfEven(double x);

// x rounded to `decimals` (0 to 4) places as the ledger computes it: the scaled value rounded, then
// multiplied by 0.1, 0.01 ... (not divided by 10, 100 ...), which can differ in the last bit.
double roundScaled(double x, int decimals);

// Working values named as 32-bit floats are rounded to 32 bits on every assignment.
inline float f32(double x) {
    return static_cast<float>(x);
}

// Shortest text that reads back to the same value: fixed notation for |x| in [1e-6, 1e15), no ".0" on
// whole numbers, "0" for both zeros; the exponent form only outside that range.
std::string shortestText(double x);
std::string shortestText(float x);

// At most 15 significant digits, always in fixed notation (1e+20 reads 100000000000000000000), no
// trailing zeros: computed values such as 1.0493000000000001 read 1.0493, and no message shows an
// exponent. Infinities and NaN as shortestText gives them.
std::string plainText(double x);

// Blanks around, a sign, digits with at most one decimal point, an optional exponent; nothing else
// (no group separators, no inf/nan, no hexadecimal).
std::optional<double> parseNumber(std::string_view text);
// Blanks around, a sign and decimal digits; nullopt when out of range.
std::optional<std::int64_t> parseInteger(std::string_view text);

}  // namespace varneth::text
