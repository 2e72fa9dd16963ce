#include "ledger/holdings.h"

#include <gtest/gtest.h>

#include <cmath>

#include "holdings_fixture.h"
#include "text/numbers.h"

using namespace varneth;
using ledger::Holdings;
using text::f32;

namespace {

class HoldingsTest : public testsupport::HoldingsFixture {};

TEST_F(HoldingsTest, ValuesEachKindOfRowAndWritesBothTotals) {
    const auto stock = holding("b1", "z1", "600036", 1000, 10, 12);
    const auto future = row({{"QSDM", "b2"},
                             {"QS", "乙"},
                             {"ZJZH", "z3"},
                             {"GDDM", "f1"},
                             {"CODE", "IF2512"},
                             {"NAME", "股指"},
                             {"LX", "qh"},
                             {"LXM", "期货"},
                             {"AMT", 10.0},
                             {"PRICE1", 3000.0},
                             {"PRICE2", 2900.0},
                             {"BS", -1},
                             {"DATE1", "2026-10-20"},
                             {"ZK_RATE", 0.9}});
    const auto oddBs = holding("b1", "z1", "600001", 100, 5, 4);
    storage::Cursor c(session->kvt(), "tr2.DBF");
    ASSERT_TRUE(c.gotoBookmark({oddBs}));
    c.setValue("BS", 5);
    c.post();
    const auto sell = row({{"WTH", "1207093001"},
                           {"QSDM", "b1"},
                           {"QS", "甲"},
                           {"ZJZH", "z1"},
                           {"GDDM", "g2"},
                           {"CODE", "600002"},
                           {"NAME", "卖"},
                           {"LX", "ha"},
                           {"LXM", "沪A股"},
                           {"AMT", -100.0},
                           {"PRICE1", 10.0},
                           {"PRICE2", 10.0},
                           {"BS", 0},
                           {"DATE1", "2026-12-07"},
                           {"ZK_RATE", 0.8}});
    const auto money = cash("b1", "z1", 5000);
    const auto none = cash("b1", "z2", 0);

    ASSERT_TRUE(holdings().valuationPending());
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_FALSE(holdings().valuationPending());
    EXPECT_TRUE(prompter.said.empty());

    EXPECT_EQ(num(stock, "COST1"), 10000);
    EXPECT_EQ(num(stock, "COST2"), 12000);
    // Rates are 32-bit floats: the futures margin 0.1 carries its float error into the cost.
    EXPECT_EQ(num(future, "COST1"), 10.0 * 3000.0 * static_cast<double>(0.1f));
    EXPECT_EQ(num(future, "COST2"), 4000);  // round(-1 × 10 × (2900 − 3000) + cost1)
    EXPECT_EQ(num(future, "BS"), -1);
    EXPECT_EQ(num(oddBs, "BS"), 1);
    EXPECT_EQ(num(oddBs, "COST2"), 400);
    EXPECT_EQ(num(sell, "BS"), 1);
    EXPECT_EQ(num(sell, "COST2"), -1000);

    // Fees on the cost, at the float rates; the gain after them.
    const double sxf = 10000.0 * static_cast<double>(0.003f), yhs = 10000.0 * static_cast<double>(0.001f);
    EXPECT_EQ(num(stock, "SXF"), sxf);
    EXPECT_EQ(num(stock, "YHS"), yhs);
    EXPECT_EQ(num(stock, "INCOME"), 12000 - 10000 - sxf - yhs);
    EXPECT_EQ(num(stock, "INC"), (12000 - 10000 - sxf - yhs) * 100 / 10000);
    EXPECT_EQ(num(sell, "SXF"), 1000 * static_cast<double>(0.003f));  // on the cost's magnitude
    EXPECT_EQ(num(money, "COST1"), 5000);
    EXPECT_EQ(num(money, "COST2"), 5000);
    EXPECT_EQ(num(money, "INCOME"), 0);
    EXPECT_EQ(num(money, "INC"), 0);
    EXPECT_EQ(num(none, "INC"), 9999.9);

    // S2 = 12000 + 4000 + 400 − 1000 + 5000; S3 discounts only the positive values.
    EXPECT_EQ(holdings().s2(), 20400.0f);
    EXPECT_EQ(holdings().s3(), 9600.0f + 3600.0f + 320.0f - 1000.0f + 5000.0f);
    const float s1 = f32(f32(f32(f32(10000.0 + num(future, "COST1")) + 500.0) - 1000.0) + 5000.0);
    EXPECT_EQ(holdings().s1(), s1);
    EXPECT_EQ(num(stock, "PER"), 58.82);  // round(12000 × 10000 / 20400) × 0.01
    EXPECT_EQ(num(money, "PER"), 24.51);

    const auto market = rowWithType("zzc"), discount = rowWithType("zzz");
    ASSERT_NE(market, 0);
    ASSERT_NE(discount, 0);
    EXPECT_EQ(txt(market, "WTH"), "###");
    EXPECT_EQ(txt(market, "QSDM"), "zzc");
    EXPECT_EQ(txt(market, "CODE"), "zzc");
    EXPECT_EQ(txt(market, "NAME"), "市价总值");
    EXPECT_EQ(txt(market, "QS"), "市价总");  // cut to the field's six bytes
    EXPECT_EQ(num(market, "AMT"), s1);
    EXPECT_EQ(num(market, "COST1"), s1);
    EXPECT_EQ(num(market, "COST2"), 20400);
    EXPECT_EQ(num(market, "PRICE2"), 20400.0 / s1);
    EXPECT_EQ(num(market, "INCOME"), 20400.0 - s1);
    EXPECT_EQ(num(market, "PER"), 100);
    EXPECT_EQ(txt(discount, "QSDM"), "zzz");
    EXPECT_EQ(txt(discount, "NAME"), "折扣总值");
    EXPECT_EQ(num(discount, "COST2"), 17520);
    EXPECT_EQ(num(discount, "ZK_RATE"), 1);
    EXPECT_EQ(num(discount, "PER"), 85.88);  // S3 / S2 × 100 to two decimals
    EXPECT_EQ(holdings().marketLabel(), "市值=2.04万");
    EXPECT_EQ(holdings().discountLabel(), "折扣总值=1.75万");

    // A second valuation finds the total rows and appends none.
    ASSERT_TRUE(holdings().calc());
    int markets = 0, discounts = 0;
    rowWithType("zzc", &markets);
    rowWithType("zzz", &discounts);
    EXPECT_EQ(markets, 1);
    EXPECT_EQ(discounts, 1);
}

TEST_F(HoldingsTest, WorkingValuesKeepTheirPrecisionAndRoundHalvesToEven) {
    const auto quoted = holding("b1", "z1", "600000", 200, 72.37, 72.37);
    const auto half = holding("b1", "z1", "600001", 1, 1, 2.5);
    const auto otherHalf = holding("b1", "z1", "600002", 1, 1, 3.5);
    const auto big = holding("b2", "z2", "600003", 1, 16777216, 16777216);
    const auto small = holding("b2", "z2", "600004", 1, 1, 1);
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_EQ(num(quoted, "COST1"), 14474);  // a double product, not 200 × float(72.37)
    EXPECT_EQ(num(half, "COST2"), 2);
    EXPECT_EQ(num(otherHalf, "COST2"), 4);
    EXPECT_EQ(num(big, "COST1"), 16777216);
    EXPECT_EQ(num(small, "COST1"), 1);
    // The totals are floats: 16777216 + 1 is lost in the sum, whatever order the rows come in.
    const double sum = 14474.0 + 1 + 1 + 16777216 + 1;
    EXPECT_NE(static_cast<double>(holdings().s1()), sum);
    EXPECT_EQ(holdings().s1(), f32(f32(f32(f32(f32(14474.0) + 1) + 1) + 16777216.0) + 1));
}

TEST_F(HoldingsTest, FillsDefaultsAndValuesRowsThatMoveInTheView) {
    // The cash row lacks its GDDM, which orders the holdings view: filling it in moves the row after
    // the holding, and the holding must still be valued.
    const auto money = row({{"QSDM", "b1"},
                            {"ZJZH", "z1"},
                            {"CODE", "xj"},
                            {"LX", "xj"},
                            {"NAME", "现金"},
                            {"AMT", 300.0},
                            {"PRICE1", 1.0},
                            {"PRICE2", 1.0}});
    const auto stock = row({{"QSDM", "b1"},
                            {"ZJZH", "z1"},
                            {"GDDM", "g1"},
                            {"CODE", "600000"},
                            {"LX", "ha"},
                            {"AMT", 100.0},
                            {"PRICE1", 10.0},
                            {"PRICE2", 11.0}});
    const auto loose = row({{"QSDM", "b1"},
                            {"CODE", "600000"},
                            {"LX", "ha"},
                            {"AMT", 10.0},
                            {"PRICE1", 10.0},
                            {"PRICE2", 10.0},
                            {"BIRATE", 0.0}});
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_TRUE(prompter.said.empty());

    EXPECT_EQ(txt(money, "GDDM"), "xj");
    EXPECT_EQ(txt(money, "QS"), "甲券商");
    EXPECT_EQ(txt(money, "DATE1"), "");  // cash rows keep no date
    EXPECT_EQ(num(money, "COST2"), 300);
    EXPECT_EQ(txt(stock, "NAME"), "浦发银行");
    EXPECT_EQ(txt(stock, "LXM"), "沪A股");
    EXPECT_EQ(txt(stock, "DATE1"), "2026-12-07");
    EXPECT_EQ(num(stock, "BS"), 1);
    EXPECT_EQ(num(stock, "ZK_RATE"), 1);  // an empty discount rate counts as none
    EXPECT_EQ(num(stock, "COST2"), 1100);
    EXPECT_EQ(num(stock, "SXF"), 1000 * static_cast<double>(0.003f));
    EXPECT_EQ(txt(loose, "ZJZH"), "?");
    EXPECT_EQ(txt(loose, "GDDM"), "?");
    EXPECT_EQ(num(loose, "BIRATE"), 1);
    EXPECT_EQ(num(loose, "COST2"), 100);
    EXPECT_EQ(num(loose, "SXF"), 100 * static_cast<double>(0.003f));
    EXPECT_EQ(holdings().s2(), 1500.0f);
}

TEST_F(HoldingsTest, StopsAtARowWithoutTypeOrAZeroTotal) {
    const auto first = holding("b1", "z1", "600000", 100, 10, 10);
    const auto untyped = row({{"QSDM", "b1"}, {"ZJZH", "z2"}, {"CODE", "600001"}, {"AMT", 1.0}});
    const auto after = holding("b2", "z1", "600002", 100, 10, 10);
    EXPECT_FALSE(holdings().up_calc());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Holdings::kNoType});
    EXPECT_TRUE(holdings().valuationPending());
    EXPECT_EQ(num(first, "COST1"), 1000);  // rows before it keep what was written
    EXPECT_TRUE(field(stored(after), "COST1").isNull());
    EXPECT_EQ(rowWithType("zzc"), 0);

    storage::Cursor c(session->kvt(), "tr2.DBF");
    ASSERT_TRUE(c.gotoBookmark({untyped}));
    c.remove();
    for (auto id : {first, after}) {
        ASSERT_TRUE(c.gotoBookmark({id}));
        c.setValue("AMT", 0.0);
        c.post();
    }
    prompter.messages.clear();
    EXPECT_FALSE(holdings().up_calc());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{Holdings::kZeroTotal});
    EXPECT_TRUE(holdings().valuationPending());
    EXPECT_EQ(rowWithType("zzc"), 0);
}

