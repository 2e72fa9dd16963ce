#include "ledger/settlement.h"

#include "ledger/input_limits.h"
#include "ledger_fixture.h"

using namespace varneth;
using ledger::Settlement;
using storage::Value;
using text::f32;

namespace {

// What a sell of `amt` at `price` brings to the cash row of a type with fee 0.003 and stamp 0.001.
double proceeds(double amt, double price) {
    return amt * price - amt * price * (static_cast<double>(f32(0.003)) + f32(0.001));
}

class SettlementTest : public testsupport::LedgerFixture {
protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        settlement = std::make_unique<Settlement>(*desk);
    }
    // The order row of the order just entered.
    std::int64_t lastOrder() {
        storage::Cursor c = table();
        EXPECT_TRUE(c.locate("WTH;CODE", {desk->record().wth, desk->record().code}));
        return c.bookmark().rowid;
    }
    std::int64_t order(bool buy, const char* code, const char* amt, const char* price,
                       const char* gddm = "A1", const char* lx = "ha") {
        enter(code, amt, price, gddm, lx);
        EXPECT_TRUE(buy ? desk->buy() : desk->sell());
        return lastOrder();
    }
    Settlement::Result settle(std::int64_t rowid) {
        openOn(rowid);
        prompter.messages.clear();
        return settlement->confirm();
    }

    std::unique_ptr<Settlement> settlement;
};

TEST_F(SettlementTest, ABuyTakes1004FromTheCashRowAndTheMatchingSellBrings996) {
    // Another order's frozen cash sorts before the cash row: its shareholder account is below "xj".
    order(true, "600000", "200", "11");
    const std::string pending = desk->record().wth;
    const auto bought = order(true, "600036", "100", "10");
    const std::string wth = desk->record().wth;
    const int rows = rowCount();
    EXPECT_EQ(settle(bought), Settlement::Result::Settled);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Settlement::kSettled});
    expectFields(bought, "WTH;CJ_DH;AMT;PRICE1;LXM;BS;DATE1",
                 {"", wth, 100.0, 10.0, "沪A股", 1, "2026-12-07"});
    EXPECT_EQ(rowsWhere("WTH", wth).size(), 0u);  // its frozen cash went
    EXPECT_EQ(rowCount(), rows - 1);
    EXPECT_NEAR(cash(), 100000 - 1004, 1e-6);
    const auto other = rowsWhere("WTH", pending);
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(num(other[1], "AMT"), -2200);
    EXPECT_EQ(desk->form().wth, "");
    EXPECT_EQ(valuations, 3);  // after the two buys and the confirmation

    const auto sold = order(false, "600036", "100", "10");
    const std::string sellNumber = desk->record().wth;
    settle(sold);
    expectFields(bought, "WTH;CJ_DH;PRICE2;DATE2", {"P2026120700", sellNumber, 10.0, "2026-12-07"});
    expectFields(
        sold, "WTH;CJ_DH;AMT;COST1;COST2;SXF;YHS",
        {"P2026120700", sellNumber, -100.0, -1000.0, -1000.0, f32(0.003) * -1000.0, f32(0.001) * -1000.0});
    EXPECT_NEAR(cash(), 100000 - 1004 + 996, 1e-6);

    // Confirming again from the detail row as it was finds no order row and changes nothing.
    desk->fillFrom(*views.detail);
    prompter.messages.clear();
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Stopped);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Settlement::kOrderNotFound});
    EXPECT_NEAR(cash(), 100000 - 1004 + 996, 1e-6);
}

