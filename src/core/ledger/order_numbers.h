#pragma once

#include <string>
#include <string_view>

#include "port/clock.h"
#include "storage/cursor.h"
#include "storage/database.h"

namespace varneth::ledger {

// The order numbers the order window makes. A buy is "yymmddhhnn" and the window's running number, a
// sell "mmddhhnnss". Either can repeat a number already in the ledger (the running number restarts
// with each window and outgrows the 11 characters of WTH after the ninth buy; two sells in one second
// share their time), and the order's rows are found again by that number. So a number already standing
// in any WTH or CJ_DH, or one too long, gives way to the next free one of the same shape: the time
// followed by one more character from 1-9, A-Z, 0, then the following minute (buy) or second (sell).
// Every such number starts with a digit, fits 11 characters and sorts below "999999", so the views
// still list it as an unconfirmed order.
class OrderNumbers {
public:
    static constexpr std::size_t kWidth = 11;  // WTH and CJ_DH

    explicit OrderNumbers(storage::Database& kvt);

    std::string forBuy(const port::DateTime& now, int running);
    std::string forSell(const port::DateTime& now);
    // True when a row of the ledger, closed-out or not, carries `number` in WTH or CJ_DH.
    bool taken(std::string_view number);

private:
    // `first` when free, else the free stem + character with the character cycle starting at `start`.
    std::string firstFree(const std::string& first, const std::string& stem, std::size_t start);

    storage::Cursor rows_;  // natural order, no filter: every row
    std::vector<int> wth_, cjdh_;
};

}  // namespace varneth::ledger
