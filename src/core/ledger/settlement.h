#pragma once

#include "ledger/order_desk.h"

namespace varneth::ledger {

// "取消委托" and "确认结算" of the order window in its confirm/cancel mode: an unconfirmed order is
// deleted with its frozen cash, or settled: a buy becomes a holding, a sell closes out holdings of the
// same broker, shareholder account, code and direction in the ledger's order (splitting the last one
// it takes part of), and the cash row moves by the traded value and fees.
class Settlement {
public:
    static constexpr const char* kNoOrderNumber = "无委托号，退出！";
    static constexpr const char* kNoFrozenCash = "缺少冻结资金记录,继续吗？（继续选Yes, 放弃选No）";
    static constexpr const char* kCancelled = "撤消委托处理成功,按Yes继续！";
    static constexpr const char* kNoOrderToSettle = "无委托或成交代号,退回到主窗口选择！";
    static constexpr const char* kZeroQuantity = "数量为零，简单删除!";
    static constexpr const char* kOrderNotFound = "委托号,券商代码或日期改了，记录未找到,退出重来。";
    static constexpr const char* kSettledBefore =
        "此记录和一个已平仓结算记录相同(可用取消委托删除未平仓记录，也可进入手工处理窗口删除已平仓记录）,"
        "放弃本次平仓结算？";
    static constexpr const char* kNewCashRow = "没找到相应的现金记录, 已插入一个新的现金记录！";
    static constexpr const char* kWrongSign = "成交数量的正负号必须和委托相同";
    static constexpr const char* kSettled = "确认成交处理成功,按OK继续！(左手按空格键选择亦可)";
    static constexpr const char* kErrorPrefix = "Ignoring exception: ";

    explicit Settlement(OrderDesk& desk) : desk_(desk) {}

    // "取消委托". True when the window closes.
    bool cancel();
    // Invalid: a box did not read, nothing follows; Stopped: a message or an answer ended it;
    // Cancelled: a quantity of zero deleted the order instead.
    enum class Result { Invalid, Stopped, Cancelled, Settled };
    // "确认结算": `pcjs`, then the valuation and the views. The window closes unless Invalid.
    Result confirm();
    // The settlement itself.
    Result pcjs();

private:
    bool cancelOrder();  // true when the order was cancelled
    // The order's frozen-cash row deleted, or its absence accepted by the user (Missing) or not (Kept).
    enum class FrozenCash { Dropped, Missing, Kept };
    FrozenCash dropFrozenCash();
    // Closes out the sold quantity; the part left unmatched when holdings run short.
    double closeOut(const storage::Cursor::Bookmark& order, const std::string& closedMark);
    void moveCash(float closedQuantity);

    OrderDesk& desk_;
};

}  // namespace varneth::ledger