TEST_F(HoldingsTest, AsksAboutAZeroPriceAndCopesWithCostsThatCancelOut) {
    const auto unpriced = row({{"QSDM", "b1"},
                               {"QS", "甲"},
                               {"ZJZH", "z1"},
                               {"GDDM", "g1"},
                               {"CODE", "600000"},
                               {"NAME", "浦发"},
                               {"LX", "ha"},
                               {"LXM", "沪A股"},
                               {"AMT", 100.0},
                               {"PRICE1", 10.0},
                               {"PRICE2", 0.0},
                               {"DATE1", "2026-01-05"}});
    const auto sold = holding("b1", "z1", "600001", -100, 10, 8);
    prompter.expectAnswers({true});
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_EQ(prompter.questions, std::vector<std::string>{Holdings::zeroPriceQuestion("浦发")});
    EXPECT_EQ(num(unpriced, "PRICE2"), 10);
    EXPECT_EQ(num(unpriced, "COST2"), 1000);
    // The costs cancel out (S1 = 0) while the value does not: no ratio rather than an infinity.
    EXPECT_EQ(num(sold, "COST2"), -800);
    EXPECT_EQ(holdings().s1(), 0.0f);
    EXPECT_EQ(holdings().s2(), 200.0f);
    for (const char* total : {"zzc", "zzz"}) {
        const auto id = rowWithType(total);
        EXPECT_EQ(num(id, "PRICE2"), 0) << total;
        EXPECT_EQ(num(id, "INC"), 9999.9) << total;
        EXPECT_TRUE(std::isfinite(num(id, "INCOME"))) << total;
    }

    storage::Cursor c(session->kvt(), "tr2.DBF");
    ASSERT_TRUE(c.gotoBookmark({unpriced}));
    c.setValue("PRICE2", 0.0);
    c.post();
    prompter.expectAnswers({false});
    ASSERT_TRUE(holdings().up_calc());
    EXPECT_EQ(num(unpriced, "PRICE2"), 0);
    EXPECT_EQ(num(unpriced, "COST2"), 0);  // round(100 × (0 − 10) + 1000)
}

