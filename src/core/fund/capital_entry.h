#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fund/fund_ledger.h"
#include "fund/fund_manager.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "reference/lookups.h"
#include "storage/cursor.h"
#include "storage/engine.h"
#include "storage/query.h"

namespace varneth::fund {

// The boxes of the capital in/out window, as text.
struct CapitalForm {
    std::string pycode, name, qsdm, qs, zjzh, date, xabc, amount, available;
    std::vector<std::string> accounts;  // what the cash-account box lists
    // The three figures under "投资人指定投资类型概况：".
    std::string unitsCaption;
    double units = 0, current = 0, maturity = 0;
};

// The capital in/out window without its widgets: filled from the investor and the detail row
// selected in the fund management window; "确定" books one investment or withdrawal.
class CapitalEntry {
public:
    static constexpr const char* kCurrentCaption = "当前总可取资金(元):";
    static constexpr const char* kMaturityCaption = "到期总可取资金(元):";
    static constexpr const char* kManagerCaption = "基金经理人所持股数(总股数－投资人持股数):";
    static constexpr const char* kNone = "无";
    static constexpr const char* kQuestion =
        "本操作将增加一个投资或撤资记录,并改变持仓文件相应帐户资金数目,继续吗?";
    static constexpr const char* kInvested = "一个投资记录已经追加! 如要修改请退回到基金管理窗口。";
    static constexpr const char* kWithdrawn = "一个撤资记录已经追加, 将运行撤资处理!";
    static constexpr const char* kNoCashRow =
        "持仓文件中找不到该帐户的现金记录(要求有券商代码,资金帐号一致的现金记录)，已经放弃资金改变操作,"
        "请手工修改股票帐户基金余额。";
    static constexpr const char* kNoCode = "投资人代码不能为空,放弃操作。";

    CapitalEntry(storage::Engine& engine, FundManager& manager, FundLedger& fund, reference::Lookups& lookups,
                 port::Prompter& prompter, port::Clock& clock);

    // Showing the window over the manager's selected investor and detail row.
    CapitalForm show(bool allMoney);
    // "撤资数量": the amount for one investment or for all the investor's money.
    std::string amountFor(bool allMoney);
    // Choosing a broker from the list: its name and cash accounts follow.
    void chooseBroker(CapitalForm& form, std::string_view qsdm);
    // Leaving the date box or changing the type: "可取日期" follows (an unreadable date becomes today).
    void dateChanged(CapitalForm& form);
    // "确定". False when refused (told) or declined; nothing is written then.
    bool confirm(const CapitalForm& form);

    // The cash accounts of the holdings ledger (wth, qsdm, qs, zjzh).
    storage::Cursor& accounts() { return accounts_.result(); }

private:
    void figures(CapitalForm& form);
    std::string today() const { return clock_.now().isoDate(); }

    storage::Engine& engine_;
    FundManager& manager_;
    FundLedger& fund_;
    reference::Lookups& lookups_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    storage::Cursor book_;
    storage::Query accounts_;
};

}  // namespace varneth::fund
