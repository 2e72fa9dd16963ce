#include "ledger/corporate_actions.h"

#include <gtest/gtest.h>

#include "app/program_directory.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"

using namespace varneth;
using ledger::CorporateActions;
using storage::Alias;
using storage::Value;
namespace fs = std::filesystem;

namespace {

using Fields = std::initializer_list<std::pair<const char*, Value>>;

void row(storage::Cursor& c, Fields fields) {
    c.append();
    for (const auto& [f, v] : fields) c.setValue(f, v);
    c.post();
}

// A bare program directory with a second account "zs", in which the module works.
class CorporateActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/true);
        app::createAccountDirectory(dir.path(), dir / "zs");
        engine.bind(Alias::Curr, dir.path());
        engine.bind(Alias::Kvt, dir / "zs");
        prices = std::make_unique<reference::GeneralPrices>(engine.database(Alias::Curr));
        ledgerRows = std::make_unique<storage::Cursor>(engine.database(Alias::Kvt), "tr2.DBF");
        actions = std::make_unique<CorporateActions>(engine, *prices, prompter, dir.path(), dir / "zs");
    }
    // One account's cash row after a frozen-cash row of a pending buy (first in every order), and rows of
    // 600000 that no action may touch: a holding bought after the record date, an unconfirmed
    // order and a closed-out row.
    void book(double price1 = 12) {
        row(*ledgerRows, {{"WTH", "26061010001"}, {"QSDM", "01"}, {"ZJZH", "1001"}, {"GDDM", "A1"},
                          {"CODE", "xj"}, {"LX", "xj"}, {"CJ_DH", "冻结资金"}, {"AMT", -500.0}});
        row(*ledgerRows, {{"QSDM", "01"}, {"ZJZH", "1001"}, {"GDDM", "xj"}, {"CODE", "xj"}, {"LX", "xj"},
                          {"NAME", "现金"}, {"AMT", 10000.0}, {"PRICE1", 1.0}});
        holding(1000, price1, "2026-06-01");
        holding(300, 11, "2026-06-16");
        row(*ledgerRows, {{"WTH", "26061410001"}, {"QSDM", "01"}, {"ZJZH", "1001"}, {"GDDM", "A1"},
                          {"CODE", "600000"}, {"AMT", 200.0}, {"PRICE1", 9.0}, {"DATE1", "2026-06-14"}});
        row(*ledgerRows, {{"WTH", "P2026060210"}, {"QSDM", "01"}, {"ZJZH", "1001"}, {"GDDM", "A1"},
                          {"CODE", "600000"}, {"AMT", 100.0}, {"PRICE1", 8.0}, {"DATE1", "2026-05-02"}});
    }
    void holding(double amt, double price1, const char* date1, const char* qsdm = "01") {
        row(*ledgerRows, {{"QSDM", qsdm}, {"ZJZH", "1001"}, {"GDDM", "A1"}, {"CODE", "600000"}, {"AMT", amt},
                          {"PRICE1", price1}, {"DATE1", date1}, {"NOTE", "n"}});
    }
    void entry(const char* sph, double num, double price = 0, double tax = 0, const char* date = "2026-06-15") {
        row(actions->entries(), {{"Dj_date", date}, {"Code", "600000"}, {"Name", "浦发银行"}, {"Sph", sph},
                                 {"Num", num}, {"Price", price}, {"Tax", tax}});
    }
    // AMT, PRICE1 and NOTE of the row with these markers.
    std::tuple<double, double, std::string> at(const char* wth, const char* code, const char* date1 = nullptr) {
        const bool found = date1 ? ledgerRows->locate("WTH;CODE;DATE1", {wth, code, date1})
                                 : ledgerRows->locate("WTH;CODE", {wth, code});
        EXPECT_TRUE(found) << wth << " " << code;
        return {ledgerRows->number("AMT"), ledgerRows->number("PRICE1"), ledgerRows->text("NOTE")};
    }
    void expectUntouchedRows() {
        EXPECT_EQ(at("", "600000", "2026-06-16"), std::make_tuple(300.0, 11.0, std::string("n")));
        EXPECT_EQ(at("26061410001", "600000"), std::make_tuple(200.0, 9.0, std::string()));
        EXPECT_EQ(at("P2026060210", "600000"), std::make_tuple(100.0, 8.0, std::string()));
        EXPECT_EQ(std::get<0>(at("26061010001", "xj")), -500.0);
    }
    double cash() { return std::get<0>(at("", "xj")); }
    std::vector<std::string> results() {
        auto& e = actions->entries();
        return {e.text("Amt1"), e.text("Amt2"), e.text("Amt12")};
    }

    testsupport::TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    std::unique_ptr<reference::GeneralPrices> prices;
    std::unique_ptr<storage::Cursor> ledgerRows;
    std::unique_ptr<CorporateActions> actions;
};