TEST_F(HoldingsTest, TheClosedViewNeverCountsIntoTheBook) {
    holding("b1", "z1", "600000", 100, 10, 12);
    const auto closed = row({{"WTH", "P2026091500"},
                             {"QSDM", "b1"},
                             {"ZJZH", "z1"},
                             {"CODE", "600001"},
                             {"LX", "ha"},
                             {"AMT", 500.0},
                             {"PRICE1", 10.0},
                             {"PRICE2", 20.0}});
    row({{"WTH", "P2026091500"},
         {"QSDM", "b1"},
         {"ZJZH", "z1"},
         {"CODE", "600002"},
         {"LX", "ha"},
         {"AMT", -500.0},
         {"PRICE1", 20.0},
         {"PRICE2", 20.0}});
    holdings().setView(Holdings::View::Closed);
    storage::Cursor& shown = holdings().ledger();
    ASSERT_EQ(shown.count(), 2);
    EXPECT_EQ(shown.position(), 1);  // the closed view opens on its last record
    shown.first();
    ASSERT_TRUE(holdings().calc());
    ASSERT_TRUE(holdings().calc());
    EXPECT_EQ(holdings().s2(), 1200.0f);
    EXPECT_EQ(holdings().view(), Holdings::View::Closed);
    EXPECT_EQ(shown.position(), 0);
    EXPECT_EQ(shown.bookmark().rowid, closed);
    EXPECT_TRUE(field(stored(closed), "COST1").isNull());
    int markets = 0;
    rowWithType("zzc", &markets);
    EXPECT_EQ(markets, 1);

    ASSERT_TRUE(holdings().up_calc());
    EXPECT_EQ(holdings().view(), Holdings::View::Holdings);
    EXPECT_EQ(shown.ordering(), "No_PC");
}

