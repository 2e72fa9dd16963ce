#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace varneth::port {

// Local wall-clock time, to the second.
struct DateTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    // "yyyy-mm-dd hh:nn:ss"; nullopt when the text does not read as a valid date and time.
    static std::optional<DateTime> parse(std::string_view text);
    std::string iso() const;      // "yyyy-mm-dd hh:nn:ss"
    std::string isoDate() const;  // "yyyy-mm-dd"
    bool operator==(const DateTime&) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    DateTime now() const override;
};

// A clock that stands still unless moved; for tests and `--now`.
class FixedClock : public Clock {
public:
    explicit FixedClock(DateTime t) : t_(t) {}
    DateTime now() const override { return t_; }
    void set(DateTime t) { t_ = t; }
    void advanceSeconds(int seconds);

private:
    DateTime t_;
};

}  // namespace varneth::port
