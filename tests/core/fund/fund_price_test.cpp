#include <gtest/gtest.h>

#include "fund/fund_ledger.h"
#include "fund/fund_report.h"
#include "fund_fixture.h"
#include "text/dates.h"

using namespace varneth;
using fund::FundLedger;
using fund::generalText;

namespace {

class FundPriceTest : public testsupport::FundFixture {
protected:
    // A manager row that starts every case's ledger, so opening the module adds none.
    void base(const std::string& dt, double price, double fundValue) {
        add(dt, "@@@", 0, {{"PRICE", price}, {"FUND", fundValue}, {"Num", 1}, {"UNIT", 0.0}, {"CZXH", 0}});
    }
    // "重算基金价格" from the first row, with a valuation that stops: the passes alone.
    void passFromFirst() {
        fund().table().first();
        fund().recompute();
    }
    int marketRowsOn(const std::string& day) {
        int n = 0;
        for (int i = 0; i < count(); ++i) n += textAt(i, "DT") == day && textAt(i, "PYCODE") == "***";
        return n;
    }
    int rowOf(const std::string& pycode) {
        for (int i = 0; i < count(); ++i)
            if (textAt(i, "PYCODE") == pycode) return i;
        return -1;
    }
};

TEST_F(FundPriceTest, CapitalRowsTakeTheCarriedPriceToThreeDecimalsAndUnitsAtIt) {
    base("2026-03-01", 1.2346, 5000);
    add("2026-03-02", "lxh", 1000);
    add("2026-03-03", "lxh", 20000000);
    add("2026-03-04", "lxh", -1000);
    add("2026-03-05", "lxh", 0, {{"UNIT", 55.0}, {"CZXH", 3}});
    add("2026-03-06", "@@@", 0, {{"UNIT", 55.0}});
    add("2026-03-07", "wjg", 1);
    add("2026-03-08", "wjg", 1);
    add("2026-03-09", "wjg", 1234.99);
    add("2026-03-10", "wjg", -1234.99);
    passFromFirst();
    EXPECT_TRUE(prompter.said.empty());

    EXPECT_EQ(at(1, "PRICE"), 1235 * 0.001);
    EXPECT_EQ(generalText(at(1, "PRICE")), "1.235");
    EXPECT_EQ(at(1, "UNIT"), 80972 * 0.01);
    EXPECT_EQ(generalText(at(1, "UNIT")), "809.72");
    EXPECT_EQ(at(1, "FUND"), 6000);
    EXPECT_EQ(at(1, "INC"), 0);
    EXPECT_EQ(textAt(1, "CZXH"), "0");  // an empty withdrawal number becomes 0

    EXPECT_EQ(at(2, "UNIT"), 16194332);  // above ten million: whole units
    EXPECT_EQ(at(3, "UNIT"), -80972 * 0.01);  // money out cancels units
    EXPECT_EQ(at(4, "UNIT"), 55);  // nothing in or out: units stay
    EXPECT_EQ(at(4, "CZXH"), 3);
    EXPECT_EQ(at(5, "UNIT"), 0);  // but a manager row always gets them computed

    // The fund value is carried as a 32-bit float: 20005001 is kept as 20005000.
    EXPECT_EQ(at(6, "FUND"), 20005001);
    EXPECT_EQ(at(7, "FUND"), 20005001);

    EXPECT_EQ(at(8, "INPUT"), 1234);  // truncated toward zero
    EXPECT_EQ(at(9, "INPUT"), -1234);
}

TEST_F(FundPriceTest, MarketRowsMoveThePriceByTheGrowthOfTheFundValue) {
    base("2026-03-01", 1, 10000);
    add("2026-03-02", "***", 500);
    add("2026-03-03", "***", -1050);
    passFromFirst();
    EXPECT_EQ(at(1, "FUND"), 10500);
    EXPECT_EQ(at(1, "INC"), 5);
    EXPECT_EQ(at(1, "PRICE"), 10500 * 0.0001);
    EXPECT_EQ(at(2, "FUND"), 9450);
    EXPECT_EQ(at(2, "INC"), -10);
    EXPECT_EQ(at(2, "PRICE"), 9450 * 0.0001);  // 0.9450000000000001, as the scaled rounding gives it
    EXPECT_EQ(generalText(at(2, "PRICE")), "0.945");
}

TEST_F(FundPriceTest, AMarketRowAfterAFundOfZeroKeepsThePriceAndItsGrowth) {
    base("2026-03-01", 1.1, 0);
    add("2026-03-02", "***", 300, {{"INC", 7.0}});
    passFromFirst();
    EXPECT_EQ(at(1, "PRICE"), static_cast<double>(1.1f));
    EXPECT_EQ(at(1, "INC"), 7);
    EXPECT_EQ(at(1, "FUND"), 300);
}

TEST_F(FundPriceTest, TheNewestRecomputationRedoesTheLastFifteenRows) {
    base("2026-01-01", 1, 0);
    for (int i = 1; i < 30; ++i) add(text::Date{2026, 1, 1}.addDays(i).iso(), "lxh", 100);
    passFromFirst();
    storage::Cursor& t = table();
    t.moveTo(14);
    t.setValue("UNIT", 1.0);
    t.moveTo(15);
    t.setValue("UNIT", 1.0);
    t.post();
    t.last();
    fund().recompute();
    EXPECT_EQ(at(15, "UNIT"), 100);  // 15 rows from the end
    EXPECT_EQ(at(14, "UNIT"), 1);    // the base of that pass is not recomputed
}

TEST_F(FundPriceTest, AWrongDateEndsThePassWithoutRenumbering) {
    base("2026-03-01", 1, 0);
    add("2026-03-02", "lxh", 1000, {{"Num", 0}});
    add("2051-01-01", "lxh", 500);
    passFromFirst();
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{FundLedger::kBadDate, FundLedger::kBadDate}));
    EXPECT_EQ(at(1, "FUND"), 1000);  // rows before it keep their new values
    EXPECT_EQ(at(1, "Num"), 0);
    EXPECT_TRUE(table().valueAt(2, table().fieldIndex("FUND")).isNull());
}

