#pragma once

#include <string>
#include <string_view>

// Numbers as windows show them for reading. Stored values never change; only their text does.
namespace varneth::text {

enum class NumberKind {
    Money,     // 2 decimals, thousands separators from 10,000 up
    Price,     // prices, rates and index levels: at most 4 decimals, no trailing zeros
    Percent,   // percentages and ratios: 2 decimals
    Quantity,  // whole when whole, else at most 4 decimals
    General,   // anything else: at most 15 significant digits
};

// The value a reader means: a value that is exactly a 32-bit float is taken as the shortest text
// that reads back to that float (42.150001525878906 is 42.15), anything else as it is.
double readableValue(double x);

// `x` for reading, in the manner of `kind`; halves go to even.
std::string displayNumber(double x, NumberKind kind);

// The kind of a table field by its name (case-insensitive): the ledger's, fund ledger's and reference
// tables' money, price, rate, percentage and quantity fields; General for the rest.
NumberKind kindOfField(std::string_view field);

}  // namespace varneth::text
