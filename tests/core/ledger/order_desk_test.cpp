#include "ledger/order_desk.h"

#include <set>

#include "ledger/input_limits.h"
#include "ledger/order_numbers.h"
#include "ledger_fixture.h"

using namespace varneth;
using ledger::OrderDesk;

namespace {

class OrderDeskTest : public testsupport::LedgerFixture {};

TEST_F(OrderDeskTest, AnOrderIsItsRowAndAFrozenCashRow) {
    enter("600036", "100", "10");
    EXPECT_TRUE(desk->buy());
    const auto bought = rowsWhere("WTH", "26120709301");
    ASSERT_EQ(bought.size(), 2u);
    expectFields(bought[0], "QS;NAME;LXM;AMT;PRICE2;DATE2;ZK_RATE;COST1",
                 {"中信", "招商银行", "沪A股", 100.0, 10.0, "2026-12-07", text::f32(0.9), storage::Value()});
    expectFields(bought[1], "CODE;CJ_DH;GDDM;AMT;PRICE1", {"xj", "冻结资金", "A1", -1000.0, 1.0});
    EXPECT_EQ(prompter.messages, std::vector<std::string>{OrderDesk::kBought});
    EXPECT_EQ(valuations, 1);
    EXPECT_EQ(views.calls, (std::vector<std::string>{"up_open", "code 600036", "detail 26120709301 600036"}));
    views.calls.clear();
    views.choice = 1;
    desk->closed();
    EXPECT_EQ(valuations, 2);
    EXPECT_EQ(views.calls,
              (std::vector<std::string>{"reopen", "account 10000001", "detail 26120709301 600036"}));

    // A sell's quantity is negative, so its frozen cash is proceeds to come.
    enter("600036", "100", "5");
    EXPECT_TRUE(desk->sell());
    const auto sold = rowsWhere("WTH", "1207093000");
    ASSERT_EQ(sold.size(), 2u);
    EXPECT_EQ(num(sold[0], "AMT"), -100);
    EXPECT_EQ(num(sold[1], "AMT"), 500);
    EXPECT_EQ(desk->running(), 2);  // only buys count

    // A typed number is used as typed; a futures type freezes only its margin.
    enter("IF2612", "2", "4000", "A1", "qz");
    desk->form().wth = "  777 ";
    EXPECT_TRUE(desk->buy());
    const auto typed = rowsWhere("WTH", "777");
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_EQ(num(typed[1], "AMT"), -(2.0 * 4000.0 * text::f32(0.12)));
}

TEST_F(OrderDeskTest, BoxesThatDoNotReadStopBeforeAnythingIsWritten) {
    const int before = rowCount();
    struct Case {
        const char *amt, *price, *date, *said;
    } cases[] = {
        {"1O0", "10", "2026-12-07", "'1O0'不是有效的数值（数量）"},
        {"", "10", "2026-12-07", "''不是有效的数值（数量）"},
        {"1e400", "10", "2026-12-07", "'1e400'不是有效的数值（数量）"},
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

TEST_F(OrderDeskTest, AQuantityOutsideOneTo2Pow24IsRefusedWithNothingWritten) {
    const int before = rowCount();
    // 16777217 would become an allowed 16777216 in the 32-bit working record: it is checked as typed.
    for (const char* amt : {"-100", "0", "-0", "16777217", "99999999999999", "1e20", "1.7e7"}) {
        prompter.messages.clear();
        enter("600036", amt, "10");
        EXPECT_FALSE(desk->buy()) << amt;
        EXPECT_FALSE(desk->sell()) << amt;
        EXPECT_EQ(prompter.messages, (std::vector<std::string>{ledger::kBadQuantity, ledger::kBadQuantity}))
            << amt;
    }
    EXPECT_EQ(rowCount(), before);
    EXPECT_EQ(desk->running(), 1);

    // The bounds themselves are orders; an exponent reads as the number it writes.
    for (const char* amt : {"16777216", "0.5", "1e2"}) {
        enter("600036", amt, "1");
        EXPECT_TRUE(desk->buy()) << amt;
    }
    EXPECT_EQ(num(rowsWhere("WTH", "26120709301")[0], "AMT"), 16777216);
    EXPECT_EQ(num(rowsWhere("WTH", "26120709303")[0], "AMT"), 100);
}

TEST_F(OrderDeskTest, OrderNumbersNeverRepeatOneInTheLedger) {
    // A number settled before stands only in CJ_DH of a closed-out row.
    row("WTH;CJ_DH;CODE;LX", {"P2026120700", "26120709301", "600000", "ha"});
    std::vector<std::string> numbers;
    const auto enterOne = [&](bool buy) {
        enter("600036", "100", "10");
        ASSERT_TRUE(buy ? desk->buy() : desk->sell());
        numbers.push_back(desk->record().wth);
    };
    for (int i = 0; i < 12; ++i) enterOne(true);
    EXPECT_EQ(numbers[0], "26120709302");
    EXPECT_EQ(numbers[8], "2612070930A");  // no digit left in this minute
    EXPECT_EQ(numbers[11], "2612070930D");
    makeDesk();  // a new window counts from 1 again
    enterOne(true);
    EXPECT_EQ(numbers.back(), "2612070930E");
    enterOne(false);  // two sells in one second
    enterOne(false);
    EXPECT_EQ(numbers[13], "1207093000");
    EXPECT_EQ(numbers[14], "12070930001");
    EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), numbers.size());
    for (const auto& n : numbers) {
        EXPECT_LE(n.size(), 11u);
        EXPECT_TRUE(n > "0" && n < "999999") << n;  // still listed as an unconfirmed order
    }

    // A minute or second with every number taken gives way to the next.
    ledger::OrderNumbers next(session->kvt());
    const std::string extra = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ0";
    for (char c : extra) row("WTH;CODE;LX", {std::string("2612312359") + c, "600000", "ha"});
    EXPECT_EQ(next.forBuy({2026, 12, 31, 23, 59, 5}, 1), "27010100001");
    row("CJ_DH;CODE;LX", {"1231235959", "600000", "ha"});
    for (char c : extra) row("CJ_DH;CODE;LX", {std::string("1231235959") + c, "600000", "ha"});
    EXPECT_EQ(next.forSell({2026, 12, 31, 23, 59, 59}), "0101000000");
}

TEST_F(OrderDeskTest, TheDetailRowChoosesTheMode) {
    enter("600036", "100", "10");
    ASSERT_TRUE(desk->buy());
    views.detail = detailOf(rowsWhere("WTH", "26120709301")[0]);
    views.detail->price2 = 11;
    desk->fillFrom(*views.detail);
    auto& f = desk->form();
    const auto& k = desk->controls();
    EXPECT_EQ(f.wth + " " + f.price + " " + f.tradeDate,
              "26120709301 10 2026-12-07");  // at the order's price
    EXPECT_TRUE(k.toggle == "<" && k.cancel && k.confirm);
    EXPECT_FALSE(k.code || k.wth || k.tradeDate || k.longShort || k.buyLong || k.openShort);
    desk->toggleMode();
    EXPECT_TRUE(k.toggle == ">" && f.wth.empty() && k.buyLong && !k.openShort && !k.confirm);

    // A short holding: buy/sell mode at its current price, with the short buttons.
    views.detail = detailOf(holding("A1", "IF2612", -2, 4000, 3900, -1, "qz"));
    desk->fillFrom(*views.detail);
    EXPECT_EQ(f.price + " " + f.amt, "3900 2");
    EXPECT_TRUE(f.shortSale && k.openShort && !k.buyLong && !k.cancel);

    // Short selling needs a type that allows it.
    f.lx = "ha";
    desk->longShortChanged(true);
    EXPECT_EQ(prompter.messages.back(), OrderDesk::kNoShortSale);
    EXPECT_TRUE(!f.shortSale && k.buyLong && desk->record().bs == 1);
    f.lx = "qh";
    desk->longShortChanged(true);
    EXPECT_TRUE(f.shortSale && k.openShort && desk->record().bs == -1);
}

TEST_F(OrderDeskTest, TheLabelsShowCashAndWhatItBuys) {
    views.detail = detailOf(holding("A1", "600036", 100, 10));
    desk->fillFrom(*views.detail);
    auto& f = desk->form();
    desk->show(100000, 98765);
    EXPECT_EQ(f.cashLabel + f.buyableLabel, "可用资金：9.87万元可买股票：9876股");
    desk->show(50000, 98765);
    EXPECT_EQ(f.cashLabel + f.buyableLabel, "可用资金：5--9.87万元可买股票：5000--9876股");
    f.price = "20";  // too short to look at
    desk->priceChanged();
    EXPECT_EQ(f.buyableLabel, "可买股票：5000--9876股");
    f.price = "20.0";
    desk->priceChanged();
    EXPECT_EQ(f.buyableLabel, "可买股票：2500--4938股");
    f.price = "0";
    desk->show(50000, 98765);
    EXPECT_EQ(f.buyableLabel, "可买股票：????\?--?????股");
}

}  // namespace