TEST_F(FundPriceTest, AFailureInThePassIsToldAndTheRowsAreStillNumbered) {
    base("2026-03-01", 0, 0);  // no price to carry: units would divide by zero
    add("2026-03-02", "lxh", 1000);
    passFromFirst();
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages[0], std::string(FundLedger::kErrorPrefix) + "浮点数除以零");
    EXPECT_TRUE(table().valueAt(1, table().fieldIndex("UNIT")).isNull());  // the failed row is not written
    EXPECT_EQ(at(1, "Num"), 2);
}

TEST_F(FundPriceTest, TodaysMarketRowTakesTheGainWithoutTodaysMoneyAndIsReusedTheSameDay) {
    base("2026-12-01", 1, 0);
    add("2026-12-02", "@@@", 100000);
    add("2026-12-07", "$123", 2000);  // before the market row in key order
    add("2026-12-07", "lxh", 5000);   // after it
    total = 110000;
    ASSERT_TRUE(fund().show());
    ASSERT_EQ(marketRowsOn("2026-12-07"), 1);
    int m = rowOf("***");
    EXPECT_EQ(textAt(m - 1, "PYCODE"), "$123");
    EXPECT_EQ(textAt(m, "NAME"), "市场");
    EXPECT_EQ(at(m, "INPUT"), 3000);  // 110000 - 5000 - 2000 - 100000
    EXPECT_EQ(at(m, "FUND"), 105000);
    EXPECT_EQ(at(m, "INC"), 294 * 0.01);
    EXPECT_EQ(at(m, "PRICE"), 10294 * 0.0001);
    int l = rowOf("lxh");
    EXPECT_EQ(at(l, "PRICE"), 1029 * 0.001);
    EXPECT_EQ(at(l, "UNIT"), 485909 * 0.01);
    EXPECT_EQ(at(l, "FUND"), 110000);  // the fund ends at the valuation's total

    // Again the same day: the same row, against FUND of the row before it.
    total = 111000;
    fund().show();
    EXPECT_EQ(marketRowsOn("2026-12-07"), 1);
    m = rowOf("***");
    EXPECT_EQ(at(m, "INPUT"), 4000);  // 111000 - 5000 - 102000
    EXPECT_EQ(at(m, "INC"), 392 * 0.01);

    // The discounted total is a 32-bit float, and so is every step of taking today's money off it.
    add("2026-12-07", "wjg", 3);
    total = 30000000.0f;
    fund().show();
    EXPECT_EQ(at(rowOf("***"), "INPUT"), 29892996);  // float(3e7 - 3) is 29999996
    EXPECT_EQ(count(), 6);
}

