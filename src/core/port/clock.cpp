#include "port/clock.h"

#include <cstdio>
#include <ctime>

#include "text/dates.h"

namespace varneth::port {
namespace {

namespace chr = std::chrono;

// Reads a one- or two-digit field no greater than `max`, followed by `end` (or the end of the text).
std::optional<int> readField(std::string_view s, std::size_t& pos, int max, char end) {
    int value = 0;
    std::size_t n = 0;
    while (n < 2 && pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        value = value * 10 + (s[pos++] - '0');
        ++n;
    }
    if (n == 0 || value > max) return std::nullopt;
    if (end != '\0') {
        if (pos >= s.size() || s[pos] != end) return std::nullopt;
        ++pos;
    }
    return value;
}

chr::sys_seconds toSeconds(const DateTime& t) {
    const chr::sys_days day{chr::year{t.year} / chr::month{static_cast<unsigned>(t.month)} /
                            chr::day{static_cast<unsigned>(t.day)}};
    return day + chr::hours{t.hour} + chr::minutes{t.minute} + chr::seconds{t.second};
}

DateTime fromSeconds(chr::sys_seconds s) {
    const auto day = chr::floor<chr::days>(s);
    const chr::year_month_day ymd{day};
    const chr::hh_mm_ss hms{s - day};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day())),
            static_cast<int>(hms.hours().count()),
            static_cast<int>(hms.minutes().count()),
            static_cast<int>(hms.seconds().count())};
}

}  // namespace

std::optional<DateTime> DateTime::parse(std::string_view text) {
    const auto blank = text.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const auto date = text::Date::parse(text.substr(0, blank));
    if (!date) return std::nullopt;
    const std::string_view time = text.substr(blank + 1);
    std::size_t pos = 0;
    const auto h = readField(time, pos, 23, ':');
    const auto n = h ? readField(time, pos, 59, ':') : std::nullopt;
    const auto s = n ? readField(time, pos, 59, '\0') : std::nullopt;
    if (!s || pos != time.size()) return std::nullopt;
    return DateTime{date->year, date->month, date->day, *h, *n, *s};
}

std::string DateTime::iso() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return buf;
}

std::string DateTime::isoDate() const {
    return text::Date{year, month, day}.iso();
}

DateTime SystemClock::now() const {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    // A leap second (60) would not read back through DateTime::parse.
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec > 59 ? 59 : local.tm_sec};
}

void FixedClock::advanceSeconds(int seconds) {
    t_ = fromSeconds(toSeconds(t_) + chr::seconds{seconds});
}

}  // namespace varneth::port
