#include "ledger/order_desk.h"

#include <set>

#include "ledger/order_numbers.h"
#include "order_fixture.h"

using namespace varneth;
using ledger::OrderDesk;
using storage::Value;

namespace {

class OrderDeskTest : public testsupport::OrderFixture {};

TEST_F(OrderDeskTest, ABuyWritesTheOrderAndItsFrozenCashThenRefreshesTheViews) {
    enter("600036", "100", "10");
    EXPECT_TRUE(desk->buy());
    const auto orders = rowsWhere("WTH", "26120709301");
    ASSERT_EQ(orders.size(), 2u);
    const auto& order = orders[0];
    EXPECT_EQ(get(order, "QS"), Value("中信"));
    EXPECT_EQ(get(order, "NAME"), Value("招商银行"));
    EXPECT_EQ(get(order, "LXM"), Value("沪A股"));
    EXPECT_EQ(get(order, "AMT"), Value(100.0));
    EXPECT_EQ(get(order, "PRICE1"), Value(10.0));
    EXPECT_EQ(get(order, "PRICE2"), Value(10.0));
    EXPECT_EQ(get(order, "DATE1"), Value("2026-12-07"));
    EXPECT_EQ(get(order, "DATE2"), Value("2026-12-07"));
    EXPECT_EQ(get(order, "ZK_RATE"), Value(text::f32(0.9)));
    EXPECT_EQ(get(order, "BS"), Value(1));
    EXPECT_TRUE(get(order, "CJ_DH").toString().empty());
    EXPECT_TRUE(get(order, "COST1").isNull());
    const auto& frozen = orders[1];
    EXPECT_EQ(get(frozen, "CODE"), Value("xj"));
    EXPECT_EQ(get(frozen, "LX"), Value("xj"));
    EXPECT_EQ(get(frozen, "NAME"), Value("现金"));
    EXPECT_EQ(get(frozen, "CJ_DH"), Value("冻结资金"));
    EXPECT_EQ(get(frozen, "GDDM"), Value("A100000001"));
    EXPECT_EQ(get(frozen, "AMT"), Value(-1000.0));
    EXPECT_EQ(get(frozen, "PRICE1"), Value(1.0));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{OrderDesk::kBought});
    EXPECT_EQ(valuations, 1);
    EXPECT_EQ(views.calls, (std::vector<std::string>{"up_open", "code 600036", "detail 26120709301 600036"}));
    EXPECT_EQ(desk->running(), 2);

    views.calls.clear();
    views.choice = 1;
    desk->closed();
    EXPECT_EQ(valuations, 2);
    EXPECT_EQ(views.calls,
              (std::vector<std::string>{"reopen", "account 10000001", "detail 26120709301 600036"}));
}

TEST_F(OrderDeskTest, ASellNegatesTheQuantitySoItsFrozenCashIsProceedsToCome) {
    enter("600036", "100", "5");
    EXPECT_TRUE(desk->sell());
    const auto rows = rowsWhere("WTH", "1207093000");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(get(rows[0], "AMT"), Value(-100.0));
    EXPECT_EQ(get(rows[1], "AMT"), Value(500.0));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{OrderDesk::kSold});
    EXPECT_EQ(desk->running(), 1);  // only buys count

    // A typed number is used as typed; a futures type freezes only its margin.
    enter("IF2612", "2", "4000");
    desk->form().lx = "qz";
    desk->form().wth = "  777 ";
    EXPECT_TRUE(desk->buy());
    const auto typed = rowsWhere("WTH", "777");
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_DOUBLE_EQ(get(typed[1], "AMT").toDouble(), -(2.0 * 4000.0 * text::f32(0.12)));
}

