#include "ledger/settlement.h"

#include "order_fixture.h"

using namespace varneth;
using ledger::OrderDesk;
using ledger::Settlement;
using storage::Value;

namespace {

class SettlementTest : public testsupport::OrderFixture {
protected:
    void SetUp() override {
        OrderFixture::SetUp();
        settlement = std::make_unique<Settlement>(*desk);
    }
    // The order row of the order just entered.
    std::int64_t lastOrder() {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        EXPECT_TRUE(c.locate("WTH;CODE", {desk->record().wth, desk->record().code}));
        return c.bookmark().rowid;
    }
    std::int64_t buy(const char* code, const char* amt, const char* price) {
        enter(code, amt, price);
        EXPECT_TRUE(desk->buy());
        return lastOrder();
    }
    std::int64_t sell(const char* code, const char* amt, const char* price) {
        enter(code, amt, price);
        EXPECT_TRUE(desk->sell());
        return lastOrder();
    }
    storage::Record rowOf(std::int64_t rowid) {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        EXPECT_TRUE(c.gotoBookmark({rowid}));
        storage::Record r;
        for (int i = 0; i < static_cast<int>(c.def().fields.size()); ++i) r.push_back(c.value(i));
        return r;
    }
    Settlement::Result settle(std::int64_t order) {
        openOn(order);
        prompter.messages.clear();
        return settlement->confirm();
    }

    std::unique_ptr<Settlement> settlement;
};

TEST_F(SettlementTest, ABuyBecomesAHoldingAndItsCostLeavesTheCashRowOnly) {
    // Another order's frozen cash sorts before the cash row (its shareholder account is below "xj").
    buy("600000", "200", "11");
    const std::string pending = desk->record().wth;
    const auto order = buy("600036", "100", "10");
    const std::string wth = desk->record().wth;
    const int rows = rowCount();
    settle(order);

    const auto held = rowOf(order);
    EXPECT_EQ(get(held, "WTH"), Value(""));
    EXPECT_EQ(get(held, "CJ_DH"), Value(wth));
    EXPECT_EQ(get(held, "AMT"), Value(100.0));
    EXPECT_EQ(get(held, "PRICE1"), Value(10.0));
    EXPECT_EQ(get(held, "LXM"), Value("沪A股"));
    EXPECT_EQ(get(held, "DATE1"), Value("2026-12-07"));
    EXPECT_EQ(get(held, "BS"), Value(1));
    EXPECT_EQ(rowsWhere("WTH", wth).size(), 0u);  // the frozen cash went
    EXPECT_EQ(rowCount(), rows - 1);
    EXPECT_NEAR(cash(), 100000 - 1004, 1e-3);
    const auto other = rowsWhere("WTH", pending);
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(get(other[1], "AMT"), Value(-2200.0));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Settlement::kSettled});
    EXPECT_EQ(desk->form().wth, "");
    EXPECT_EQ(valuations, 3);

    // The matching sell takes that holding whole and brings 996.
    const auto sold = sell("600036", "100", "10");
    const std::string sellNumber = desk->record().wth;
    settle(sold);
    const auto closed = rowOf(order);
    EXPECT_EQ(get(closed, "WTH"), Value("P2026120700"));
    EXPECT_EQ(get(closed, "CJ_DH"), Value(sellNumber));
    EXPECT_EQ(get(closed, "PRICE2"), Value(10.0));
    EXPECT_EQ(get(closed, "DATE2"), Value("2026-12-07"));
    const auto sale = rowOf(sold);
    EXPECT_EQ(get(sale, "WTH"), Value("P2026120700"));
    EXPECT_EQ(get(sale, "CJ_DH"), Value(sellNumber));
    EXPECT_EQ(get(sale, "AMT"), Value(-100.0));
    EXPECT_EQ(get(sale, "COST1"), Value(-1000.0));
    EXPECT_EQ(get(sale, "COST2"), Value(-1000.0));
    EXPECT_DOUBLE_EQ(get(sale, "SXF").toDouble(), text::f32(0.003) * -1000.0);
    EXPECT_DOUBLE_EQ(get(sale, "YHS").toDouble(), text::f32(0.001) * -1000.0);
    EXPECT_NEAR(cash(), 100000 - 1004 + 996, 1e-3);

    // Confirming it again, from the detail row as it was, finds no order row.
    desk->fillFrom(*views.detail);
    prompter.messages.clear();
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Stopped);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Settlement::kOrderNotFound});
    EXPECT_NEAR(cash(), 100000 - 1004 + 996, 1e-3);
}

