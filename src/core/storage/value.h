#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace varneth::storage {

// One field value as SQLite holds it: NULL, a REAL, an INTEGER or UTF-8 text.
// Dates are ISO text "yyyy-mm-dd"; logicals are integers 0/1.
class Value {
public:
    Value() = default;
    Value(double d) : v_(d) {}
    Value(int i) : v_(static_cast<std::int64_t>(i)) {}
    Value(std::int64_t i) : v_(i) {}
    Value(bool b) : v_(static_cast<std::int64_t>(b ? 1 : 0)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool isText() const { return std::holds_alternative<std::string>(v_); }
    bool isReal() const { return std::holds_alternative<double>(v_); }
    bool isInteger() const { return std::holds_alternative<std::int64_t>(v_); }
    bool isNumeric() const { return isReal() || isInteger(); }

    // Conversions never throw: NULL reads as 0 / "" / false, text as its number when it reads as one.
    double toDouble() const;
    std::int64_t toInt() const;
    bool toBool() const;
    // Text as stored; numbers in their shortest round-trip form; NULL as "".
    std::string toString() const;
    const std::string& text() const;  // only for isText()

    // SQLite's order: NULL < numbers < text; text by bytes (BINARY collation).
    int compare(const Value& other) const;
    bool operator==(const Value& other) const { return compare(other) == 0; }

private:
    std::variant<std::monostate, double, std::int64_t, std::string> v_;
};

using Record = std::vector<Value>;

}  // namespace varneth::storage
