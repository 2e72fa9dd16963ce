#include "reference/lookups.h"

#include <gtest/gtest.h>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"

using namespace varneth;

namespace {

// A bare program directory with just the reference rows each case needs.
class LookupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/true);
        login = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        login->start();
        session = login->enter("我的帐户", "");
        ASSERT_NE(session, nullptr);
    }
    void row(storage::Cursor& c, std::initializer_list<std::pair<const char*, storage::Value>> fields) {
        c.append();
        for (const auto& [f, v] : fields) c.setValue(f, v);
        c.post();
    }
    void rule(int order, const char* c1, const char* c2, const char* lx) {
        row(look().rules(), {{"Order", order}, {"Code1", c1}, {"Code2", c2}, {"Lx", lx}});
    }
    reference::Lookups& look() { return session->lookups(); }

    testsupport::TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 0, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
};

TEST_F(LookupsTest, CodeToTypeTakesTheFirstRuleInMatchOrderOfTheCodesLength) {
    EXPECT_EQ(look().code_to_lx("600000"), "???");  // no rules at all
    rule(20, "600000", "609999", "A");
    rule(10, "600500", "600599", "B");
    rule(30, "60000", "60999", "C");
    EXPECT_EQ(look().code_to_lx("600519"), "B");
    EXPECT_EQ(look().rules().text("Lx"), "B");  // the rule table is left on the rule that matched
    EXPECT_EQ(look().code_to_lx("600000"), "A");
    EXPECT_EQ(look().code_to_lx("60051"), "C");  // five characters: only the five-character rule
    EXPECT_EQ(look().code_to_lx("6005190"), "???");
    // Swapping the match order swaps the result, and the next lookup sees the write.
    storage::Cursor& r = look().rules();
    ASSERT_TRUE(r.locate("Lx", {"B"}));
    r.setValue("Order", 40);
    r.post();
    EXPECT_EQ(look().code_to_lx("600519"), "A");
}

TEST_F(LookupsTest, TypeRatesAndNamesWithTheirDefaultsAndMessages) {
    row(look().types(), {{"Lx", "A"},
                         {"Lxm", "沪A股"},
                         {"Zk_rate", 0.9},
                         {"Sxf_rate", 0.0003},
                         {"Yhs_rate", 0.001},
                         {"Bzj_rate", 1.0},
                         {"Oversell", false}});
    row(look().types(), {{"Lx", "zzc"}, {"Lxm", "市价总值"}, {"Zk_rate", 0.5}});  // hidden by the filter
    EXPECT_EQ(look().lx_to_lxm("A"), "沪A股");
    EXPECT_EQ(look().lx_to_zk_rate("A"), 0.9f);
    EXPECT_EQ(look().lx_to_sxf_rate("A"), 0.0003f);
    EXPECT_TRUE(prompter.messages.empty());

    EXPECT_EQ(look().lx_to_zk_rate("Q"), 1.0f);
    EXPECT_EQ(look().lx_bzj_rate("Q"), 1.0f);
    EXPECT_EQ(look().lx_to_zk_rate("zzc"), 1.0f);
    EXPECT_TRUE(prompter.messages.empty());  // those two default silently

    EXPECT_EQ(look().lx_to_sxf_rate("zzc"), 0.0f);
    EXPECT_EQ(look().lx_to_yhs_rate("zzz"), 0.0f);
    EXPECT_TRUE(prompter.messages.empty());

    EXPECT_EQ(look().lx_to_sxf_rate("Q"), 0.003f);
    EXPECT_EQ(look().lx_to_sxf_rate("Q"), 0.003f);
    EXPECT_EQ(look().lx_to_yhs_rate("Q"), 0.0045f);
    EXPECT_EQ(look().lx_to_lxm("zzc"), "???");
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{
                  "码为 Q 的类型未加入类型文件，手续费率且以0.003代之, 可进入设置窗口修改好再来计算!",
                  "码为 Q 的类型未加入类型文件，手续费率且以0.003代之, 可进入设置窗口修改好再来计算!",
                  "类型码为 Q 的类型未加入类型文件,印花税率且以0.0045代之,可进入设置窗口修改好再来计算!",
                  "找不到类型码为zzc的类型名,需进入设置窗口补充！"}));
    ASSERT_TRUE(look().findType("A"));
    EXPECT_FALSE(look().types().logical("Oversell"));
}