TEST_F(SettlementTest, AnExactMatchTakesThatHoldingAndNoOther) {
    const auto first = holding("A100000001", "600036", 80, 9);
    const auto exact = holding("A100000001", "600036", 100, 9);
    const auto third = holding("A100000001", "600036", 100, 8);
    const auto elsewhere = holding("B1", "600036", 100, 9);
    settle(sell("600036", "100", "12"));
    EXPECT_EQ(get(rowOf(exact), "WTH"), Value("P2026120700"));
    EXPECT_EQ(get(rowOf(exact), "AMT"), Value(100.0));
    for (auto untouched : {first, third, elsewhere}) EXPECT_EQ(get(rowOf(untouched), "WTH"), Value(""));
    EXPECT_EQ(get(rowOf(first), "AMT"), Value(80.0));
}

TEST_F(SettlementTest, ASaleLargerThanAHoldingTakesTheNextAndSplitsIt) {
    const auto a = holding("A100000001", "600036", 100, 9);
    const auto b = holding("A100000001", "600036", 80, 8);
    const int rows = rowCount();
    settle(sell("600036", "150", "12"));
    EXPECT_EQ(get(rowOf(a), "WTH"), Value("P2026120700"));
    EXPECT_EQ(get(rowOf(a), "AMT"), Value(100.0));
    EXPECT_EQ(get(rowOf(b), "WTH"), Value("P2026120700"));
    EXPECT_EQ(get(rowOf(b), "AMT"), Value(50.0));
    EXPECT_EQ(get(rowOf(b), "PRICE2"), Value(12.0));
    // The rest of the second holding stays held at its own entry.
    EXPECT_EQ(rowCount(), rows + 2);  // the sell's order row and the rest; its frozen cash went
    storage::Cursor c(session->kvt(), "tr2.DBF");
    ASSERT_TRUE(c.locate("WTH;CODE;AMT", {"", "600036", 30.0}));
    EXPECT_EQ(c.number("PRICE1"), 8.0);
    EXPECT_EQ(c.date("DATE1"), "2026-03-16");
    EXPECT_EQ(c.number("PRICE2"), 12.0);
    EXPECT_EQ(c.date("DATE2"), "2026-12-07");
    EXPECT_EQ(c.text("GDDM"), "A100000001");
    EXPECT_EQ(c.text("ZJZH"), "10000001");
    EXPECT_EQ(c.integer("BS"), 1);
    EXPECT_EQ(c.text("CJ_DH"), "");
    EXPECT_NEAR(cash(), 100000 + 1800 - 1800 * 0.004, 1e-3);
}

TEST_F(SettlementTest, AShortfallLeavesARemainderWithItsProceedsStillFrozen) {
    const auto a = holding("A100000001", "600036", 100, 9);
    const auto order = sell("600036", "150", "10");
    const std::string wth = desk->record().wth;
    EXPECT_EQ(settle(order), Settlement::Result::Settled);
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{
                  "zxzq A100000001 600036多空参数为1的持仓数量不足, 卖出多余记录将被移入平仓文件("
                  "在手工处理窗口选<看平仓文件>可见并修改)。此记录将带有0???.",
                  Settlement::kSettled}));
    EXPECT_EQ(get(rowOf(a), "WTH"), Value("P2026120700"));
    const auto rest = rowOf(order);
    EXPECT_EQ(get(rest, "WTH"), Value("0???"));
    EXPECT_EQ(get(rest, "AMT"), Value(-50.0));
    const auto frozen = rowsWhere("WTH", wth);
    ASSERT_EQ(frozen.size(), 1u);
    EXPECT_EQ(get(frozen[0], "CJ_DH"), Value("冻结资金"));
    EXPECT_EQ(get(frozen[0], "AMT"), Value(500.0));
    // Cash moves by the hundred actually sold; the other fifty wait in the frozen row.
    EXPECT_NEAR(cash(), 100000 + 1000 - 4, 1e-3);
}

TEST_F(SettlementTest, ShortPositionsAreClosedOnlyByShortOrders) {
    const auto longOne = holding("Q1", "cu2701", 10, 3000, 1);
    const auto shortOne = holding("Q1", "cu2701", 10, 3000, -1);
    enter("cu2701", "10", "3000", "Q1");
    desk->form().lx = "qh";
    desk->longShortChanged(true);
    ASSERT_TRUE(desk->sell());
    settle(lastOrder());
    EXPECT_EQ(get(rowOf(shortOne), "WTH"), Value("P2026120700"));
    EXPECT_EQ(get(rowOf(longOne), "WTH"), Value(""));
    EXPECT_NEAR(cash(), 100000 + 0.1 * (30000 - 30000 * static_cast<double>(text::f32(0.0002))), 1e-3);

    // A short open confirmed is a short holding.
    enter("cu2701", "5", "3100", "Q1");
    desk->form().lx = "qh";
    desk->longShortChanged(true);
    ASSERT_TRUE(desk->buy());
    const auto opened = lastOrder();
    settle(opened);
    EXPECT_EQ(get(rowOf(opened), "WTH"), Value(""));
    EXPECT_EQ(get(rowOf(opened), "BS"), Value(-1));
}

