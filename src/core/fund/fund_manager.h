#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "fund/fund_ledger.h"
#include "fund/investment_types.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/engine.h"
#include "storage/query.h"
#include "text/dates.h"

namespace varneth::fund {

// The fund management window without its widgets: the investors of the fund ledger valued under
// the fee rules of their investment types, withdrawals settled against the oldest buys, and the
// manager's commission drawn by a paired withdrawal and deposit.
class FundManager {
public:
    static constexpr const char* kZeroPrice = "发现一个记录价格是0,请进入基金管理窗口先修改！";
    static constexpr const char* kNoCandidates = "没有可提成记录";
    static constexpr const char* kNoRecord = "无记录，放弃操作。";
    static constexpr const char* kEmptyCode = "记录为或代码为空，放弃操作。";
    static constexpr double kCommissionRate = 0.12;  // the statistics window's box starts at 12 %

    // The three choices of "显示打印选择".
    enum class Display { Live, WithSettled, All };

    FundManager(storage::Engine& engine, FundLedger& fund, port::Prompter& prompter, port::Clock& clock);
    FundManager(const FundManager&) = delete;
    FundManager& operator=(const FundManager&) = delete;

    InvestmentTypes& types() { return types_; }
    // The upper grid ("目录") and the lower grid ("明细") of the selected investor.
    storage::Cursor& investors() { return upper_.result(); }
    storage::Cursor& details() { return lower_.result(); }
    storage::Cursor& candidates() { return tich_; }

    // Showing the window: the valuation, then the grids reopened.
    void show();
    // `calc`: every live investment valued at the newest fund price.
    void calc();
    // Both grids reopened, the previously selected investor located again.
    void reopen();
    void setDisplay(Display d);
    Display display() const { return display_; }
    // The search box: the exact code in the upper grid, the lower grid following. False when absent.
    bool findInvestor(std::string_view pycode);

    // "撤资处理". Returns how many withdrawals were settled wholly or partly.
    int withdrawals();

    // "搜索可提记录": true when candidates were found.
    bool searchCommission();
    // "指定代码类型提存" for the candidate at `row` of the grid (0-based).
    bool drawSelected(int row);
    // "所有记录提存".
    bool drawAll();

    // The fee rule on the ledger row under `c`, at price `p` on day `d`: L_PRICE and DMONEY written.
    // False (told) when the row has no price or its type is undefined; the row is then unchanged.
    bool out_money(storage::Cursor& c, double p, std::optional<text::Date> d);

private:
    using Key = std::pair<std::string, std::string>;  // PYCODE, XABC

    // One pending withdrawal; returns whether it was settled wholly or partly.
    bool settle(std::int64_t withdrawal, std::int64_t n, std::map<Key, std::deque<std::int64_t>>& live);
    // Cuts the buy under the ledger cursor: it keeps the settled share `need` of its worth `m` and
    // number `n`; a new live row takes the rest, valued at `p` on `d`. Returns the new row; `settledUnits`
    // the units settled.
    std::int64_t splitBuy(double need, double m, std::int64_t n, double p, std::optional<text::Date> d,
                          double& settledUnits);
    // One "一取一存" for a code and type; false (told) when no candidate of them is left.
    bool tc(const std::string& pycode, const std::string& xabc);
    void numberRows(std::int64_t rowid);
    int firstCandidate() const;  // the first row a search wrote; -1 when none is left
    std::string today() const { return clock_.now().isoDate(); }

    storage::Engine& engine_;
    FundLedger& fund_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    InvestmentTypes types_;
    storage::Cursor ledger_;
    storage::Cursor tich_;
    storage::Query upper_, lower_;
    Display display_ = Display::Live;
};

}  // namespace varneth::fund