TEST_F(OrderDeskTest, BoxesThatDoNotReadStopBeforeAnythingIsWritten) {
    const int before = rowCount();
    struct Case {
        const char* amt;
        const char* price;
        const char* date;
        const char* said;
    } cases[] = {
        {"1O0", "10", "2026-12-07", "'1O0'不是有效的数值（数量）"},
        {"", "10", "2026-12-07", "''不是有效的数值（数量）"},
        {"1e40", "10", "2026-12-07", "'1e40'不是有效的数值（数量）"},
        {"100", "10,5", "2026-12-07", "'10,5'不是有效的数值（价格）"},
        {"100", "10", "2026-02-30", "'2026-02-30'不是有效的日期（交易日期）"},
    };
    for (const auto& c : cases) {
        prompter.messages.clear();
        enter("600036", c.amt, c.price);
        desk->form().tradeDate = c.date;
        EXPECT_FALSE(desk->buy());
        EXPECT_FALSE(desk->sell());
        EXPECT_EQ(prompter.messages, (std::vector<std::string>{c.said, c.said}));
    }
    enter(" ", "100", "10");
    EXPECT_FALSE(desk->buy());
    EXPECT_EQ(prompter.messages.back(), OrderDesk::kNoCode);
    EXPECT_EQ(rowCount(), before);
    EXPECT_EQ(desk->running(), 1);
    EXPECT_EQ(valuations, 0);
}

TEST_F(OrderDeskTest, OrderNumbersNeverRepeatOneInTheLedger) {
    // A number settled before stands only in CJ_DH of a closed-out row.
    row({{"WTH", "P2026120700"}, {"CJ_DH", "26120709301"}, {"CODE", "600000"}, {"LX", "ha"}});
    std::vector<std::string> numbers;
    for (int i = 0; i < 12; ++i) {
        enter("600036", "100", "10");
        ASSERT_TRUE(desk->buy());
        numbers.push_back(desk->record().wth);
    }
    EXPECT_EQ(numbers[0], "26120709302");
    EXPECT_EQ(numbers[7], "26120709309");
    EXPECT_EQ(numbers[8], "2612070930A");  // no digit left in this minute
    EXPECT_EQ(numbers[11], "2612070930D");
    // A new window starts its running number at 1 again and steps over all of them.
    makeDesk();
    enter("600036", "100", "10");
    ASSERT_TRUE(desk->buy());
    numbers.push_back(desk->record().wth);
    EXPECT_EQ(numbers.back(), "2612070930E");
    // Two sells in one second.
    for (int i = 0; i < 2; ++i) {
        enter("600036", "100", "10");
        ASSERT_TRUE(desk->sell());
        numbers.push_back(desk->record().wth);
    }
    EXPECT_EQ(numbers[13], "1207093000");
    EXPECT_EQ(numbers[14], "12070930001");
    EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), numbers.size());
    for (const auto& n : numbers) {
        EXPECT_LE(n.size(), 11u);
        EXPECT_TRUE(n > "0" && n < "999999") << n;  // still listed as an unconfirmed order
    }
}

TEST_F(OrderDeskTest, AMinuteWithEveryNumberTakenGivesWayToTheNext) {
    ledger::OrderNumbers numbers(session->kvt());
    const std::string extra = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ0";
    for (char c : extra) row({{"WTH", std::string("2612312359") + c}, {"CODE", "600000"}, {"LX", "ha"}});
    EXPECT_EQ(numbers.forBuy({2026, 12, 31, 23, 59, 5}, 1), "27010100001");
    for (char c : extra) row({{"CJ_DH", std::string("1231235959") + c}, {"CODE", "600000"}, {"LX", "ha"}});
    row({{"CJ_DH", "1231235959"}, {"CODE", "600000"}, {"LX", "ha"}});
    EXPECT_EQ(numbers.forSell({2026, 12, 31, 23, 59, 59}), "0101000000");
}