TEST_F(HoldingsTest, CashOfAnAccountAndItsCashRowAlone) {
    holding("b1", "z1", "600000", 100, 10, 10);
    cash("b1", "z1", -1500.75, "26120709301");  // a pending buy's frozen cash sorts before the cash row
    cash("b1", "z1", 8000.5);
    cash("b1", "z2", -20.9);
    EXPECT_EQ(holdings().zjzhxj("b1", "z1"), 6499);
    EXPECT_EQ(holdings().zjzhxj1("b1", "z1"), 8000);
    EXPECT_EQ(holdings().zjzhxj("b1", "z2"), -20);  // toward zero
    EXPECT_EQ(holdings().zjzhxj1("b1", "z2"), -20);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(holdings().zjzhxj("b9", "z1"), 0);
    EXPECT_EQ(holdings().zjzhxj1("b1", "z9"), 0);
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{Holdings::kNoAccount, Holdings::kNoAccount}));
    // From the closed view they still read the book.
    holdings().setView(Holdings::View::Closed);
    EXPECT_EQ(holdings().zjzhxj("b1", "z1"), 6499);
}

TEST_F(HoldingsTest, TheCreationLabelsComeFromTheStoredTotals) {
    holding("b1", "z1", "600000", 1000, 10, 12);
    ASSERT_TRUE(holdings().up_calc());
    ledger::Holdings again(engine, session->lookups(), prompter, clock);
    EXPECT_EQ(again.marketLabel(), "市价总值=1.2万");
    EXPECT_EQ(again.discountLabel(), "折扣总值=0.96万");
    EXPECT_TRUE(again.valuationPending());
    EXPECT_EQ(ledger::inTenThousands(2525652), "252.57");
    EXPECT_EQ(ledger::inTenThousands(-49), "0");
}

