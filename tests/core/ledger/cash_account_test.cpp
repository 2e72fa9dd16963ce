#include "ledger/cash_account.h"

#include <gtest/gtest.h>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"

using namespace varneth;
using ledger::CashAccount;

namespace {

class CashAccountTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/false);
        login = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        ASSERT_TRUE(login->start());
        session = login->enter("我的帐户", "");
        ASSERT_NE(session, nullptr);
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
    int rows() {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        return c.count();
    }

    testsupport::TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
    std::unique_ptr<CashAccount> account;
};

TEST_F(CashAccountTest, MissingOrUnreadableFieldsAndKnownAccountsAreRefused) {
    const int before = rows();
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
    storage::Cursor c(session->kvt(), "tr2.DBF");
    c.append();
    c.setValue("WTH", "P2026010100");
    c.setValue("QSDM", "zxzq");
    c.setValue("ZJZH", "77");
    c.setValue("CODE", "600000");
    c.post();
    for (const auto& k : cases) {
        prompter.messages.clear();
        auto& f = account->form();
        f = {k.qsdm, k.qs, k.zjzh, k.amt, k.bi};
        EXPECT_FALSE(account->create());
        EXPECT_EQ(prompter.messages, std::vector<std::string>{k.said}) << k.amt;
    }
    EXPECT_EQ(rows(), before + 1);
    EXPECT_EQ(session->lookups().accountCurrencies().count(), 1);
}

TEST_F(CashAccountTest, TheCurrencyIsWrittenFirstSoTheCashRowCarriesItsRate) {
    EXPECT_EQ(account->form().amt, "0");
    fill("htzq", "555", " ", "usd");
    EXPECT_EQ(account->form().qs, "华泰");
    EXPECT_TRUE(account->create());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{CashAccount::kCreated});
    storage::Cursor c(session->kvt(), "tr2.DBF");
    ASSERT_TRUE(c.locate("QSDM;ZJZH", {"htzq", "555"}));
    EXPECT_EQ(c.number("AMT"), 0.0);
    EXPECT_FALSE(c.value("AMT").isNull());
    EXPECT_EQ(c.number("BIRATE"), static_cast<double>(7.12f));
    EXPECT_EQ(c.text("QS"), "华泰");
    EXPECT_EQ(c.text("CODE"), "xj");
    EXPECT_EQ(c.text("LX"), "xj");
    EXPECT_EQ(c.text("NAME"), "现金");
    EXPECT_EQ(c.text("LXM"), "现金");
    EXPECT_EQ(c.text("WTH"), "");
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
    ASSERT_TRUE(c.locate("QSDM;ZJZH", {"gfzq", "9"}));
    EXPECT_EQ(c.number("AMT"), 2500.5);
    EXPECT_EQ(c.number("BIRATE"), 1.0);
    EXPECT_EQ(session->lookups().zjzh_to_bi("gfzq", "9"), "rmb");
    EXPECT_EQ(account->brokerCodes().size(), 8u);
    EXPECT_EQ(account->currencies().size(), 2u);
}

}  // namespace
