#include "ledger/order_numbers.h"

#include <chrono>

#include "ledger/records.h"

namespace varneth::ledger {

namespace {

// The characters that extend a number, in the order they are tried: the running number's own
// digits first, then what a running number past nine would need.
constexpr std::string_view kExtra = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ0";

port::DateTime plusSeconds(const port::DateTime& t, int seconds) {
    namespace chr = std::chrono;
    const chr::sys_days day{chr::year{t.year} / chr::month{static_cast<unsigned>(t.month)} /
                            chr::day{static_cast<unsigned>(t.day)}};
    const chr::sys_seconds s =
        day + chr::hours{t.hour} + chr::minutes{t.minute} + chr::seconds{t.second + seconds};
    const auto d = chr::floor<chr::days>(s);
    const chr::year_month_day ymd{d};
    const chr::hh_mm_ss hms{s - d};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day())),
            static_cast<int>(hms.hours().count()),
            static_cast<int>(hms.minutes().count()),
            static_cast<int>(hms.seconds().count())};
}

}  // namespace

OrderNumbers::OrderNumbers(storage::Database& kvt)
    : rows_(kvt, "tr2.DBF"), wth_{rows_.fieldIndex("WTH")}, cjdh_{rows_.fieldIndex("CJ_DH")} {}

bool OrderNumbers::taken(std::string_view number) {
    const std::vector<storage::Value> key{std::string(number)};
    return rows_.locate(wth_, key) || rows_.locate(cjdh_, key);
}

std::string OrderNumbers::firstFree(const std::string& first, const std::string& stem, std::size_t start) {
    if (first.size() <= kWidth && !taken(first)) return first;
    for (std::size_t j = 0; j < kExtra.size(); ++j) {
        std::string candidate = stem + kExtra[(start + j) % kExtra.size()];
        if (!taken(candidate)) return candidate;
    }
    return {};
}

std::string OrderNumbers::forBuy(const port::DateTime& now, int running) {
    const std::size_t start = running > 0 ? static_cast<std::size_t>(running - 1) % kExtra.size() : 0;
    // The ledger is finite, so some minute has a free number.
    for (int minutes = 0;; ++minutes) {
        const port::DateTime t = plusSeconds(now, 60 * minutes);
        const std::string stem = buyOrderNumber(t, 0).substr(0, kWidth - 1);
        std::string n = firstFree(buyOrderNumber(t, running), stem, minutes == 0 ? start : 0);
        if (!n.empty()) return n;
    }
}

std::string OrderNumbers::forSell(const port::DateTime& now) {
    for (int seconds = 0;; ++seconds) {
        const std::string stem = sellOrderNumber(plusSeconds(now, seconds));
        std::string n = firstFree(stem, stem, 0);
        if (!n.empty()) return n;
    }
}

}  // namespace varneth::ledger
