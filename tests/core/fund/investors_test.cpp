#include <gtest/gtest.h>

#include "fund/capital_entry.h"
#include "investors_fixture.h"

using namespace varneth;
using fund::InvestmentTypes;

namespace {

using Texts = std::vector<std::string>;

class InvestorsTest : public testsupport::InvestorsFixture {
protected:
    void buy(const std::string& dt, const std::string& code, double input, double unit,
             const char* xabc = "y") {
        add(dt, code, input, {{"UNIT", unit}, {"PRICE", 1.0}, {"XABC", xabc}, {"CZXH", 0}, {"QSDM", "01"}});
    }
    void market(const std::string& dt, double price) { add(dt, "***", 0, {{"PRICE", price}, {"FUND", 0.0}}); }
};

TEST_F(InvestorsTest, ValuationRoundsHalvesToEvenAndMendsCodesSerialsAndSides) {
    base("2026-01-01");
    buy("2026-02-01", "aaa", 2, 5);
    buy("2026-02-02", "bbb", 3, 7, "Y");
    add("2026-02-03", "ccc", -4, {{"PRICE", 1.0}, {"NAME", "陈"}});
    market("2026-03-01", 0.5);
    manager().calc();
    const int a = find("aaa", "2026-02-01", 0), b = find("bbb", "2026-02-02", 0),
              c = find("ccc", "2026-02-03", 0, "s");
    EXPECT_EQ(at(a, "DMONEY"), 2);  // 2.5
    EXPECT_EQ(at(b, "DMONEY"), 4);  // 3.5
    EXPECT_EQ(textAt(b, "XABC"), "y");
    EXPECT_EQ(at(a, "L_PRICE"), 0.5);
    EXPECT_EQ((std::vector<double>{at(c, "DMONEY"), at(c, "L_PRICE")}), (std::vector<double>{-4, 1}));
    EXPECT_EQ(prompter.messages,
              Texts{"发现一个投资人记录(日期:2026-02-03投资人:陈)没有类型定义,且填以缺省类型y。"});
}

TEST_F(InvestorsTest, ValuationLeavesRowsOfUndefinedTypesAndZeroPricesAsTheyWere) {
    base("2026-01-01");
    buy("2026-02-01", "aaa", 100, 100, "q");
    add("2026-02-02", "bbb", 100, {{"UNIT", 100.0}, {"PRICE", 0.0}, {"XABC", "y"}, {"DMONEY", 7.0}});
    market("2026-03-01", 2);
    manager().calc();
    EXPECT_TRUE(value(find("aaa", "2026-02-01", 0), "DMONEY").isNull());
    EXPECT_EQ(at(find("bbb", "2026-02-02", 0), "DMONEY"), 7);
    EXPECT_EQ(
        prompter.messages,
        (Texts{"发现基金管理窗口中的一种投资类型: q(日期:2026-02-01投资人:),定义窗口中没有，请修改后再操作！",
               fund::FundManager::kZeroPrice}));
}

TEST_F(InvestorsTest, GuaranteedTypeOverAYearIsValuedInTheLedger) {
    defineType("g", {{"C5", true}, {"E9", 10.0}, {"E10", 50.0}});
    base("2025-01-01");
    buy("2025-03-01", "aaa", 1000, 1000, "g");
    market("2026-03-01", 1.04);
    manager().calc();
    EXPECT_EQ(at(find("aaa", "2025-03-01", 0), "DMONEY"), 1070);
}

TEST_F(InvestorsTest, CommissionDrawPairsAWithdrawalWithADepositAndSettlesTheOldBuyOnce) {
    defineType("a", {{"C2", true}, {"E3", 0.0}, {"E4", 20.0}});
    base("2025-01-01");
    buy("2025-12-07", "aaa", 1000, 1000, "a");
    add("2026-01-05", "bbb", -50,
        {{"PRICE", 1.0}, {"XABC", "a"}, {"CZXH", 0}});  // pending: never a candidate
    market("2026-12-07", 1.5);
    manager().show();
    ASSERT_TRUE(manager().searchCommission());
    storage::Cursor& t = manager().candidates();
    ASSERT_EQ(t.count(), 1);
    t.first();
    // Worth 1500 at market, 1400 after the 20 % commission on the gain: 12 % of 500 is drawn.
    EXPECT_EQ((std::vector<double>{t.number("FUND"), t.number("DMONEY"), t.number("Tich"), t.number("Bxfund"),
                                   t.number("PER")}),
              (std::vector<double>{1500, 1400, 60, 40, 50}));
    prompter.messages.clear();
    ASSERT_TRUE(manager().drawSelected(0));
    // bbb's unmatched withdrawal comes first in the ledger and uses number 1.
    const int w = find("aaa", "2026-12-07", 2, "s"), d = find("aaa", "2026-12-07", 0);
    ASSERT_GE(w, 0);
    ASSERT_GE(d, 0);
    EXPECT_EQ((std::vector<double>{at(w, "INPUT"), at(w, "UNIT"), at(w, "DMONEY"), at(w, "PRICE")}),
              (std::vector<double>{-1400, -1000, -1400, 1.5}));
    EXPECT_EQ((std::vector<double>{at(d, "INPUT"), at(d, "UNIT"), at(d, "DMONEY"), at(d, "PRICE")}),
              (std::vector<double>{1400, 933.333, 1400, 1.5}));
    EXPECT_GE(find("aaa", "2025-12-07", 2), 0);
    const int rows = count();
    prompter.messages.clear();
    EXPECT_FALSE(manager().drawAll());
    EXPECT_EQ(prompter.messages, Texts{fund::FundManager::kNoRecord});
    EXPECT_EQ(count(), rows);
}

TEST_F(InvestorsTest, TypeCheckTellsEveryConflictInOrder) {
    defineType("q", {{"Note", ""},
                     {"C1", true},
                     {"E4", -1.0},
                     {"C5", true},
                     {"E9", 5.0},
                     {"C2", true},
                     {"E3", 4.0},
                     {"C3", true},
                     {"E5", 4.0},
                     {"C4", true},
                     {"E7", 4.0},
                     {"C6", true}});
    InvestmentTypes& types = manager().types();
    ASSERT_TRUE(types.table().findKey({storage::Value("q")}));
    types.check();
    EXPECT_EQ(prompter.messages,
              (Texts{InvestmentTypes::kEmptyName, InvestmentTypes::kNoFee, InvestmentTypes::kNegative,
                     InvestmentTypes::kE3E9, InvestmentTypes::kE5E3, InvestmentTypes::kE7E5,
                     InvestmentTypes::kE11, InvestmentTypes::kCheckDone}));
}

TEST_F(InvestorsTest, DailyAndYearlyFixedFeesFollowEachOtherAndTickingCouples) {
    defineType("f", {});
    InvestmentTypes& types = manager().types();
    storage::Cursor& t = types.table();
    ASSERT_TRUE(t.findKey({storage::Value("f")}));
    ASSERT_TRUE(types.setField("C1", "1"));
    ASSERT_TRUE(types.setField("E1", "0.01"));
    EXPECT_DOUBLE_EQ(t.number("E2"), 3.65);
    ASSERT_TRUE(types.setField("E2", "36.5"));
    EXPECT_DOUBLE_EQ(t.number("E1"), 0.1);
    ASSERT_TRUE(types.setField("C7", "1"));
    ASSERT_TRUE(types.setField("C1", "0"));
    EXPECT_EQ((std::vector<double>{t.number("E1"), t.number("E2")}), (std::vector<double>{0, 0}));
    EXPECT_FALSE(t.logical("C7"));
    ASSERT_TRUE(types.setField("C5", "1"));
    EXPECT_TRUE(t.logical("C6"));
    EXPECT_FALSE(types.setField("E9", "abc"));
    EXPECT_EQ(t.number("E9"), 0);
}

TEST_F(InvestorsTest, LeavingTheTypeTabRestoresTypeYAndLowerCasesCodes) {
    ASSERT_TRUE(types->findKey({storage::Value("y")}));
    types->remove();
    defineType("B", {});
    manager().types().leave();
    EXPECT_EQ(prompter.messages, Texts{InvestmentTypes::kMissingY});
    EXPECT_TRUE(manager().types().table().findKey({storage::Value("y")}));
    EXPECT_TRUE(manager().types().table().findKey({storage::Value("b")}));
    EXPECT_EQ(manager().types().xabc_to_days("B"), 0);
}

// ---- capital in/out

class CapitalEntryTest : public InvestorsTest {
protected:
    void SetUp() override {
        InvestorsTest::SetUp();
        storage::Cursor book(session->kvt(), "tr2.DBF");
        book.append();
        for (const auto& [f, v] : std::initializer_list<Field>{{"WTH", ""},
                                                               {"QSDM", "01"},
                                                               {"ZJZH", "123"},
                                                               {"CODE", "xj"},
                                                               {"LX", "xj"},
                                                               {"AMT", 10000.0},
                                                               {"BIRATE", 2.0}})
            book.setValue(f, v);
        book.post();
    }
    fund::CapitalEntry& entry() {
        if (!in)
            in = std::make_unique<fund::CapitalEntry>(engine, manager(), fund(), session->lookups(), prompter,
                                                      clock);
        return *in;
    }
    double cash() {
        storage::Cursor book(session->kvt(), "tr2.DBF");
        book.locate("CODE", {storage::Value("xj")});
        return book.number("AMT");
    }
    std::unique_ptr<fund::CapitalEntry> in;
};

TEST_F(CapitalEntryTest, FillsFromTheSelectedBuyAndBooksTwoSameDayInvestmentsInTheSettlementCurrency) {
    defineType("a", {{"E11", 90.0}});
    base("2026-01-01");
    buy("2026-12-07", "lxh", 1234, 1234, "a");
    market("2026-12-07", 1);
    manager().show();
    ASSERT_TRUE(manager().findInvestor("lxh"));
    fund::CapitalForm form = entry().show(false);
    EXPECT_EQ((Texts{form.pycode, form.qsdm, form.zjzh, form.amount, form.available, form.date}),
              (Texts{"lxh", "01", "123", "-1234", "2027-03-07", "2026-12-07"}));
    EXPECT_EQ(form.current, 0);  // not yet 90 days held
    EXPECT_EQ(form.maturity, 1234);
    form.amount = "1000";
    const int rows = count();
    prompter.expectAnswers({true, true});
    ASSERT_TRUE(entry().confirm(form));
    ASSERT_TRUE(entry().confirm(form));
    EXPECT_EQ(count(), rows + 2);
    EXPECT_EQ(cash(), 10000 + 2 * 500);
    EXPECT_EQ(prompter.messages.back(), fund::CapitalEntry::kInvested);
}

TEST_F(CapitalEntryTest, BadInputIsRefusedBeforeAnythingIsWritten) {
    base("2026-01-01");
    buy("2026-02-01", "lxh", 1000, 1000);
    manager().show();
    ASSERT_TRUE(manager().findInvestor("lxh"));
    const fund::CapitalForm good = entry().show(false);
    const int rows = count();
    for (auto [field, text, said] :
         std::initializer_list<std::tuple<std::string fund::CapitalForm::*, const char*, const char*>>{
             {&fund::CapitalForm::amount, "12x", "'12x'不是有效的数值（投入资金(元)）"},
             {&fund::CapitalForm::date, "2026-02-30", "'2026-02-30'不是有效的日期（投入日期）"},
             {&fund::CapitalForm::xabc, "q", "投资类型q没有定义,放弃操作。"},
             {&fund::CapitalForm::pycode, " ", fund::CapitalEntry::kNoCode}}) {
        fund::CapitalForm form = good;
        form.*field = text;
        prompter.messages.clear();
        EXPECT_FALSE(entry().confirm(form));
        EXPECT_EQ(prompter.messages, Texts{said});
    }
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(count(), rows);
    EXPECT_EQ(cash(), 10000);
}

TEST_F(CapitalEntryTest, AWithdrawalIsSettledAtOnceAndMovesTheCashRow) {
    base("2026-01-01");
    buy("2026-02-01", "lxh", 3000, 3000);
    market("2026-12-07", 1);
    manager().show();
    ASSERT_TRUE(manager().findInvestor("lxh"));
    fund::CapitalForm form = entry().show(false);
    form.amount = "-1000";
    prompter.expectAnswers({true});
    ASSERT_TRUE(entry().confirm(form));
    EXPECT_EQ(cash(), 10000 - 500);
    EXPECT_EQ(at(find("lxh", "2026-02-01", 0), "INPUT"), 2000);
    EXPECT_EQ(at(find("lxh", "2026-12-07", 1, "s"), "UNIT"), -1000);
}

TEST_F(CapitalEntryTest, TheManagersFiguresComeFromARecomputedFundPrice) {
    base("2026-01-01");
    buy("2026-02-01", "lxh", 1000, 1000);
    add("2026-03-01", "@@@", 500, {{"PRICE", 1.0}, {"XABC", "y"}, {"CZXH", 0}});
    total = 2250.0f;
    table().first();
    fund().recompute();
    total = 2400.0f;  // the window's own recomputation sees a later valuation
    manager().show();
    ASSERT_TRUE(manager().findInvestor("@@@"));
    const fund::CapitalForm form = entry().show(false);
    EXPECT_EQ(form.unitsCaption, fund::CapitalEntry::kManagerCaption);
    EXPECT_EQ((std::vector<double>{form.units, form.current, form.maturity}),
              (std::vector<double>{500, 900, 900}));  // the investors hold 1500 of 2400
}

}  // namespace