TEST_F(FundPriceTest, AStoppedValuationOrARowAfterTodayWritesNoMarketRow) {
    base("2026-12-01", 1, 0);
    add("2026-12-02", "@@@", 100000);
    total = std::nullopt;
    EXPECT_FALSE(fund().show());
    EXPECT_EQ(marketRowsOn("2026-12-07"), 0);
    EXPECT_TRUE(prompter.said.empty());

    total = 120000;
    fund().show();
    ASSERT_EQ(marketRowsOn("2026-12-07"), 1);
    total = std::nullopt;
    fund().show();
    EXPECT_EQ(at(rowOf("***"), "INPUT"), 20000);  // left as the last finished valuation made it

    add("2026-12-08", "lxh", 10);
    total = 500000;
    fund().show();
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{FundLedger::kFutureRow}));
    EXPECT_EQ(at(rowOf("***"), "INPUT"), 20000);
}

TEST_F(FundPriceTest, OpeningALedgerWithoutManagerRowCreatesOneTheDayBeforeTheFirstRow) {
    add("2026-03-02", "lxh", 1000, {{"SZ", 0.0}});
    add("2026-03-03", "***", 100, {{"SZ", 12000.0}, {"SHZ", 3500.0}});
    fund();
    ASSERT_EQ(count(), 3);
    EXPECT_EQ(textAt(0, "DT"), "2026-03-01");
    EXPECT_EQ(textAt(0, "PYCODE"), "@@@");
    EXPECT_EQ(textAt(0, "NAME"), "管理人");
    EXPECT_EQ(textAt(0, "XABC"), "y");
    EXPECT_EQ(at(0, "PRICE"), 1);
    EXPECT_EQ(at(0, "UNIT"), 0);
    EXPECT_EQ(at(0, "Num"), 1);
    EXPECT_EQ(at(0, "SZ"), 12000);
    EXPECT_EQ(at(0, "SHZ"), 3500);
    // and the pass ran from it
    EXPECT_EQ(at(1, "UNIT"), 1000);
    EXPECT_EQ(at(1, "Num"), 2);
    EXPECT_EQ(at(2, "PRICE"), 11000 * 0.0001);
    EXPECT_EQ(table().position(), 2);

    ledger.reset();  // the next login finds it
    fund();
    EXPECT_EQ(count(), 3);
}

TEST_F(FundPriceTest, AnEmptyLedgerGetsAManagerRowDatedYesterdayAndDefaultIndexLevels) {
    fund();
    ASSERT_EQ(count(), 1);
    EXPECT_EQ(textAt(0, "DT"), "2026-12-06");
    EXPECT_EQ(at(0, "SZ"), 3000);
    EXPECT_EQ(at(0, "SHZ"), 1300);
    EXPECT_EQ(fund().firstIndexTitle(), "深指");  // the bare directory names no index
}

}  // namespace
