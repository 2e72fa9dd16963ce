#include "reference/maintenance.h"

#include "fund/fund_ledger.h"
#include "reference/settings_fixture.h"
#include "stats/chart_settings.h"
#include "text/numbers.h"

using namespace varneth;
using storage::Value;

namespace {

class MaintenanceTest : public testsupport::SettingsFixture {
protected:
    reference::Lookups& look() { return session->lookups(); }
    double listPrice(const char* code) {
        EXPECT_TRUE(look().holdingsPrices().locate("code", {code})) << code;
        return look().holdingsPrices().number("price2");
    }
    void currency(const char* code, double rate, bool now = false) {
        row(look().currencies(), {{"Code", code}, {"Name", code}, {"Rate", rate}, {"Now", now}});
    }
    double rate(const char* code) {
        EXPECT_TRUE(look().currencies().locate("Code", {code}));
        return look().currencies().number("Rate");
    }
};

TEST_F(MaintenanceTest, PresentValueOfADiscountedBondFollowsTheNoteComparedAsText) {
    const port::DateTime today{2026, 12, 7, 9, 0, 0};
    const std::optional<std::string> yearAhead = "2027-12-07";
    EXPECT_EQ(reference::Maintenance::presentValue(100, "4", yearAhead, today),
              text::roundScaled(100 / 1.04, 3));
    EXPECT_DOUBLE_EQ(reference::Maintenance::presentValue(100, "4", yearAhead, today), 96.154);
    EXPECT_EQ(reference::Maintenance::presentValue(100, "6", yearAhead, today), 100);     // "6" > "50"
    EXPECT_EQ(reference::Maintenance::presentValue(100, "0", yearAhead, today), 100);     // not above "0"
    EXPECT_EQ(reference::Maintenance::presentValue(100, "50", yearAhead, today), 100);    // not below "50"
    EXPECT_EQ(reference::Maintenance::presentValue(100, "4", "2026-12-07", today), 100);  // due today
    EXPECT_EQ(reference::Maintenance::presentValue(100, "4", "2026-11-30", today), 100);
    EXPECT_EQ(reference::Maintenance::presentValue(100, "4", std::nullopt, today), 100);
    EXPECT_EQ(reference::Maintenance::presentValue(100, "4x", yearAhead, today), 100);  // not a number
    // "45.5" sorts below "50" as text and is a rate.
    EXPECT_LT(reference::Maintenance::presentValue(100, "45.5", yearAhead, today), 70);
}

TEST_F(MaintenanceTest, PricesToLedgerAppendsMissingCodesOnceAndUpdatesEveryRecord) {
    listed("000001", 12.5);
    holding("a", "1", "000001", "A", 10);
    holding("b", "1", "600000", "A", 8);  // not listed yet: appended with its own price
    holding("c", "1", "300001", "A", 0);  // listed without price, general table has none: keeps 0
    holding("zzc", "zzc", "zzc", "zzc", 0);
    holding("d", "1", "510050", "dss", 100, {{"NOTE", "4"}, {"DATE2", "2027-12-07"}});
    listed("510050", 0);
    general("510050", "债", 100);
    bool reopened = false;
    settings->setHooks({{}, [&] { reopened = true; }});
    settings->pricesToLedger();
    EXPECT_TRUE(reopened);
    EXPECT_EQ(field("000001", "PRICE2").toDouble(), 12.5);
    EXPECT_EQ(field("000001", "NAME").toString(), "旧名");
    EXPECT_EQ(field("600000", "PRICE2").toDouble(), 8);
    EXPECT_EQ(listPrice("600000"), 8);
    EXPECT_EQ(field("300001", "PRICE2").toDouble(), 0);
    EXPECT_DOUBLE_EQ(field("510050", "PRICE2").toDouble(), 96.154);  // list had 0, the general table 100
    EXPECT_FALSE(look().holdingsPrices().locate("code", {"zzc"}));
    EXPECT_TRUE(prompter.said.empty());
}

TEST_F(MaintenanceTest, PricesToLedgerNeverWritesAZeroAndEndsOnACodeTheAppendCannotAdd) {
    listed("000001", 0);
    holding("a", "1", "000001", "A", 9.5);  // list 0, general 0: stays
    holding("b", "1", "000002", "zzz", 7);  // a code the append passes over
    holding("c", "1", "000003", "A", 3);
    general("000003", "三", 0);
    settings->pricesToLedger();
    EXPECT_EQ(field("000001", "PRICE2").toDouble(), 9.5);
    EXPECT_EQ(field("000002", "PRICE2").toDouble(), 7);
    EXPECT_EQ(field("000003", "PRICE2").toDouble(), 3);
    EXPECT_FALSE(look().holdingsPrices().locate("code", {"000002"}));
}

TEST_F(MaintenanceTest, RegeneratingThePriceListKeepsHeldCodesAndThoseFrom99Up) {
    listed("999999", 1);
    listed("000001", 2);
    listed("99", 3);
    listed("600000", 4);
    holding("a", "1", "600000", "A", 5);
    holding("a", "1", "000063", "A", 0);
    settings->regeneratePrices();
    auto& list = look().holdingsPrices();
    EXPECT_FALSE(list.locate("code", {"000001"}));
    EXPECT_TRUE(list.locate("code", {"999999"}));
    EXPECT_TRUE(list.locate("code", {"99"}));
    EXPECT_EQ(listPrice("600000"), 4);  // kept as it was, not re-added
    EXPECT_EQ(list.count(), 4);
    // The grid waits on the first row without a price for the user to type it.
    settings->appendPrices();
    EXPECT_EQ(list.text("code"), "000063");
}

TEST_F(MaintenanceTest, IndexLevelsAreTruncatedAndAMissingPriceKeepsTheLevel) {
    stats::ChartSettings(engine.database(storage::Alias::Curr))
        .setIndices({{"深成指", "399001"}, {"上证指数", "699001"}});
    storage::Cursor fund(engine.database(storage::Alias::Kvt), fund::FundLedger::kTable);
    while (!fund.isEmpty()) {
        fund.first();
        fund.remove();
    }
    general("399001", "深成指", 12500.99);
    listed("399001", 1);
    settings->pricesFromGeneral();  // an empty fund ledger is passed over, no row made
    EXPECT_TRUE(fund.isEmpty());
    EXPECT_EQ(listPrice("399001"), 12500.99);

    row(fund, {{"DT", "2026-12-01"}, {"PYCODE", "***"}, {"SZ", 1.0}, {"SHZ", 2.0}});
    row(fund, {{"DT", "2026-12-07"}, {"PYCODE", "***"}, {"SZ", 3.0}, {"SHZ", 4.0}});
    settings->pricesFromGeneral();
    fund.last();
    EXPECT_EQ(fund.number("SZ"), 12500);
    EXPECT_EQ(fund.number("SHZ"), 4);  // 699001 has no price
    fund.first();
    EXPECT_EQ(fund.number("SZ"), 1);
}

TEST_F(MaintenanceTest, FromGeneralTakesNamesAndNonZeroPricesForCodesUpTo999999) {
    listed("000001", 5);
    listed("000002", 6);
    listed("A00001", 7);  // sorts above "999999"
    general("000001", "平安银行", 0);
    general("000002", "万科", 7.25);
    general("A00001", "外", 9);
    settings->pricesFromGeneral();
    EXPECT_EQ(listPrice("000001"), 5);
    EXPECT_EQ(look().holdingsPrices().text("name"), "平安银行");
    EXPECT_EQ(listPrice("000002"), 7.25);
    EXPECT_EQ(listPrice("A00001"), 7);
}

TEST_F(MaintenanceTest, TypesAreAppendedUpToTheTotalsAndNamesStopAtTheFirstUnknownType) {
    row(look().types(), {{"Lx", "A"}, {"Lxm", "沪A股"}, {"Zk_rate", 0.9}});
    holding("a", "1", "000001", "A", 1, {{"ZK_RATE", 0.5}});
    holding("b", "1", "000002", "F", 1, {{"ZK_RATE", 0.0}});
    holding("zzc", "zzc", "zzc", "zzc", 0);
    holding("zzd", "1", "000003", "G", 1);  // after the totals: not reached
    EXPECT_EQ(settings->appendTypes(), 1);
    ASSERT_TRUE(look().findType("F"));
    EXPECT_EQ(look().types().number("Zk_rate"), 1);
    EXPECT_FALSE(look().findType("G"));

    EXPECT_TRUE(settings->updateTypeNames());  // stops silently on the totals
    EXPECT_EQ(field("000001", "LXM").toString(), "沪A股");
    EXPECT_EQ(field("000001", "ZK_RATE").toDouble(), 0.9);
    EXPECT_TRUE(prompter.said.empty());

    holding("a", "0", "000004", "Q", 1);  // sorts first
    EXPECT_FALSE(settings->updateTypeNames());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{reference::Maintenance::typeMissing("Q")});
}

