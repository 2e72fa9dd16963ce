#include "ledger/holdings.h"

#include <cmath>

#include "ledger_fixture.h"

using namespace varneth;
using ledger::Holdings;
using text::f32;

namespace {

class HoldingsTest : public testsupport::LedgerFixture {
protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        emptyLedger();
    }
    std::int64_t cashRow(const char* zjzh, double amt, const char* wth = "") {
        return row("WTH;QSDM;QS;ZJZH;GDDM;CODE;NAME;LX;LXM;AMT;PRICE1;PRICE2;BS;BIRATE;ZK_RATE",
                   {wth, "zxzq", "中信", zjzh, "xj", "xj", "现金", "xj", "现金", amt, 1.0, 1.0, 1, 1.0, 1.0});
    }
    // The rowid of the first row of type `lx` (0 when none), and how many there are.
    std::pair<std::int64_t, int> rowsOfType(const char* lx) {
        const auto ids = rowsWhere("LX", lx);
        return {ids.empty() ? 0 : ids[0], static_cast<int>(ids.size())};
    }
};

TEST_F(HoldingsTest, ValuesEachKindOfRowAndWritesBothTotals) {
    const auto stock = holding("A1", "600036", 1000, 10, 12);
    const auto future = holding("F1", "IF2512", 10, 3000, 2900, -1, "qh");
    const auto oddBs = holding("A1", "600001", 100, 5, 4, 5);
    const auto sell = holding("G2", "600002", -100, 10, 10, 0);
    const auto money = cashRow("10000001", 5000);
    const auto none = cashRow("z2", 0);

    ASSERT_TRUE(holdings().valuationPending());
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_FALSE(holdings().valuationPending());
    EXPECT_TRUE(prompter.said.empty());

    // The margin is a 32-bit rate: 0.1 carries its float error into the cost.
    const double futureCost = 10.0 * 3000.0 * static_cast<double>(0.1f);
    const double sxf = 10000.0 * static_cast<double>(0.003f), yhs = 10000.0 * static_cast<double>(0.001f);
    expectFields(stock, "COST1;COST2;SXF;INCOME;INC;PER",  // per: round(12000 × 10000 / 20400) × 0.01
                 {10000.0, 12000.0, sxf, 2000 - sxf - yhs, (2000 - sxf - yhs) * 100 / 10000, 58.82});
    expectFields(future, "COST1;COST2;BS", {futureCost, 4000.0, -1});  // round(-1 × 10 × (-100) + cost1)
    expectFields(oddBs, "COST2;BS", {400.0, 1});
    expectFields(sell, "COST2;BS;SXF", {-1000.0, 1, 1000 * static_cast<double>(0.003f)});
    expectFields(money, "COST1;COST2;INCOME;INC;PER", {5000.0, 5000.0, 0.0, 0.0, 24.51});
    EXPECT_EQ(num(none, "INC"), 9999.9);

    // S2 = 12000 + 4000 + 400 − 1000 + 5000; S3 discounts only the positive values.
    EXPECT_EQ(holdings().s2(), 20400.0f);
    EXPECT_EQ(holdings().s3(), 9600.0f + 3200.0f + 320.0f - 1000.0f + 5000.0f);
    const double s1 = holdings().s1();
    EXPECT_EQ(s1, f32(f32(f32(f32(10000.0 + 500) + futureCost) - 1000) + 5000));
    expectFields(rowsOfType("zzc").first, "WTH;QSDM;NAME;AMT;COST1;COST2;PRICE2;INCOME;PER",
                 {"###", "zzc", "市价总值", s1, s1, 20400.0, 20400.0 / s1, 20400.0 - s1, 100.0});
    // Per: S3 / S2 × 100 to two decimals.
    expectFields(rowsOfType("zzz").first, "WTH;QSDM;NAME;AMT;COST2;PER",
                 {"###", "zzz", "折扣总值", s1, 17120.0, 83.92});
    EXPECT_EQ(holdings().marketLabel() + holdings().discountLabel(), "市值=2.04万折扣总值=1.71万");

    // A second valuation finds the total rows; a new module shows them from the start.
    ASSERT_TRUE(holdings().calc());
    EXPECT_EQ(rowsOfType("zzc").second, 1);
    EXPECT_EQ(rowsOfType("zzz").second, 1);
    Holdings again(engine, session->lookups(), prompter, clock);
    EXPECT_EQ(again.marketLabel() + again.discountLabel(), "市价总值=2.04万折扣总值=1.71万");
    EXPECT_EQ(ledger::inTenThousands(-49), "0");
}

