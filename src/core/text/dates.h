#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace varneth::text {

// A calendar date (proleptic Gregorian); ordered as dates are.
struct Date {
    int year = 1970, month = 1, day = 1;

    // "yyyy-mm-dd"; the month and day may have one digit, and "/" may stand for "-" (both the same).
    // nullopt for anything else and for dates the calendar does not have (2026-02-30).
    static std::optional<Date> parse(std::string_view text);
    static Date fromSerial(int serial);

    std::string iso() const;  // "yyyy-mm-dd"
    int serial() const;       // days since 1970-01-01
    Date addDays(int days) const;
    int daysUntil(Date other) const;  // other - this, in days
    int weekday() const;              // 0 = Sunday

    auto operator<=>(const Date&) const = default;
};

}  // namespace varneth::text