TEST_F(LookupsTest, NamesComeFromTheHoldingsListThenTheGeneralTable) {
    row(look().holdingsPrices(), {{"code", "600000"}, {"name", "浦发银行"}});
    row(look().holdingsPrices(), {{"code", "600001"}, {"name", ""}});
    storage::Cursor& all = session->prices().table();
    row(all, {{"CODE", "000001"}, {"NAME", "平安银行"}, {"PRICE", 11.25}});
    EXPECT_EQ(look().code_to_name("600000"), "浦发银行");
    EXPECT_EQ(look().code_to_name("000001"), "平安银行");
    EXPECT_EQ(all.text("CODE"), "000001");  // the general table is left on the row found
    EXPECT_EQ(look().code_to_name("999999"), "999999");
    EXPECT_EQ(look().code_to_name("600001"), "???");
    EXPECT_EQ(look().code_to_name(""), "???");
    EXPECT_EQ(session->prices().code_to_price("000001"), 11.25f);
    EXPECT_EQ(session->prices().code_to_price("999999"), 0.0f);
    // While the lookup window restricts the codes, the general table's lookups see only those.
    session->prices().setRestriction("60*");
    EXPECT_EQ(look().code_to_name("000001"), "000001");
    EXPECT_EQ(session->prices().code_to_price("000001"), 0.0f);
    session->prices().setRestriction("0'*");  // a quote is text like any other
    EXPECT_EQ(all.count(), 0);
    session->prices().clearRestriction();
    EXPECT_EQ(look().code_to_name("000001"), "平安银行");
}

TEST_F(LookupsTest, CurrenciesOfCashAccounts) {
    EXPECT_EQ(look().zjzh_to_bi("01", "123"), "");  // no settlement currency: no code to give
    row(look().currencies(), {{"Code", "rmb"}, {"Name", "人民币"}, {"Rate", 1.0}, {"Now", true}});
    row(look().currencies(), {{"Code", "hkd"}, {"Name", "港币"}, {"Rate", 0.92}});
    row(look().currencies(), {{"Code", "USD"}, {"Name", "美元"}, {"Rate", 99.0}});
    look().readSettlementCurrency();
    EXPECT_EQ(look().settlementLabel(), "当前结算货币为:rmb人民币");
    row(look().accountCurrencies(), {{"Qsdm", "02"}, {"Zjzh", "888"}, {"Bicode", "HKD"}});
    row(look().accountCurrencies(), {{"Qsdm", "03"}, {"Zjzh", "777"}, {"Bicode", "USD"}});
    row(look().accountCurrencies(), {{"Qsdm", "zzc"}, {"Zjzh", "zzc"}, {"Bicode", "hkd"}});
    EXPECT_EQ(look().zjzh_to_birate("02", "888"), 0.92f);  // capitals typed in zh_bi.db find "hkd"
    EXPECT_EQ(look().zjzh_to_birate("03", "777"), 1.0f);   // "usd" is not the row stored as "USD"
    EXPECT_EQ(look().zjzh_to_birate("02", "999"), 1.0f);
    EXPECT_EQ(look().zjzh_to_birate("zzc", "zzc"), 1.0f);
    EXPECT_EQ(look().zjzh_to_bi("02", "888"), "HKD");
    EXPECT_EQ(look().zjzh_to_bi("02", "999"), "rmb");
    EXPECT_EQ(look().zjzh_to_bi("zzc", "zzc"), "rmb");  // even with a row for it
    EXPECT_EQ(look().qsdm_to_qs("01"), "???");
    EXPECT_EQ(prompter.messages.back(), "找不到券商代码为01的券商名,需进入设置窗口补充！");
    row(look().brokers(), {{"Qsdm", "01"}, {"Qs", "华泰"}});
    EXPECT_EQ(look().qsdm_to_qs("01"), "华泰");
}

}  // namespace