TEST_F(SettlementTest, ASellClosesOutHoldingsOfItsShareholderAccountInLedgerOrder) {
    struct Case {
        const char* code;
        std::vector<double> held;  // holdings of A1, in ledger order
        double sold;
        std::vector<double> closed;  // how much of each is closed out, 0 for untouched
        double rest;                 // the new holding left by a split
        double remainder;            // the "0???" row's quantity
    } cases[] = {
        {"600036", {80, 100, 100}, 100, {0, 100, 0}, 0, 0},  // an exact match takes that one alone
        {"600000", {100, 80}, 150, {100, 50}, 30, 0},
        {"600519", {100}, 150, {100}, 0, -50},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.code);
        const double before = cash();
        const auto elsewhere = holding("B1", k.code, 100, 9);
        std::vector<std::int64_t> held;
        for (double amt : k.held) held.push_back(holding("A1", k.code, amt, 9));
        const auto sale = order(false, k.code, text::shortestText(k.sold).c_str(), "10");
        const std::string wth = desk->record().wth;
        EXPECT_EQ(settle(sale), Settlement::Result::Settled);

        EXPECT_EQ(txt(elsewhere, "WTH"), "");
        for (std::size_t i = 0; i < held.size(); ++i)
            expectFields(held[i], "WTH;AMT;PRICE2",
                         k.closed[i] ? std::vector<Value>{"P2026120700", k.closed[i], 10.0}
                                     : std::vector<Value>{"", k.held[i], 9.0});
        storage::Cursor c = table();
        const bool split = c.locate("WTH;CODE;GDDM;AMT", {"", k.code, "A1", k.rest});
        EXPECT_EQ(split, k.rest != 0);
        if (split) {  // the rest keeps its entry
            expectFields(c.bookmark().rowid, "PRICE1;DATE1;PRICE2;DATE2;ZJZH;BS",
                         {9.0, "2026-03-16", 10.0, "2026-12-07", "10000001", 1});
            EXPECT_EQ(c.text("CJ_DH"), "");
        }
        const auto frozen = rowsWhere("WTH", wth);
        if (k.remainder) {
            EXPECT_EQ(
                prompter.messages.front(),
                std::string("zxzq A1 ") + k.code +
                    "多空参数为1的持仓数量不足, 卖出多余记录将被移入平仓文件(在手工处理窗口选<看平仓文件>"
                    "可见并修改)。此记录将带有0???.");
            expectFields(sale, "WTH;AMT", {"0???", k.remainder});
            // The remainder's proceeds still to come stay frozen, positive as for any sell.
            ASSERT_EQ(frozen.size(), 1u);
            expectFields(frozen[0], "CJ_DH;AMT", {"冻结资金", -k.remainder * 10});
        } else {
            expectFields(sale, "WTH;AMT", {"P2026120700", -k.sold});
            EXPECT_TRUE(frozen.empty());
        }
        // Cash moves by what was actually closed out, never by the remainder.
        EXPECT_NEAR(cash(), before + proceeds(k.sold + k.remainder, 10), 1e-6);
    }
}

TEST_F(SettlementTest, TheFilledQuantityAndPriceAreTakenAsTyped) {
    const auto bought = order(true, "600036", "100", "72");
    openOn(bought);
    desk->form().amt = "200";
    desk->form().price = "72.37";
    settlement->confirm();
    EXPECT_EQ(num(bought, "AMT"), 200);
    EXPECT_EQ(num(bought, "PRICE1"), 72.37);  // not the 32-bit working copy
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_EQ(num(bought, "COST1"), 14474);
}

TEST_F(SettlementTest, ShortPositionsAreClosedOnlyByShortOrders) {
    const auto longOne = holding("Q1", "cu2701", 10, 3000, 0, 1, "qh");
    const auto shortOne = holding("Q1", "cu2701", 10, 3000, 0, -1, "qh");
    enter("cu2701", "10", "3000", "Q1", "qh");
    desk->longShortChanged(true);
    ASSERT_TRUE(desk->sell());
    settle(lastOrder());
    EXPECT_EQ(txt(shortOne, "WTH"), "P2026120700");
    EXPECT_EQ(txt(longOne, "WTH"), "");
    // Margin 0.1 of the value, fee 0.0002 on it.
    EXPECT_NEAR(cash(),
                100000 + static_cast<double>(f32(0.1)) * (30000 - 30000 * static_cast<double>(f32(0.0002))),
                1e-6);

    // A short open confirmed is a short holding.
    enter("cu2701", "5", "3100", "Q1", "qh");
    desk->longShortChanged(true);
    ASSERT_TRUE(desk->buy());
    const auto opened = lastOrder();
    settle(opened);
    EXPECT_EQ(txt(opened, "WTH"), "");
    EXPECT_EQ(num(opened, "BS"), -1);
}