TEST_F(MaintenanceTest, BrokersRegenerateFromTheLedgerAndNamesStopAtAnUnknownBroker) {
    row(look().brokers(), {{"Qsdm", "old"}, {"Qs", "旧"}});
    row(look().brokers(), {{"Qsdm", "htzq"}, {"Qs", "海通"}});
    holding("htzq", "1", "000001", "A", 1);
    holding("gtja", "1", "000002", "A", 1, {{"QS", "国泰"}});
    settings->regenerateBrokers();
    EXPECT_FALSE(look().brokers().locate("Qsdm", {"old"}));
    ASSERT_TRUE(look().brokers().locate("Qsdm", {"gtja"}));
    EXPECT_EQ(look().brokers().text("Qs"), "国泰");
    EXPECT_TRUE(settings->fillBrokerNames());
    EXPECT_EQ(field("000001", "QS").toString(), "海通");

    holding("xxxx", "1", "000003", "A", 1);
    EXPECT_FALSE(settings->fillBrokerNames());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{reference::Maintenance::kBrokerMissing});
}

TEST_F(MaintenanceTest, RulesWithUnequalRangesAskOncePerRecordThatReachesThem) {
    row(look().rules(),
        {{"Order", 1}, {"Code1", "600000"}, {"Code2", "609999"}, {"Lx", "A"}, {"Lxm", "沪A"}});
    row(look().rules(), {{"Order", 2}, {"Code1", "00000"}, {"Code2", "009999"}, {"Lx", "B"}, {"Lxm", "深A"}});
    holding("a", "1", "600001", "?", 1);  // matched by the first rule: never reaches the second
    holding("a", "2", "000001", "?", 1);  // reaches the second: asked, matches nothing
    holding("a", "3", "000002", "?", 1);
    prompter.expectAnswers({true, true});
    EXPECT_TRUE(settings->applyRules());
    EXPECT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(field("600001", "LX").toString(), "A");
    EXPECT_EQ(field("600001", "LXM").toString(), "沪A");
    EXPECT_EQ(field("000001", "LX").toString(), "?");

    prompter.expectAnswers({false});  // No ends the whole action
    EXPECT_FALSE(settings->applyRules());
    EXPECT_EQ(prompter.questions.size(), 3u);

    holding("a", "4", "300001", "C", 1, {{"LXM", "创业"}});
    EXPECT_EQ(settings->appendRuleTypes(), 2);  // "?" and "C"
    EXPECT_EQ(prompter.messages, std::vector<std::string>{reference::Maintenance::kRulesAdded});
    EXPECT_EQ(settings->appendRuleTypes(), 0);
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(MaintenanceTest, SettlementChangeDividesEveryRateAndRoundsHalvesToEven) {
    currency("usd", 1, true);
    currency("rmb", 8);
    currency("a", 0.002);   // 2.5 ten-thousandths: to 2
    currency("b", 0.0028);  // 3.5: to 4
    currency("c", 0.0012);  // 1.4999...: computed in double, to 1
    row(look().accountCurrencies(), {{"Qsdm", "a"}, {"Zjzh", "1"}, {"Bicode", "USD"}});
    holding("a", "1", "000001", "A", 1, {{"BIRATE", 1.0}});
    holding("a", "2", "000002", "A", 1, {{"BIRATE", 5.0}});  // no account row: the settlement's rate 1
    ASSERT_TRUE(look().currencies().locate("Code", {"rmb"}));
    ASSERT_TRUE(settings->setSettlement());
    EXPECT_EQ(rate("usd"), 0.125);
    EXPECT_EQ(rate("rmb"), 1);
    EXPECT_EQ(rate("a"), 2 * 0.0001);
    EXPECT_EQ(rate("b"), 4 * 0.0001);
    EXPECT_EQ(rate("c"), 1 * 0.0001);
    EXPECT_EQ(look().settlementCode(), "rmb");
    EXPECT_TRUE(look().currencies().locate("Code", {"usd"}));
    EXPECT_FALSE(look().currencies().logical("Now"));
    EXPECT_EQ(field("000001", "BIRATE").toDouble(), 0.125);
    EXPECT_EQ(field("000002", "BIRATE").toDouble(), 1);
}

TEST_F(MaintenanceTest, AZeroRateIsNoSettlementCurrency) {
    currency("usd", 1, true);
    currency("zer", 0);
    ASSERT_TRUE(look().currencies().locate("Code", {"zer"}));
    EXPECT_FALSE(settings->setSettlement());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{reference::Maintenance::kZeroRate});
    EXPECT_EQ(rate("usd"), 1);
    EXPECT_TRUE(look().currencies().logical("Now"));
}

TEST_F(MaintenanceTest, AccountsAreAppendedOncePerPairAndAnEmptyCurrencyIsAskedFor) {
    row(look().accountCurrencies(), {{"Qsdm", "gone"}, {"Zjzh", "9"}, {"Bicode", "usd"}});
    holding("a", "1", "000001", "A", 1);
    holding("a", "1", "000002", "A", 1);
    holding("zzc", "zzc", "zzc", "zzc", 0);
    settings->regenerateAccounts();
    EXPECT_EQ(look().accountCurrencies().count(), 1);
    EXPECT_TRUE(look().accountCurrencies().locate("Qsdm;Zjzh", {"a", "1"}));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{reference::Maintenance::kFillCurrency});
}

}  // namespace
