#include "stats/performance.h"

#include <algorithm>
#include <optional>

#include "storage/cursor.h"
#include "text/numbers.h"

namespace varneth::stats {

namespace {

constexpr double kLowestLevel = 10;

// Fifteen significant digits, as the result table has always shown its numbers.
std::string number(double x) {
    return text::plainText(x);
}

std::string rate(double start, double end) {
    if (start == 0) return Performance::kRateUnknown;
    return number(text::roundScaled((end - start) * 100 / start, 2));
}

// Readings in ledger order: a value that is no reading repeats the last one.
struct Carried {
    double value = 0;
    bool seen = false;
    double take(double reading, bool good) {
        if (!good) return seen ? value : reading;
        value = reading;
        seen = true;
        return reading;
    }
};

std::string trimmed(std::string_view s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

}  // namespace

Performance::Performance(storage::Database& kvt, port::Prompter& prompter) : kvt_(kvt), prompter_(prompter) {}

std::vector<FundPoint> Performance::loadPoints(storage::Database& kvt) {
    storage::Cursor ledger(kvt, "Fund2.DB");
    std::vector<FundPoint> points;
    Carried price, sz, shz;
    std::optional<text::Date> base;
    for (ledger.first(); !ledger.eof(); ledger.next()) {
        const auto dt = ledger.date("DT");
        const auto date = dt ? text::Date::parse(*dt) : std::nullopt;
        if (!date) continue;  // a row without a date has no place on the time axis
        FundPoint p;
        p.date = *date;
        p.fund = ledger.number("FUND");
        p.price = ledger.number("PRICE");
        p.sz = ledger.number("SZ");
        p.shz = ledger.number("SHZ");
        p.price = price.take(p.price, p.price != 0);
        p.sz = sz.take(p.sz, p.sz >= kLowestLevel);
        p.shz = shz.take(p.shz, p.shz >= kLowestLevel);
        if (!base) {
            if (p.fund == 0) continue;
            base = *date;
        }
        p.day = base->daysUntil(*date);
        if (!points.empty() && *date == *base)
            points.back() = p;
        else
            points.push_back(p);
    }
    // A ledger whose first points carry no index level starts the index flat at its first level.
    for (double FundPoint::*level : {&FundPoint::sz, &FundPoint::shz}) {
        const auto first = std::find_if(points.begin(), points.end(),
                                        [&](const FundPoint& p) { return p.*level >= kLowestLevel; });
        if (first == points.end()) continue;
        for (auto it = points.begin(); it != first; ++it) (*it).*level = (*first).*level;
    }
    return points;
}

void Performance::load() {
    points_ = loadPoints(kvt_);
    left_ = start_ = mark_ = 0;
    toldMark_ = -1;
    if (points_.empty()) prompter_.message(kZeroStart);
}

StartChoice Performance::open(std::string_view dateText) {
    load();
    if (empty()) return StartChoice::FromHead;
    if (choose(StartChoice::FromDate, dateText)) return StartChoice::FromDate;
    choose(StartChoice::FromHead);
    return StartChoice::FromHead;
}

void Performance::startAt(int s, bool showBefore) {
    start_ = s;
    mark_ = s > 0 ? s - 1 : s;
    const int last = static_cast<int>(points_.size()) - 1;
    left_ = showBefore ? std::max(0, s - static_cast<int>(text::roundHalfEven(0.25 * (last - s)))) : 0;
    // Near the end the quarter rounds to nothing: the comparison start stays on the chart.
    left_ = std::min(left_, mark_);
}

bool Performance::choose(StartChoice choice, std::string_view dateText) {
    if (choice == StartChoice::FromHead) {
        startAt(0, false);
        return true;
    }
    text::Date from;
    if (choice == StartChoice::FromDate) {
        const auto date = text::Date::parse(trimmed(dateText));
        if (!date) {
            prompter_.message(kBadDate);
            return false;
        }
        if (empty() || *date > points_.back().date || *date < points_.front().date) {
            prompter_.message(kDateOutOfRange);
            return false;
        }
        from = *date;
    } else {
        if (empty()) return false;
        const int year = points_.back().date.year;
        from = {choice == StartChoice::ThisYear ? year : year - 1, 1, 1};
    }
    const auto s =
        std::find_if(points_.begin(), points_.end(), [&](const FundPoint& p) { return p.date >= from; });
    startAt(static_cast<int>(s - points_.begin()), true);
    return true;
}

void Performance::compress() {
    if (left_ > 5)
        left_ -= 5;
    else
        prompter_.message(kNoFurther);
    mark_ = start_;
}

void Performance::stretch() {
    if (start_ - left_ > 10)
        left_ += 5;
    else
        prompter_.message(kNoFurther);
    mark_ = start_;
}

void Performance::scroll(int position) {
    if (empty()) return;
    const double q = static_cast<double>(std::clamp(position, 0, kScrollRange)) / kScrollRange;
    const int leftDay = points_[static_cast<std::size_t>(left_)].day;
    const double reach = text::roundHalfEven(q * (points_.back().day - leftDay));
    int i = left_;
    while (points_[static_cast<std::size_t>(i)].day - leftDay < reach) ++i;
    // The point before the one reached, but never off the chart's left edge.
    mark_ = std::max(left_, i - 1);
}

Chart Performance::chart(LineType type, const std::string& index1Code) const {
    if (empty()) return {};
    return buildChart(points_, left_, mark_, type, index1Code);
}

Results Performance::results() {
    if (empty()) return {};
    const FundPoint& v = points_[static_cast<std::size_t>(mark_)];
    const FundPoint& n = points_.back();
    const auto whole = [](double x) { return number(text::roundHalfEven(x)); };
    const auto cents = [](double x) { return number(text::roundScaled(x, 2)); };
    Results r;
    r.index1 = {whole(v.sz), whole(n.sz), rate(v.sz, n.sz)};
    r.index2 = {whole(v.shz), whole(n.shz), rate(v.shz, n.shz)};
    r.price = {cents(v.price), cents(n.price), rate(v.price, n.price)};
    r.total = {number(v.fund), number(n.fund), rate(v.fund, n.fund)};
    if ((v.sz == 0 || v.shz == 0 || v.price == 0 || v.fund == 0) && toldMark_ != mark_) {
        toldMark_ = mark_;
        prompter_.message(kZeroStart);
    }
    return r;
}

FundStatistics Performance::statistics() const {
    return fundStatistics(points_, mark_);
}

std::vector<std::string> Performance::lines(const Results& r, const std::string& index1Name) {
    const auto line = [](const std::string& head, const ResultRow& row, const char* end,
                         const char* rateCaption) {
        return head + row.start + "  " + end + row.end + "  " + rateCaption + row.rate;
    };
    return {line(index1Name + "  " + kStartIndex, r.index1, kEndIndex, kRate),
            line(kIndex2, r.index2, kEndIndex, kRate), line(kStartPrice, r.price, kEndPrice, kRate),
            line(kStartTotal, r.total, kEndTotal, kGrowth)};
}

}  // namespace varneth::stats