TEST_F(OrderDeskTest, ModesSetBoxesAndControls) {
    auto& f = desk->form();
    f.amt = "-300";
    f.wth = "123";
    desk->set_mm();
    EXPECT_EQ(f.amt, "300");
    EXPECT_EQ(f.wth, "");
    EXPECT_EQ(f.tradeDate, "2026-12-07");
    EXPECT_EQ(desk->controls().toggle, ">");
    EXPECT_FALSE(desk->controls().confirm);
    desk->set_mk();
    EXPECT_TRUE(desk->controls().openShort && desk->controls().closeShort);
    EXPECT_FALSE(desk->controls().buyLong || desk->controls().sellLong);

    // From an unconfirmed order: confirm/cancel mode at its buy price.
    enter("600036", "100", "10");
    ASSERT_TRUE(desk->buy());
    storage::Cursor c(session->kvt(), "tr2.DBF");
    ASSERT_TRUE(c.locate("WTH;CODE", {"26120709301", "600036"}));
    views.detail = detailOf(c.bookmark().rowid);
    views.detail->price2 = 11;
    desk->fillFrom(*views.detail);
    EXPECT_EQ(f.wth, "26120709301");
    EXPECT_EQ(f.price, "10");
    EXPECT_EQ(f.amt, "100");
    EXPECT_EQ(f.tradeDate, "2026-12-07");
    EXPECT_EQ(f.qsLabel, "中信");
    const auto& k = desk->controls();
    EXPECT_EQ(k.toggle, "<");
    EXPECT_TRUE(k.cancel && k.confirm);
    EXPECT_FALSE(k.code || k.wth || k.tradeDate || k.query || k.longShort || k.buyLong || k.sellLong ||
                 k.openShort || k.closeShort);
    desk->toggleMode();
    EXPECT_EQ(k.toggle, ">");
    EXPECT_TRUE(k.buyLong && !k.openShort);
    desk->toggleMode();
    EXPECT_EQ(f.wth, "26120709301");

    // From a short holding: buy/sell mode at its current price, the short buttons.
    views.detail = detailOf(holding("A1", "IF2612", 2, 4000, -1));
    views.detail->price2 = 3900;
    desk->fillFrom(*views.detail);
    EXPECT_EQ(f.price, "3900");
    EXPECT_TRUE(f.shortSale);
    EXPECT_EQ(f.wth, "");
    EXPECT_TRUE(k.openShort && !k.buyLong && !k.cancel);
}

TEST_F(OrderDeskTest, ShowingComputesCashAndBuyableAmounts) {
    views.detail = detailOf(holding("A100000001", "600036", 100, 10));
    desk->fillFrom(*views.detail);
    auto& f = desk->form();
    desk->show(100000, 98765);
    EXPECT_EQ(f.cashLabel, "可用资金：9.87万元");
    EXPECT_EQ(f.buyableLabel, "可买股票：9876股");
    EXPECT_EQ(f.gddm, "A100000001");
    EXPECT_EQ(f.gddmList, std::vector<std::string>{"A100000001"});
    EXPECT_EQ(f.zjzhList, std::vector<std::string>{"10000001"});
    EXPECT_EQ(f.currencyLabel, "RMB");
    EXPECT_EQ(f.rateLabel, "1");
    EXPECT_EQ(f.marginLabel, "保证金:1倍");

    desk->show(50000, 98765);
    EXPECT_EQ(f.cashLabel, "可用资金：5--9.87万元");
    EXPECT_EQ(f.buyableLabel, "可买股票：5000--9876股");

    f.price = "20";  // too short to look at
    desk->priceChanged();
    EXPECT_EQ(f.buyableLabel, "可买股票：5000--9876股");
    f.price = "20.0";
    desk->priceChanged();
    EXPECT_EQ(f.buyableLabel, "可买股票：2500--4938股");
    f.price = "0.00";
    desk->priceChanged();
    EXPECT_EQ(f.buyableLabel, "可买股票：2500--4938股");
    f.price = "abc";
    desk->priceChanged();
    EXPECT_EQ(f.buyableLabel, "???");

    f.price = "0";
    desk->show(50000, 98765);
    EXPECT_EQ(f.buyableLabel, "可买股票：????\?--?????股");
    f.price = "";  // keeps the last amounts
    desk->show(50000, 98765);
    EXPECT_EQ(f.buyableLabel, "可买股票：????\?--?????股");

    desk->typePicked("qh");
    EXPECT_EQ(f.lx, "qh");
    EXPECT_EQ(f.marginLabel, "保证金:0.1倍");
}