TEST_F(CorporateActionsTest, BonusSharesDoubleATenForTenHoldingAndHalveItsPrice) {
    book();
    entry("s", 10);
    ASSERT_TRUE(actions->apply(true));
    EXPECT_EQ(at("", "600000", "2026-06-01"), std::make_tuple(2000.0, 6.0, std::string("n送10")));
    EXPECT_EQ(results(), (std::vector<std::string>{"1000股", "1000股", "2000股"}));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"1个记录中有,1000股；处理成功！"});
    EXPECT_EQ(cash(), 10000.0);
    expectUntouchedRows();
}

TEST_F(CorporateActionsTest, ARightsIssuePaysForTheNewSharesFromTheCashRowItself) {
    book(10);
    holding(500, 10, "2026-06-01", "02");  // a broker without a cash row: its money is skipped
    entry("p", 3, 5);
    ASSERT_TRUE(actions->apply(true));
    const auto [amt, price1, note] = at("", "600000", "2026-06-01");
    EXPECT_EQ(amt, 1300.0);
    EXPECT_DOUBLE_EQ(price1, 115.0 / 13);
    EXPECT_EQ(note, "n配3");
    EXPECT_EQ(cash(), 8500.0);
    EXPECT_EQ(results(), (std::vector<std::string>{"1500股", "450股", "1950股"}));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"2个记录中有,1500股；处理成功！"});
    expectUntouchedRows();
}

TEST_F(CorporateActionsTest, ADividendAfterTaxLowersTheEntryPriceAndCreditsTheCashRow) {
    book();
    entry("h", 2, 0, 0.2);
    ASSERT_TRUE(actions->apply(true));
    const auto [amt, price1, note] = at("", "600000", "2026-06-01");
    EXPECT_EQ(amt, 1000.0);
    EXPECT_NEAR(price1, 12 - 0.16, 1e-12);
    EXPECT_EQ(note, "n派2");
    EXPECT_EQ(cash(), 10200.0);
    EXPECT_EQ(results(), (std::vector<std::string>{"1000股", "160元", "1000股"}));
    expectUntouchedRows();
}

TEST_F(CorporateActionsTest, IncompleteProcessedAndUnknownEntriesAreRefusedAndChangeNothing) {
    book();
    storage::Cursor& e = actions->entries();
    const auto change = [&](Fields fields) {
        for (const auto& [f, v] : fields) e.setValue(f, v);
        e.post();
        return actions->apply(true);
    };
    EXPECT_FALSE(actions->apply(true));  // no entry at all
    row(e, {{"Code", "600000"}, {"Sph", "s"}, {"Num", 10.0}});  // no record date
    EXPECT_FALSE(actions->apply(true));
    EXPECT_FALSE(change({{"Dj_date", "2026-06-15"}, {"Num", 0.0}}));
    EXPECT_FALSE(change({{"Num", 10.0}, {"Sph", "S"}}));
    // An unknown kind is refused even when no holding qualifies, so it is never marked processed.
    EXPECT_FALSE(change({{"Dj_date", "2026-01-01"}}));
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{CorporateActions::kIncomplete, CorporateActions::kIncomplete,
                                                           CorporateActions::kIncomplete, CorporateActions::kBadType,
                                                           CorporateActions::kBadType}));
    EXPECT_EQ(results(), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(std::get<0>(at("", "600000", "2026-06-01")), 1000.0);

    ASSERT_TRUE(change({{"Dj_date", "2026-06-15"}, {"Sph", "s"}}));
    EXPECT_FALSE(actions->apply(true));
    EXPECT_EQ(prompter.messages.back(), CorporateActions::kProcessedBefore);
    // Clearing "原有数" lets it apply again, on the holdings as they are now.
    ASSERT_TRUE(change({{"Amt1", ""}}));
    EXPECT_EQ(at("", "600000", "2026-06-01"), std::make_tuple(4000.0, 3.0, std::string("n送10送10")));
    EXPECT_EQ(results(), (std::vector<std::string>{"2000股", "2000股", "4000股"}));
}