TEST_F(HoldingsTest, RecordOperations) {
    const auto source = row({{"WTH", "###"},
                             {"QSDM", "b1"},
                             {"QS", "甲"},
                             {"ZJZH", "z1"},
                             {"GDDM", "g1"},
                             {"CODE", "600000"},
                             {"LX", "ha"},
                             {"NAME", "浦发"},
                             {"AMT", 300.0},
                             {"PRICE1", 9.0},
                             {"DATE1", "2026-02-03"},
                             {"PRICE2", 10.5},
                             {"DATE2", "2026-12-04"},
                             {"ZK_RATE", 0.8},
                             {"LXM", "沪A股"},
                             {"NOTE", "备注"},
                             {"BS", -1},
                             {"BIRATE", 0.92},
                             {"SXF", 3.0}});
    storage::Cursor& c = holdings().ledger();
    ASSERT_TRUE(c.gotoBookmark({source}));
    ASSERT_TRUE(holdings().copy_buy_rec());
    const auto copy = c.bookmark().rowid;
    ASSERT_NE(copy, source);
    for (const char* f :
         {"WTH", "QSDM", "QS", "ZJZH", "GDDM", "CODE", "LX", "NAME", "AMT", "DATE1", "ZK_RATE", "LXM"})
        EXPECT_EQ(field(stored(copy), f), field(stored(source), f)) << f;
    EXPECT_EQ(num(copy, "PRICE1"), 10.5);
    EXPECT_EQ(num(copy, "PRICE2"), 10.5);
    EXPECT_EQ(num(copy, "COST1"), 3150);
    EXPECT_EQ(num(copy, "COST2"), 3150);
    for (const char* f : {"DATE2", "NOTE", "BS", "BIRATE", "SXF"})
        EXPECT_TRUE(field(stored(copy), f).isNull() || txt(copy, f).empty()) << f;

    const int before = c.count();
    holdings().setView(Holdings::View::Closed);
    holdings().insertBlank();
    EXPECT_EQ(holdings().view(), Holdings::View::Holdings);  // where the blank row can be seen
    EXPECT_EQ(c.count(), before + 1);
    EXPECT_EQ(c.text("WTH"), "");
    EXPECT_EQ(c.text("CODE"), "");

    ASSERT_TRUE(holdings().removeCurrent());
    EXPECT_EQ(c.count(), before);
    holdings().setView(Holdings::View::Closed);
    EXPECT_FALSE(holdings().removeCurrent());  // nothing to delete
    EXPECT_FALSE(holdings().copy_buy_rec());
}

TEST_F(HoldingsTest, TheNameFillerEndsWhenALookupGivesNothing) {
    add(session->lookups().brokers(), {{"Qsdm", "nn"}, {"Qs", ""}});  // a broker without a name
    const auto unnamed = row({{"QSDM", "b1"}, {"CODE", "600000"}, {"LX", "ha"}});
    const auto nameless =
        row({{"QSDM", "nn"}, {"CODE", "600000"}, {"NAME", "x"}, {"LX", "ha"}, {"LXM", "y"}});
    const auto last = row({{"QSDM", "zz"}, {"CODE", "600001"}, {"NAME", "x"}, {"QS", "y"}, {"LX", "qq"}});
    holdings().fillNames();
    EXPECT_EQ(txt(unnamed, "NAME"), "浦发银行");
    EXPECT_EQ(txt(unnamed, "QS"), "甲券商");
    EXPECT_EQ(txt(unnamed, "LXM"), "沪A股");
    EXPECT_EQ(txt(nameless, "QS"), "");  // tried once, passed over
    EXPECT_EQ(txt(last, "LXM"), "???");
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"找不到类型码为qq的类型名,需进入设置窗口补充！"});
    EXPECT_EQ(holdings().ledger().bookmark().rowid, last);  // the filler ends on the last record
}

}  // namespace
