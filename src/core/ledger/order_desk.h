#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/book_views.h"
#include "ledger/detail_row.h"
#include "ledger/order_numbers.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "reference/general_prices.h"
#include "reference/lookups.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::ledger {

// What the order window shows: the texts of its boxes, the items of its three lists and its labels.
// Clearing a list empties its box as well, as a drop-down's reset does.
struct OrderForm {
    std::string wth;         // "委托号："
    std::string tradeDate;   // "交易日期:", "yyyy-mm-dd"
    std::string qsdm;        // "券商代码："
    std::string zjzh;        // "资金帐号："
    std::string gddm;        // "股东代码:"
    std::string code;        // "证券代码："
    std::string price;       // "价格："
    std::string amt;         // "数量："
    std::string lx;          // "类型："
    bool shortSale = false;  // "卖空(只适合期货)" chosen; "做多" otherwise

    std::vector<std::string> qsdmList, zjzhList, gddmList;

    std::string qsLabel;        // beside the broker code
    std::string nameLabel;      // beside the code
    std::string currencyLabel;  // after "货币："
    std::string rateLabel;      // after "比率(和结算货币比)："
    std::string marginLabel;    // "保证金:…倍"
    std::string cashLabel;      // "可用资金：…万元"
    std::string buyableLabel;   // "可买股票：…股"
};

// Which controls take input, as the modes set them.
struct OrderControls {
    bool code = true, wth = true, tradeDate = true, query = true, longShort = true;
    bool buyLong = true, sellLong = true, openShort = false, closeShort = false;
    bool cancel = false, confirm = false;
    std::string toggle = ">";  // ">": buy/sell mode; "<": confirm/cancel mode
};

// The working record, filled from the boxes before every action. Quantities, prices and values are
// 32-bit floats; dates are day numbers (days since 1970-01-01) held as doubles.
struct OrderRecord {
    std::string wth, qsdm, qs, zjzh, gddm, lx, lxm;
    int bs = 1;
    std::string code, name;
    float amt = 0;
    std::optional<double> detailDate;  // 日期1 of the main window's current detail row; none when empty
    double tradeDate = 0;
    float price = 0;
    float value = 0;
    float birate = 1;
};

// The manual order window without its widgets: it records an order placed by hand as an unconfirmed
// order row and a frozen-cash row of the ledger. One per login; the working record and the running
// number of buys live as long as it does. Settlement works on the same desk.
class OrderDesk {
public:
    static constexpr const char* kNoCode = "没输股票代码";
    static constexpr const char* kBought = "买进处理成功,按Yes继续！";
    static constexpr const char* kSold = "卖出处理成功,按Yes继续. (左手按空格键选择亦可)";
    static constexpr const char* kZeroPrice = "该股价格表中价格0,可能是因为停牌。";
    static constexpr const char* kNoShortSale =
        "该类型不许卖空；你需要改变类型或进入类型设置窗口把该类型的可卖空字段由False改为True";

    // `up_calc` is the holdings module's valuation with refresh, run after every change of the ledger.
    OrderDesk(storage::Engine& engine, reference::Lookups& lookups, reference::GeneralPrices& prices,
              port::Prompter& prompter, port::Clock& clock, BookViews& views, std::function<void()> up_calc);

    OrderForm& form() { return form_; }
    const OrderControls& controls() const { return controls_; }
    const OrderRecord& record() const { return record_; }
    int running() const { return running_; }

    // Modes.
    void set_mm();
    void set_mk();
    void set_mk_back();
    void set_cd_pc(const DetailRow& detail);
    void toggleMode();  // the "<" / ">" button

    // "委托记录处理": the boxes and the mode from a row of the main window's detail list.
    void fillFrom(const DetailRow& detail);
    // Showing the window, with A = `zjzhxj1` and B = `zjzhxj` of the detail row's cash account.
    void show(std::int64_t cashRow, std::int64_t cashTotal);

    void for_qsdm();
    void for_zjzh();
    void for_gddm();

    // The user changed a box or a choice.
    void brokerChanged();
    void accountChanged();
    void priceChanged();
    void codeChanged();
    void typePicked(std::string_view lx);
    void longShortChanged(bool shortSale);

    // Fills the working record from the boxes. A quantity, price or date that does not read is told
    // and false comes back, before anything is written.
    bool get_record();
    void copy_record();
    void insert_xj_record();

    // "买入或做多开仓" / "卖空开仓" and "卖出或做多平仓" / "卖空平仓". True when the window closes.
    bool buy();
    bool sell();
    // However the window closes: the valuation, the views reopened and moved to the order.
    void closed();

    // For settlement.
    storage::Engine& engine() { return engine_; }
    storage::Cursor& ledger() { return ledger_; }
    reference::Lookups& lookups() { return lookups_; }
    port::Prompter& prompter() { return prompter_; }
    BookViews& views() { return views_; }
    OrderRecord& workingRecord() { return record_; }
    // The valuation and the rebuilt views after a change, moved to the order just handled.
    void refreshAfterChange();
    // The catalog to the code box (by-code display), the detail to the order's row.
    void moveMainViews();

private:
    void setCashLabels();
    void setBuyableLabel();
    void setMarginLabel();
    bool enterOrder(bool isBuy);

    storage::Engine& engine_;
    reference::Lookups& lookups_;
    reference::GeneralPrices& prices_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    BookViews& views_;
    std::function<void()> up_calc_;
    storage::Cursor ledger_;  // No_PC
    OrderNumbers numbers_;
    OrderForm form_;
    OrderControls controls_;
    OrderRecord record_;
    int running_ = 1;
    std::int64_t cashRow_ = 0, cashTotal_ = 0;  // A and B of the last showing
    std::string qa_, qb_;                       // what A and B buy at the price
};

}  // namespace varneth::ledger