TEST_F(HoldingsTest, WorkingValuesKeepTheirPrecisionAndRoundHalvesToEven) {
    const auto quoted = holding("A1", "600000", 200, 72.37);
    const auto half = holding("A1", "600001", 1, 1, 2.5);
    const auto otherHalf = holding("A1", "600002", 1, 1, 3.5);
    holding("A1", "600003", 1, 16777216);
    holding("A1", "600004", 1, 1);
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_EQ(num(quoted, "COST1"), 14474);  // a double product, not 200 × float(72.37)
    EXPECT_EQ(num(half, "COST2"), 2);
    EXPECT_EQ(num(otherHalf, "COST2"), 4);
    // The totals are floats, rounded at every step: 16777216 + 1 is lost in the sum.
    EXPECT_EQ(holdings().s1(), f32(f32(f32(f32(f32(14474.0) + 1) + 1) + 16777216.0) + 1));
    EXPECT_NE(static_cast<double>(holdings().s1()), 14474.0 + 1 + 1 + 16777216 + 1);
}

TEST_F(HoldingsTest, FillsDefaultsAndValuesRowsThatMoveInTheView) {
    // Filling in the cash row's GDDM moves it after the holding, which must still be valued.
    const auto money =
        row("QSDM;ZJZH;CODE;LX;NAME;AMT;PRICE1;PRICE2", {"zxzq", "z1", "xj", "xj", "现金", 300.0, 1.0, 1.0});
    const auto stock = row("QSDM;ZJZH;GDDM;CODE;LX;AMT;PRICE1;PRICE2",
                           {"zxzq", "z1", "g1", "600000", "ha", 100.0, 10.0, 11.0});
    const auto loose =
        row("QSDM;CODE;LX;AMT;PRICE1;PRICE2;BIRATE", {"zxzq", "600000", "ha", 10.0, 10.0, 10.0, 0.0});
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_TRUE(prompter.said.empty());
    expectFields(money, "GDDM;QS;DATE1;COST2",
                 {"xj", "中信", storage::Value(), 300.0});  // cash keeps no date
    // An empty discount rate counts as none.
    expectFields(stock, "NAME;LXM;DATE1;BS;ZK_RATE;COST2",
                 {"浦发银行", "沪A股", "2026-12-07", 1, 1.0, 1100.0});
    expectFields(loose, "ZJZH;GDDM;BIRATE", {"?", "?", 1.0});
    EXPECT_EQ(holdings().s2(), 1500.0f);
}

TEST_F(HoldingsTest, StopsAtARowWithoutTypeOrAZeroTotal) {
    const auto first = holding("A1", "600000", 100, 10);
    row("QSDM;ZJZH;CODE;AMT", {"zxzq", "z2", "600001", 1.0});
    const auto after = row("QSDM;CODE;LX;AMT;PRICE1", {"zz", "600002", "ha", 100.0, 1.0});
    EXPECT_FALSE(holdings().up_calc());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Holdings::kNoType});
    EXPECT_TRUE(holdings().valuationPending());
    EXPECT_EQ(num(first, "COST1"), 1000);  // rows before it keep what was written
    EXPECT_TRUE(get(after, "COST1").isNull());

    emptyLedger();
    holding("A1", "600000", 0, 10);
    prompter.messages.clear();
    EXPECT_FALSE(holdings().up_calc());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Holdings::kZeroTotal});
    EXPECT_TRUE(holdings().valuationPending());
    EXPECT_EQ(rowsOfType("zzc").first, 0);
}

