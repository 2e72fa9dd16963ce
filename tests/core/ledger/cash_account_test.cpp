#include "ledger/cash_account.h"

#include "ledger_fixture.h"

using namespace varneth;
using ledger::CashAccount;

namespace {

class CashAccountTest : public testsupport::LedgerFixture {
protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        storage::Cursor& bi = session->lookups().currencies();
        bi.append();
        bi.setValue("Code", "usd");
        bi.setValue("Name", "美元");
        bi.setValue("Rate", 7.12);
        bi.post();
        account = std::make_unique<CashAccount>(engine, session->lookups(), prompter);
    }
    void fill(const char* qsdm, const char* zjzh, const char* amt, const char* bi) {
        auto& f = account->form();
        account->brokerPicked(qsdm);
        f.zjzh = zjzh;
        f.amt = amt;
        f.bi = bi;
    }

    std::unique_ptr<CashAccount> account;
};

TEST_F(CashAccountTest, MissingOrUnreadableFieldsAndKnownAccountsAreRefused) {
    const int before = rowCount();
    struct Case {
        const char *qsdm, *qs, *zjzh, *amt, *bi, *said;
    } cases[] = {
        {" ", "华泰", "1", "0", "rmb", CashAccount::kNoBrokerCode},
        {"htzq", "", "1", "0", "rmb", CashAccount::kNoBrokerName},
        {"htzq", "华泰", "", "0", "rmb", CashAccount::kNoAccount},
        {"htzq", "华泰", "1", "0", "", CashAccount::kNoCurrency},
        {"htzq", "华泰", "1", "0", "eur", CashAccount::kNoCurrency},
        {"htzq", "华泰", "1", "1,000", "rmb", CashAccount::kBadAmount},
        {"htzq", "华泰", "1", "1e999", "rmb", CashAccount::kBadAmount},
        // Any row of the account counts, a closed-out one too.
        {"zxzq", "中信", "77", "0", "rmb", CashAccount::kExists},
    };
    row("WTH;QSDM;ZJZH;CODE", {"P2026010100", "zxzq", "77", "600000"});
    for (const auto& k : cases) {
        prompter.messages.clear();
        auto& f = account->form();
        f = {k.qsdm, k.qs, k.zjzh, k.amt, k.bi};
        EXPECT_FALSE(account->create());
        EXPECT_EQ(prompter.messages, std::vector<std::string>{k.said}) << k.amt;
    }
    EXPECT_EQ(rowCount(), before + 1);
    EXPECT_EQ(session->lookups().accountCurrencies().count(), 1);
}

TEST_F(CashAccountTest, TheCurrencyIsWrittenFirstSoTheCashRowCarriesItsRate) {
    EXPECT_EQ(account->form().amt, "0");
    fill("htzq", "555", " ", "usd");
    EXPECT_EQ(account->form().qs, "华泰");
    EXPECT_TRUE(account->create());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{CashAccount::kCreated});
    const auto made = rowsWhere("ZJZH", "555");
    ASSERT_EQ(made.size(), 1u);
    expectFields(made[0], "QSDM;QS;CODE;LX;NAME;LXM;AMT;BIRATE",
                 {"htzq", "华泰", "xj", "xj", "现金", "现金", 0.0, static_cast<double>(7.12f)});
    EXPECT_EQ(session->lookups().zjzh_to_bi("htzq", "555"), "usd");

    // A currency row left by an account that is gone from the ledger takes the new choice.
    storage::Cursor& zh = session->lookups().accountCurrencies();
    zh.append();
    zh.setValue("Qsdm", "gfzq");
    zh.setValue("Zjzh", "9");
    zh.setValue("Bicode", "usd");
    zh.post();
    fill("gfzq", "9", "2500.5", "rmb");
    EXPECT_TRUE(account->create());
    expectFields(rowsWhere("ZJZH", "9").at(0), "AMT;BIRATE", {2500.5, 1.0});
    EXPECT_EQ(session->lookups().zjzh_to_bi("gfzq", "9"), "rmb");
}

}  // namespace