TEST_F(CorporateActionsTest, FillNameNamesOneEntryPerCallFromTheGeneralTableOrByItsCode) {
    storage::Cursor all(engine.database(Alias::Curr), "allstocks.DBF");
    row(all, {{"CODE", "600036"}, {"NAME", "招商银行"}, {"PRICE", 30.0}});
    row(actions->entries(), {{"Dj_date", "2026-01-02"}, {"Code", "600036"}, {"Name", "旧名"}});
    row(actions->entries(), {{"Dj_date", "2026-01-03"}, {"Code", "600999"}});
    row(actions->entries(), {{"Dj_date", "2026-01-04"}, {"Code", "600036"}});
    storage::Cursor& e = actions->entries();
    ASSERT_TRUE(actions->fillName());
    EXPECT_EQ(e.text("Code") + e.text("Name"), "600999600999");
    ASSERT_TRUE(actions->fillName());
    EXPECT_EQ(e.text("Dj_date") + e.text("Name"), "2026-01-04招商银行");
    EXPECT_FALSE(actions->fillName());
    ASSERT_TRUE(e.locate("Dj_date", {"2026-01-02"}));
    EXPECT_EQ(e.text("Name"), "旧名");
}

TEST_F(CorporateActionsTest, FetchCopiesTheLastElevenSharedEntriesThisListLacksWithoutTheirResults) {
    {
        storage::Database user(dir / "user" / storage::Database::kFileName);
        storage::Cursor shared(user, "sph.db");
        for (int day = 1; day <= 12; ++day) {
            const std::string date = "2026-03-" + std::string(day < 10 ? "0" : "") + std::to_string(day);
            row(shared, {{"Dj_date", date}, {"Code", "600000"}, {"Name", "浦发银行"}, {"Sph", "h"},
                         {"Num", static_cast<double>(day)}, {"Tax", 0.1}, {"Amt1", "100股"}});
        }
    }
    row(actions->entries(), {{"Dj_date", "2026-03-05"}, {"Code", "600000"}, {"Sph", "s"}, {"Num", 1.0}});
    EXPECT_TRUE(actions->fetchEnabled());
    EXPECT_EQ(actions->fetch(), 10);  // the 2nd to the 12th, less the one this list has

    storage::Cursor& e = actions->entries();
    EXPECT_EQ(e.count(), 11);
    EXPECT_EQ(e.position(), 0);
    EXPECT_FALSE(e.locate("Dj_date", {"2026-03-01"}));
    ASSERT_TRUE(e.locate("Dj_date", {"2026-03-05"}));
    EXPECT_EQ(e.text("Sph"), "s");  // its own entry is kept as it is
    ASSERT_TRUE(e.locate("Dj_date", {"2026-03-12"}));
    EXPECT_EQ(e.text("Name") + e.text("Sph") + e.text("Num") + e.text("Tax") + "|" + e.text("Amt1"), "浦发银行h120.1|");
    EXPECT_EQ(actions->fetch(), 0);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(CorporateActionsTest, FetchWithoutTheSharedListSaysSoAndCreatesNone) {
    fs::remove_all(dir / "user");
    fs::create_directory(dir / "user");
    EXPECT_EQ(actions->fetch(), std::nullopt);
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{std::string(CorporateActions::kNoSharedList) + (dir / "user").string()});
    EXPECT_TRUE(fs::is_empty(dir / "user"));  // no empty database left behind
}

}  // namespace