TEST_F(HoldingsTest, AsksAboutAZeroPriceAndCopesWithCostsThatCancelOut) {
    const auto unpriced = holding("A1", "600000", 100, 10);
    storage::Cursor c = table();
    ASSERT_TRUE(c.gotoBookmark({unpriced}));
    c.setValue("PRICE2", 0.0);
    c.post();
    const auto sold = holding("A1", "600001", -100, 10, 8);
    prompter.expectAnswers({true});
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_EQ(prompter.questions, std::vector<std::string>{Holdings::zeroPriceQuestion("某股")});
    EXPECT_EQ(num(unpriced, "PRICE2"), 10);
    EXPECT_EQ(num(unpriced, "COST2"), 1000);
    // The costs cancel out (S1 = 0) while the value does not: no ratio rather than an infinity.
    EXPECT_EQ(num(sold, "COST2"), -800);
    EXPECT_EQ(holdings().s1(), 0.0f);
    EXPECT_EQ(holdings().s2(), 200.0f);
    for (const char* total : {"zzc", "zzz"}) {
        const auto id = rowsOfType(total).first;
        EXPECT_EQ(num(id, "PRICE2"), 0) << total;
        EXPECT_EQ(num(id, "INC"), 9999.9) << total;
    }
}

TEST_F(HoldingsTest, TheClosedViewNeverCountsIntoTheBook) {
    holding("A1", "600000", 100, 10, 12);
    const auto closed =
        row("WTH;QSDM;CODE;LX;AMT;PRICE1;PRICE2", {"P2026091500", "zxzq", "600001", "ha", 500.0, 10.0, 20.0});
    row("WTH;QSDM;CODE;LX;AMT;PRICE1;PRICE2", {"0???", "zxzq", "600002", "ha", -500.0, 20.0, 20.0});
    holdings().setView(Holdings::View::Closed);
    storage::Cursor& shown = holdings().ledger();
    ASSERT_EQ(shown.count(), 2);
    shown.last();
    ASSERT_TRUE(holdings().calc());
    EXPECT_EQ(holdings().s2(), 1200.0f);
    EXPECT_EQ(holdings().view(), Holdings::View::Closed);  // the grid stays where it was
    EXPECT_EQ(shown.bookmark().rowid, closed);
    EXPECT_TRUE(get(closed, "COST1").isNull());
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_EQ(holdings().view(), Holdings::View::Holdings);
    EXPECT_EQ(rowsOfType("zzc").second, 1);
}

TEST_F(HoldingsTest, CashOfAnAccountAndItsCashRowAlone) {
    holding("A1", "600000", 100, 10);
    cashRow("10000001", -1500.75, "26120709301");  // a pending buy's frozen cash sorts before the cash row
    cashRow("10000001", 8000.5);
    cashRow("z2", -20.9);
    EXPECT_EQ(holdings().zjzhxj("zxzq", "10000001"), 6499);
    EXPECT_EQ(holdings().zjzhxj1("zxzq", "10000001"), 8000);
    EXPECT_EQ(holdings().zjzhxj("zxzq", "z2"), -20);  // toward zero
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(holdings().zjzhxj("b9", "z1"), 0);
    EXPECT_EQ(holdings().zjzhxj1("zxzq", "z9"), 0);
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{Holdings::kNoAccount, Holdings::kNoAccount}));
    holdings().setView(Holdings::View::Closed);  // it still reads the book
    EXPECT_EQ(holdings().zjzhxj("zxzq", "10000001"), 6499);
}

TEST_F(HoldingsTest, TheNameFillerEndsWhenALookupGivesNothing) {
    storage::Cursor& brokers = session->lookups().brokers();
    brokers.append();
    brokers.setValue("Qsdm", "nn");  // a broker without a name
    brokers.post();
    const auto unnamed = row("QSDM;CODE;LX", {"zxzq", "600000", "ha"});
    const auto nameless = row("QSDM;CODE;NAME;LX;LXM", {"nn", "600000", "x", "ha", "y"});
    const auto last = row("QSDM;CODE;NAME;QS;LX", {"zz", "600001", "x", "y", "qq"});
    holdings().fillNames();
    EXPECT_EQ(txt(unnamed, "NAME"), "浦发银行");
    EXPECT_EQ(txt(unnamed, "QS"), "中信");
    EXPECT_EQ(txt(unnamed, "LXM"), "沪A股");
    EXPECT_EQ(txt(nameless, "QS"), "");  // tried once, passed over
    EXPECT_EQ(txt(last, "LXM"), "???");
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"找不到类型码为qq的类型名,需进入设置窗口补充！"});
    EXPECT_EQ(holdings().ledger().bookmark().rowid, last);  // the filler ends on the last record
}

}  // namespace