TEST_F(SettlementTest, QuantityZeroCancelsAndAnOrderSettledBeforeAsksFirst) {
    const int rows = rowCount();
    const auto bought = order(true, "600036", "100", "10");
    openOn(bought);
    desk->form().amt = "0";
    prompter.messages.clear();
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Cancelled);
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{Settlement::kZeroQuantity, Settlement::kCancelled}));
    EXPECT_EQ(rowCount(), rows);
    EXPECT_EQ(cash(), 100000);

    // The number already stands in CJ_DH of a row of the same broker and date.
    const auto again = order(true, "600036", "100", "10");
    const std::string wth = desk->record().wth;
    row("QSDM;CODE;LX;DATE1;CJ_DH", {"zxzq", "600036", "ha", "2026-12-07", wth});
    const int before = rowCount();
    prompter.expectAnswers({true});
    EXPECT_EQ(settle(again), Settlement::Result::Stopped);
    EXPECT_EQ(prompter.questions, std::vector<std::string>{Settlement::kSettledBefore});
    EXPECT_EQ(rowCount(), before);
    EXPECT_EQ(txt(again, "WTH"), wth);
    prompter.expectAnswers({false});
    EXPECT_EQ(settle(again), Settlement::Result::Settled);
    EXPECT_EQ(txt(again, "WTH"), "");

    // A filled quantity beyond what a working record holds is refused, the order left standing.
    const auto big = order(true, "600036", "100", "10");
    const int standing = rowCount();
    openOn(big);
    desk->form().amt = "16777217";
    prompter.messages.clear();
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Invalid);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{ledger::kBadQuantity});
    EXPECT_EQ(rowCount(), standing);
    EXPECT_EQ(num(big, "AMT"), 100);
    // Nor may a buy be settled as a sale.
    openOn(big);
    desk->form().amt = "-100";
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Invalid);
    EXPECT_EQ(prompter.messages.back(), Settlement::kWrongSign);
    EXPECT_EQ(rowCount(), standing);

    // A box that does not read stops before the follow-ups, and the window stays.
    openOn(order(true, "600036", "100", "10"));
    desk->form().price = "x";
    const int valued = valuations;
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Invalid);
    EXPECT_EQ(valuations, valued);
}

TEST_F(SettlementTest, CancelDeletesTheOrderAndItsFrozenCash) {
    const int rows = rowCount();
    const auto bought = order(true, "600036", "100", "10");
    const std::string wth = desk->record().wth;
    views.calls.clear();
    openOn(bought);
    prompter.messages.clear();
    EXPECT_TRUE(settlement->cancel());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Settlement::kCancelled});
    EXPECT_EQ(rowCount(), rows);
    EXPECT_EQ(views.calls, (std::vector<std::string>{"code 600036", "detail " + wth + " 600036"}));

    // Without its frozen cash the user decides.
    const auto lone = order(true, "600036", "100", "10");
    storage::Cursor c = table();
    ASSERT_TRUE(c.locate("WTH;CODE", {desk->record().wth, "xj"}));
    c.remove();
    openOn(lone);
    prompter.expectAnswers({false, true});
    EXPECT_FALSE(settlement->cancel());
    EXPECT_EQ(rowCount(), rows + 1);
    EXPECT_TRUE(settlement->cancel());
    EXPECT_EQ(rowCount(), rows);

    desk->set_mm();
    EXPECT_FALSE(settlement->cancel());
    EXPECT_EQ(prompter.messages.back(), Settlement::kNoOrderNumber);
    prompter.messages.clear();
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Stopped);  // back to the main window
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Settlement::kNoOrderToSettle});
}

TEST_F(SettlementTest, AnAccountWithoutACashRowGetsOne) {
    enter("600036", "100", "10");
    desk->form().qsdm = "htzq";
    desk->form().zjzh = "555";
    ASSERT_TRUE(desk->buy());
    settle(lastOrder());
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{Settlement::kNewCashRow, Settlement::kSettled}));
    storage::Cursor c = table();
    ASSERT_TRUE(c.locate("QSDM;ZJZH;CODE;WTH", {"htzq", "555", "xj", ""}));
    EXPECT_NEAR(c.number("AMT"), -1004, 1e-6);
    EXPECT_EQ(c.text("LX"), "xj");
    EXPECT_EQ(c.text("NAME"), "现金");
    EXPECT_EQ(c.text("QS"), "华泰");
}

}  // namespace
