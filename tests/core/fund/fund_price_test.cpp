#include <gtest/gtest.h>

#include "fund_fixture.h"
#include "text/dates.h"
#include "text/numbers.h"

using namespace varneth;
using fund::FundLedger;
using Texts = std::vector<std::string>;

namespace {

class FundPriceTest : public testsupport::FundFixture {
protected:
    // "重算基金价格" from the first row; with no total the valuation stops, leaving the passes alone.
    void passFromFirst() {
        table().first();
        fund().recompute();
    }
    std::string day(int i) { return text::Date{2026, 3, 1}.addDays(i).iso(); }
    double market(const char* field) {
        for (int i = 0; i < count(); ++i)
            if (textAt(i, "PYCODE") == "***") return at(i, field);
        return -1;
    }
};

TEST_F(FundPriceTest, CapitalRowsTakeTheCarriedPriceToThreeDecimalsAndUnitsAtIt) {
    struct Case {
        const char* pycode;
        double input, oldUnit, wantInput, wantUnit, wantFund;
    } const cases[] = {
        {"lxh", 1000, 0, 1000, 80972 * 0.01, 6000},                      // 809.72 at 1.235
        {"lxh", 20000000, 0, 20000000, 16194332, 20006000},              // above ten million: whole units
        {"lxh", -1000, 0, -1000, -80972 * 0.01, 20005000},               // money out cancels units
        {"lxh", 0, 55, 0, 55, 20005000},                                 // nothing in or out: units stay
        {"@@@", 0, 55, 0, 0, 20005000},                                  // but a manager row's are computed
        {"wjg", 1, 0, 1, 0.81, 20005001},                                // FUND carried as a float: 20005000
        {"wjg", 1, 0, 1, 0.81, 20005001},                                //
        {"wjg", 1234.99, 0, 1234, 99919 * 0.01, 20006234},               // truncated toward zero
        {"wjg", -1234.99, 0, -1234, -99919 * 0.01, 20005000},            //
        {"wjg", -30000000, 0, -30000000, -2429149798 * 0.01, -9995000},  // hundredths past 32 bits
    };
    base(day(0), 1.2346, 5000);
    for (int i = 0; i < std::ssize(cases); ++i)
        add(day(i + 1), cases[i].pycode, cases[i].input,
            {{"UNIT", cases[i].oldUnit}, {"CZXH", i == 3 ? 3 : 0}});
    passFromFirst();
    EXPECT_TRUE(prompter.said.empty());
    for (int i = 0; i < std::ssize(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ((std::vector{at(i + 1, "INPUT"), at(i + 1, "UNIT"), at(i + 1, "FUND"), at(i + 1, "PRICE")}),
                  (std::vector{cases[i].wantInput, cases[i].wantUnit, cases[i].wantFund, 1235 * 0.001}));
    }
    EXPECT_EQ(text::plainText(at(1, "UNIT")), "809.72");
    EXPECT_EQ(at(4, "CZXH"), 3);
}

TEST_F(FundPriceTest, MarketRowsMoveThePriceByTheGrowthOfTheFundValueUnlessItWasZero) {
    base(day(0), 1, 10000);
    add(day(1), "***", 500);
    add(day(2), "***", -1050);
    add(day(3), "@@@", -9450);
    add(day(4), "***", 300, {{"INC", 7.0}});
    passFromFirst();
    EXPECT_EQ((std::vector{at(1, "INC"), at(1, "PRICE"), at(2, "INC")}),
              (std::vector{5.0, 10500 * 0.0001, -10.0}));
    EXPECT_EQ(text::plainText(at(2, "PRICE")), "0.945");     // 0.9450000000000001, as the scaling gives it
    EXPECT_EQ(at(4, "PRICE"), static_cast<double>(0.945f));  // after a fund of 0: the carried float
    EXPECT_EQ(at(4, "INC"), 7);
}

TEST_F(FundPriceTest, TheNewestRecomputationRedoesTheLastFifteenRows) {
    base(day(0));
    for (int i = 1; i < 30; ++i) add(day(i), "lxh", 100);
    passFromFirst();
    for (int i : {14, 15}) {
        table().moveTo(i);
        table().setValue("UNIT", 1.0);
    }
    table().last();
    fund().recompute();
    EXPECT_EQ(at(15, "UNIT"), 100);  // 15 rows from the end
    EXPECT_EQ(at(14, "UNIT"), 1);    // the base of that pass
}

TEST_F(FundPriceTest, AWrongDateEndsThePassWithoutRenumbering) {
    base(day(0));
    add(day(1), "lxh", 1000, {{"Num", 0}});
    add("2051-01-01", "lxh", 500);
    passFromFirst();
    EXPECT_EQ(prompter.messages, (Texts{FundLedger::kBadDate, FundLedger::kBadDate}));
    EXPECT_EQ((std::vector{at(1, "FUND"), at(1, "Num")}),
              (std::vector{1000.0, 0.0}));  // new values, no number
    EXPECT_TRUE(value(2, "FUND").isNull());
}

TEST_F(FundPriceTest, TodaysMarketRowTakesTheGainWithoutTodaysMoneyAndIsReusedTheSameDay) {
    base("2026-12-01");
    add("2026-12-02", "@@@", 100000);
    add("2026-12-07", "$123", 2000);  // before the market row in key order
    add("2026-12-07", "lxh", 5000);   // after it
    total = 110000;
    ASSERT_TRUE(fund().show());
    EXPECT_EQ(Texts({textAt(3, "PYCODE"), textAt(3, "NAME")}), Texts({"***", "市场"}));
    EXPECT_EQ(market("INPUT"), 3000);  // 110000 - 5000 - 2000 - 100000
    EXPECT_EQ((std::vector{market("INC"), market("PRICE")}), (std::vector{294 * 0.01, 10294 * 0.0001}));
    EXPECT_EQ((std::vector{at(4, "UNIT"), at(4, "FUND")}), (std::vector{485909 * 0.01, 110000.0}));

    total = 111000;  // again the same day: the same row, against FUND of the row before it
    fund().show();
    EXPECT_EQ(market("INPUT"), 4000);
    EXPECT_EQ(count(), 5);
    add("2026-12-07", "wjg", 3);
    total = 30000000.0f;  // the total and every step of taking today's money off it are floats
    fund().show();
    EXPECT_EQ(market("INPUT"), 29892996);  // float(3e7 - 3) is 29999996
}

TEST_F(FundPriceTest, AStoppedValuationOrARowAfterTodayWritesNoMarketRow) {
    base("2026-12-01");
    add("2026-12-02", "@@@", 100000);
    EXPECT_FALSE(fund().show());
    EXPECT_EQ(count(), 2);
    total = 120000;
    fund().show();
    total = std::nullopt;
    fund().show();
    EXPECT_EQ(market("INPUT"), 20000);  // as the last finished valuation left it
    add("2026-12-08", "lxh", 10);
    total = 500000;
    fund().show();
    EXPECT_EQ(prompter.messages, (Texts{FundLedger::kFutureRow}));
    EXPECT_EQ(market("INPUT"), 20000);
}

TEST_F(FundPriceTest, ALedgerWithoutManagerRowGetsOneTheDayBeforeItsFirstRow) {
    add("2026-03-02", "lxh", 1000, {{"SZ", 0.0}});
    add("2026-03-03", "***", 100, {{"SZ", 12000.0}, {"SHZ", 3500.0}});
    ASSERT_EQ(count(), 3);
    EXPECT_EQ(textAt(0, "DT") + textAt(0, "PYCODE") + textAt(0, "NAME") + textAt(0, "XABC"),
              "2026-03-01@@@管理人y");
    EXPECT_EQ((std::vector{at(0, "PRICE"), at(0, "UNIT"), at(0, "Num"), at(0, "SZ"), at(0, "SHZ")}),
              (std::vector<double>{1, 0, 1, 12000, 3500}));
    EXPECT_EQ((std::vector{at(1, "UNIT"), at(1, "Num")}), (std::vector{1000.0, 2.0}));  // a pass ran from it
    ledger.reset();  // the next login finds it
    EXPECT_EQ(count(), 3);
    for (rows->first(); !rows->isEmpty();) rows->remove();
    ledger.reset();  // an empty ledger: yesterday, and the default levels
    EXPECT_EQ(Texts({textAt(0, "DT"), textAt(0, "SZ"), textAt(0, "SHZ")}),
              Texts({"2026-12-06", "3000", "1300"}));
}

}  // namespace
