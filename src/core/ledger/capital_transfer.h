#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fund/fund_ledger.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "reference/lookups.h"
#include "storage/cursor.h"
#include "storage/engine.h"
#include "storage/query.h"

namespace varneth::ledger {

// The investor group's boxes.
struct Investment {
    std::string pycode;  // "投资人代码"
    std::string name;    // "姓名"; empty: the name of the code's first fund-ledger row
    std::string zjzh;    // "投入帐户"
    std::string qsdm;    // "券商代码"
    std::string amount;  // "转移数量(元)", in the account's currency; negative takes money out
    std::string xabc;    // "投资类型"
    std::string note;    // "注释"
};

// "资金转帐": money moved between two cash accounts, or an investor's money booked into or out of a
// cash account, without touching the fund price. The ledger's cash row changes and the fund ledger
// gets rows that record where the money went. A cash row is the account's row with type "xj" and
// no order number: a frozen-cash row of a pending order carries the same broker, account and "xj".
class CapitalTransfer {
public:
    static constexpr const char* kNoSource = "资金来源没填好,退出从来!";
    static constexpr const char* kNoDestination = "资金去向没填好,退出从来!";
    static constexpr const char* kNoInvestor = "投资人代码没填好,退出从来!";
    static constexpr const char* kNoAccount = "资金帐户没选好,退出从来!";
    static constexpr const char* kNoType = "投资类型没选好,退出从来!";
    static constexpr const char* kNoCashRow = "没找到相应的资金帐户现金记录！";
    static constexpr const char* kTransferHelp =
        "本操作将在资金进出文件后添加两个记录, "
        "并改变持仓文件中相应资金帐户现金数量;处理的原则是：1）记录资金流向，"
        "便于查帐；2）不影响基金价格.";
    static constexpr const char* kInvestHelp =
        "本操作将在资金进出文件后添加记录, 并改变持仓文件中相应资金帐户资金量; "
        "如果软件带有基金管理提成核算模块,"
        "也可以使用资金进出窗口记录投资人资金进出. 区别是:1）这里便于为新投资者添加记录；2）对于撤资记录,"
        "这里不撤资处理，易于恢复.";
    static constexpr const char* kDefaultAmount = "1000";

    // The three lists are read now and kept: accounts or investors added later show after the next
    // login.
    CapitalTransfer(storage::Engine& engine, reference::Lookups& lookups, fund::FundLedger& fund,
                    port::Prompter& prompter, port::Clock& clock);

    // Cash accounts (wth, qsdm, ZJZH), investors (pycode, name) and investment types (TZLX.db).
    storage::Cursor& accounts() { return accounts_.result(); }
    storage::Cursor& investors() { return investors_.result(); }
    storage::Cursor& types() { return types_; }

    // "确定" of "资金转帐操作": `amount` in the source account's currency. Both cash rows must exist
    // before anything is written. True when the transfer was booked.
    bool transfer(std::string_view from, std::string_view to, std::string_view amount);
    // "确定" of the investor group. A missing cash row is told and the fund-ledger row still added,
    // with no money. True when the row was added.
    bool invest(const Investment& form);

private:
    // The broker of the first listed account with this number; none when it is not listed.
    std::optional<std::string> brokerOf(std::string_view zjzh);
    // Puts the ledger on the account's cash row; false when it has none.
    bool findCashRow(std::string_view qsdm, std::string_view zjzh);
    double cashRate();  // the current cash row's rate, 0 read as 1 as the valuation does
    std::optional<double> amountOf(std::string_view text, const char* box);
    bool addFundRow(const std::string& pycode, const std::string& name, double input, const std::string& xabc,
                    const std::string& note, const std::string& zjzh, const std::string& qsdm);

    storage::Engine& engine_;
    reference::Lookups& lookups_;
    fund::FundLedger& fund_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    storage::Cursor book_;
    storage::Query accounts_, investors_;
    storage::Cursor types_;
};

}  // namespace varneth::ledger
