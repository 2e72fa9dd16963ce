#include "text/dates.h"

#include <chrono>
#include <cstdio>

namespace varneth::text {
namespace {

namespace chr = std::chrono;

// Reads between `min` and `max` digits at `pos`; nullopt when there are fewer.
std::optional<int> readNumber(std::string_view s, std::size_t& pos, std::size_t min, std::size_t max) {
    int value = 0;
    std::size_t n = 0;
    while (n < max && pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        value = value * 10 + (s[pos] - '0');
        ++pos;
        ++n;
    }
    if (n < min) return std::nullopt;
    return value;
}

chr::year_month_day ymd(const Date& d) {
    return chr::year{d.year} / chr::month{static_cast<unsigned>(d.month)} /
           chr::day{static_cast<unsigned>(d.day)};
}

chr::sys_days days(const Date& d) {
    return chr::sys_days{ymd(d)};
}

}  // namespace

std::optional<Date> Date::parse(std::string_view text) {
    std::size_t pos = 0;
    const auto y = readNumber(text, pos, 4, 4);
    if (!y || pos >= text.size() || (text[pos] != '-' && text[pos] != '/')) return std::nullopt;
    const char separator = text[pos++];
    const auto m = readNumber(text, pos, 1, 2);
    if (!m || pos >= text.size() || text[pos++] != separator) return std::nullopt;
    const auto d = readNumber(text, pos, 1, 2);
    if (!d || pos != text.size()) return std::nullopt;
    const Date date{*y, *m, *d};
    if (!ymd(date).ok()) return std::nullopt;
    return date;
}

Date Date::fromSerial(int serial) {
    const chr::year_month_day d{chr::sys_days{chr::days{serial}}};
    return {static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
            static_cast<int>(static_cast<unsigned>(d.day()))};
}

std::string Date::iso() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

int Date::serial() const {
    return static_cast<int>(days(*this).time_since_epoch().count());
}

Date Date::addDays(int n) const {
    return fromSerial(serial() + n);
}

int Date::daysUntil(Date other) const {
    return other.serial() - serial();
}

int Date::weekday() const {
    return static_cast<int>(chr::weekday{days(*this)}.c_encoding());
}

}  // namespace varneth::text