TEST_F(OrderDeskTest, ACodeBringsItsNamePriceAndType) {
    auto& f = desk->form();
    desk->show(100000, 100000);
    f.code = "600036";
    desk->codeChanged();
    EXPECT_EQ(f.nameLabel, "招商银行");
    EXPECT_EQ(f.price, "42.15");
    EXPECT_EQ(f.buyableLabel, "可买股票：2372股");
    EXPECT_EQ(f.lx, "ha");

    storage::Cursor prices(session->curr(), "allstocks.DBF");
    prices.append();
    prices.setValue("CODE", "609998");
    prices.setValue("NAME", "停牌股");
    prices.setValue("PRICE", 0.0);
    prices.post();
    f.code = "609998";
    desk->codeChanged();
    EXPECT_EQ(prompter.messages, std::vector<std::string>{OrderDesk::kZeroPrice});
    EXPECT_EQ(f.nameLabel, "停牌股");
    EXPECT_EQ(f.price, "");
    EXPECT_EQ(f.buyableLabel, "???");

    f.lx = "qh";
    f.code = "cu2701";  // no rule gives it a type: the type box keeps its own
    f.price = "1";
    desk->codeChanged();
    EXPECT_EQ(f.nameLabel, "cu2701");
    EXPECT_EQ(f.price, "");
    EXPECT_EQ(f.lx, "qh");
}

TEST_F(OrderDeskTest, ShortSellingNeedsATypeThatAllowsIt) {
    auto& f = desk->form();
    f.lx = "ha";
    desk->longShortChanged(true);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{OrderDesk::kNoShortSale});
    EXPECT_FALSE(f.shortSale);
    EXPECT_TRUE(desk->controls().buyLong);
    f.lx = "nosuch";
    desk->longShortChanged(true);
    EXPECT_FALSE(f.shortSale);
    f.lx = "qh";
    desk->longShortChanged(true);
    EXPECT_TRUE(f.shortSale);
    EXPECT_EQ(desk->record().bs, -1);
    EXPECT_TRUE(desk->controls().openShort && !desk->controls().buyLong);
    desk->longShortChanged(false);
    EXPECT_EQ(desk->record().bs, 1);
    EXPECT_TRUE(desk->controls().buyLong);
}

TEST_F(OrderDeskTest, ListsFollowTheLedgersOrder) {
    holding("B2", "600036", 100, 10);
    holding("A1", "600000", 100, 10);
    row({{"QSDM", "htzq"}, {"ZJZH", "555"}, {"GDDM", "H1"}, {"CODE", "600000"}, {"LX", "ha"}});
    row({{"QSDM", "htzq"}, {"ZJZH", "444"}, {"GDDM", "H2"}, {"CODE", "600000"}, {"LX", "ha"}});
    row({{"QSDM", "zzz"}, {"CODE", "zzz"}, {"LX", "zzz"}, {"WTH", "###"}});
    row({{"QSDM", "zz"}, {"ZJZH", "9"}, {"CODE", "600000"}, {"LX", "ha"}});
    makeDesk();
    auto& f = desk->form();
    EXPECT_EQ(f.qsdmList, (std::vector<std::string>{"htzq", "zxzq", "zz"}));
    f.qsdm = "htzq";
    desk->brokerChanged();
    EXPECT_EQ(f.qsLabel, "券商:华泰");
    EXPECT_EQ(f.zjzhList, (std::vector<std::string>{"444", "555"}));
    EXPECT_EQ(f.zjzh, "");  // the list was reset; an account is still to be picked
    f.zjzh = "10000001";
    f.qsdm = "zxzq";
    desk->accountChanged();
    EXPECT_EQ(f.gddmList, (std::vector<std::string>{"A1", "B2"}));  // the cash row's "xj" is not one
    EXPECT_EQ(f.gddm, "B2");
}

}  // namespace