TEST_F(SettlementTest, QuantityZeroOrAnOrderDoneBeforeAsksOrCancels) {
    const int rows = rowCount();
    const auto order = buy("600036", "100", "10");
    openOn(order);
    desk->form().amt = "0";
    prompter.messages.clear();
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Cancelled);
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{Settlement::kZeroQuantity, Settlement::kCancelled}));
    EXPECT_EQ(rowCount(), rows);
    EXPECT_EQ(cash(), 100000);

    // The number already stands in CJ_DH of a row of the same broker and date.
    const auto again = buy("600036", "100", "10");
    const std::string wth = desk->record().wth;
    row({{"QSDM", "zxzq"},
         {"ZJZH", "10000001"},
         {"CODE", "600036"},
         {"LX", "ha"},
         {"AMT", 100.0},
         {"DATE1", "2026-12-07"},
         {"CJ_DH", wth}});
    const int before = rowCount();
    prompter.expectAnswers({true});
    EXPECT_EQ(settle(again), Settlement::Result::Stopped);
    EXPECT_EQ(prompter.questions, std::vector<std::string>{Settlement::kSettledBefore});
    EXPECT_EQ(rowCount(), before);
    EXPECT_EQ(get(rowOf(again), "WTH"), Value(wth));
    prompter.expectAnswers({false});
    EXPECT_EQ(settle(again), Settlement::Result::Settled);
    EXPECT_EQ(get(rowOf(again), "WTH"), Value(""));
    EXPECT_NEAR(cash(), 100000 - 1004, 1e-3);

    // A box that does not read stops before the follow-ups, and the window stays.
    const auto third = buy("600036", "100", "10");
    openOn(third);
    desk->form().price = "x";
    const int valued = valuations;
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Invalid);
    EXPECT_EQ(valuations, valued);
}

TEST_F(SettlementTest, CancelDeletesTheOrderAndItsFrozenCash) {
    const int rows = rowCount();
    const auto order = buy("600036", "100", "10");
    const std::string wth = desk->record().wth;
    // Without its frozen cash the user decides.
    storage::Cursor c(session->kvt(), "tr2.DBF");
    ASSERT_TRUE(c.locate("WTH;CODE", {wth, "xj"}));
    const storage::Record frozen = [&] {
        storage::Record r;
        for (int i = 0; i < static_cast<int>(c.def().fields.size()); ++i) r.push_back(c.value(i));
        return r;
    }();
    c.remove();
    openOn(order);
    prompter.expectAnswers({false});
    EXPECT_FALSE(settlement->cancel());
    EXPECT_EQ(get(rowOf(order), "WTH"), Value(wth));
    c.append();
    for (int i = 0; i < static_cast<int>(frozen.size()); ++i)
        c.setValue(i, frozen[static_cast<std::size_t>(i)]);
    c.post();

    views.calls.clear();
    prompter.messages.clear();
    EXPECT_TRUE(settlement->cancel());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Settlement::kCancelled});
    EXPECT_EQ(rowCount(), rows);
    EXPECT_EQ(views.calls, (std::vector<std::string>{"code 600036", "detail " + wth + " 600036"}));
    EXPECT_EQ(cash(), 100000);

    desk->set_mm();
    EXPECT_FALSE(settlement->cancel());
    EXPECT_EQ(prompter.messages.back(), Settlement::kNoOrderNumber);
    prompter.messages.clear();
    EXPECT_EQ(settlement->confirm(), Settlement::Result::Stopped);  // back to the main window
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Settlement::kNoOrderToSettle});
}

TEST_F(SettlementTest, AnAccountWithoutACashRowGetsOne) {
    enter("600036", "100", "10");
    auto& f = desk->form();
    f.qsdm = "htzq";
    f.zjzh = "555";
    ASSERT_TRUE(desk->buy());
    settle(lastOrder());
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{Settlement::kNewCashRow, Settlement::kSettled}));
    storage::Cursor c(session->kvt(), "tr2.DBF");
    ASSERT_TRUE(c.locate("QSDM;ZJZH;CODE;WTH", {"htzq", "555", "xj", ""}));
    EXPECT_NEAR(c.number("AMT"), -1004, 1e-3);
    EXPECT_EQ(c.text("LX"), "xj");
    EXPECT_EQ(c.text("NAME"), "现金");
    EXPECT_EQ(c.text("QS"), "华泰");
}

}  // namespace
