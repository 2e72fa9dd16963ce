#include "storage/value.h"

#include <cmath>

#include "text/numbers.h"

namespace varneth::storage {

double Value::toDouble() const {
    if (auto d = std::get_if<double>(&v_)) return *d;
    if (auto i = std::get_if<std::int64_t>(&v_)) return static_cast<double>(*i);
    if (auto s = std::get_if<std::string>(&v_)) return text::parseNumber(*s).value_or(0.0);
    return 0.0;
}

std::int64_t Value::toInt() const {
    if (auto i = std::get_if<std::int64_t>(&v_)) return *i;
    double d = toDouble();
    if (!std::isfinite(d)) return 0;
    return static_cast<std::int64_t>(d);
}

bool Value::toBool() const {
    if (auto s = std::get_if<std::string>(&v_)) return *s == "T" || *s == "t" || *s == "1";
    return toDouble() != 0.0;
}

std::string Value::toString() const {
    if (auto s = std::get_if<std::string>(&v_)) return *s;
    if (auto d = std::get_if<double>(&v_)) return text::shortestText(*d);
    if (auto i = std::get_if<std::int64_t>(&v_)) return std::to_string(*i);
    return {};
}

const std::string& Value::text() const {
    return std::get<std::string>(v_);
}

int Value::compare(const Value& other) const {
    auto rank = [](const Value& v) { return v.isNull() ? 0 : v.isText() ? 2 : 1; };
    int ra = rank(*this), rb = rank(other);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra == 0) return 0;
    if (ra == 2) {
        int c = text().compare(other.text());
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (isInteger() && other.isInteger()) {
        auto a = std::get<std::int64_t>(v_), b = std::get<std::int64_t>(other.v_);
        return a < b ? -1 : a > b ? 1 : 0;
    }
    double a = toDouble(), b = other.toDouble();
    return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace varneth::storage
