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
using Strings = std::vector<std::string>;

namespace {

void row(storage::Cursor& c, std::initializer_list<std::pair<const char*, Value>> fields) {
    c.append();
    for (const auto& [f, v] : fields) c.setValue(f, v);
    c.post();
}

class CorporateActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/true);
        app::createAccountDirectory(dir.path(), dir / "zs");
        engine.bind(Alias::Curr, dir.path());
        engine.bind(Alias::Kvt, dir / "zs");
        prices = std::make_unique<reference::GeneralPrices>(engine.database(Alias::Curr));
        actions = std::make_unique<CorporateActions>(engine, *prices, prompter, dir.path(), dir / "zs");
        ledgerRows = std::make_unique<storage::Cursor>(engine.database(Alias::Kvt), "tr2.DBF");
    }
    // A ledger row of broker q: order mark w, code c, quantity a at entry price p, entry date d.
    void put(const char* w, const char* q, const char* c, double a, double p, const char* d) {
        const Value date = *d ? Value(d) : Value();
        row(*ledgerRows, {{"WTH", w}, {"QSDM", q}, {"CODE", c}, {"AMT", a}, {"PRICE1", p}, {"DATE1", date}});
    }
    // An entry of the record date 2026-06-15, applied with the cash.
    bool apply(const char* c, const char* s, double n, double p = 0, double t = 0) {
        storage::Cursor& e = actions->entries();
        row(e, {{"Dj_date", "2026-06-15"}, {"Code", c}, {"Sph", s}, {"Num", n}, {"Price", p}, {"Tax", t}});
        return actions->apply(true);
    }
    // WTH, CODE, AMT, PRICE1, DATE1 and NOTE of every row, in the order they were entered.
    Strings ledger() {
        Strings out;
        for (ledgerRows->first(); !ledgerRows->eof(); ledgerRows->next()) {
            std::string r = ledgerRows->text("WTH");
            for (const char* f : {"CODE", "AMT", "PRICE1", "DATE1", "NOTE"}) r += "," + ledgerRows->text(f);
            out.push_back(r);
        }
        return out;
    }
    Strings results() {
        const storage::Cursor& e = actions->entries();
        return {e.text("Amt1"), e.text("Amt2"), e.text("Amt12")};
    }

    testsupport::TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    std::unique_ptr<reference::GeneralPrices> prices;
    std::unique_ptr<storage::Cursor> ledgerRows;
    std::unique_ptr<CorporateActions> actions;
};

TEST_F(CorporateActionsTest, TheWorkedExamplesChangeHoldingsAndTheCashRowItselfOnly) {
    // The frozen cash of a pending order shares broker, account and "xj" with the cash row and comes
    // first. A holding bought after the record date, an order and a closed-out row stay as they are.
    put("26061010001", "01", "xj", -500, 1, "");
    put("", "01", "xj", 0, 1, "");
    put("", "01", "600000", 1000, 12, "2026-06-01");
    put("", "01", "600001", 1000, 10, "2026-06-01");
    put("", "01", "600002", 1000, 12, "2026-06-15");
    put("", "01", "600000", 300, 11, "2026-06-16");
    put("26061410001", "01", "600000", 200, 9, "2026-06-14");
    put("P2026060210", "01", "600000", 100, 8, "2026-05-02");
    put("", "02", "600001", 100, 10, "");
    ASSERT_TRUE(apply("600000", "s", 10));
    ASSERT_TRUE(apply("600001", "p", 3, 5));
    ASSERT_TRUE(apply("600002", "h", 2, 0, 0.2));
    EXPECT_EQ(prompter.messages, (Strings{"1个记录中有,1000股；处理成功！", "2个记录中有,1100股；处理成功！",
                                          "1个记录中有,1000股；处理成功！"}));
    EXPECT_EQ(results(), (Strings{"1000股", "160元", "1000股"}));
    // 1500 for the rights of the first broker (the second has no cash row), then 200 of dividend.
    EXPECT_EQ(ledger(),
              (Strings{"26061010001,xj,-500,1,,", ",xj,-1300,1,,", ",600000,2000,6,2026-06-01,送10",
                       ",600001,1300,8.846153846153847,2026-06-01,配3", ",600002,1000,11.84,2026-06-15,派2",
                       ",600000,300,11,2026-06-16,", "26061410001,600000,200,9,2026-06-14,",
                       "P2026060210,600000,100,8,2026-05-02,", ",600001,130,8.846153846153847,,配3"}));
    ASSERT_TRUE(actions->entries().locate("Code", {"600001"}));
    EXPECT_EQ(results(), (Strings{"1100股", "330股", "1430股"}));
}

TEST_F(CorporateActionsTest, IncompleteProcessedAndUnknownEntriesAreRefusedAndChangeNothing) {
    put("", "01", "600000", 1000, 12, "");
    storage::Cursor& e = actions->entries();
    const auto edited = [&](std::initializer_list<std::pair<const char*, Value>> fields) {
        for (const auto& [f, v] : fields) e.setValue(f, v);
        e.post();
        return actions->apply(true);
    };
    row(e, {{"Code", "600000"}, {"Sph", "s"}, {"Num", 10.0}});  // no record date
    EXPECT_FALSE(actions->apply(true));
    EXPECT_FALSE(edited({{"Dj_date", "2026-06-15"}, {"Num", 0.0}}));
    EXPECT_FALSE(edited({{"Num", 10.0}, {"Sph", "S"}}));
    EXPECT_FALSE(edited({{"Sph", "s"}, {"Amt1", "1股"}}));
    EXPECT_EQ(prompter.messages, (Strings{CorporateActions::kIncomplete, CorporateActions::kIncomplete,
                                          CorporateActions::kBadType, CorporateActions::kProcessedBefore}));
    EXPECT_EQ(ledger(), Strings{",600000,1000,12,,"});
}

TEST_F(CorporateActionsTest, FetchCopiesTheLastElevenSharedEntriesThisListLacksWithoutTheirResults) {
    {
        storage::Database user(dir / "user" / storage::Database::kFileName);
        storage::Cursor shared(user, "sph.db");
        for (int day = 10; day <= 21; ++day)
            row(shared, {{"Dj_date", "2026-03-" + std::to_string(day)}, {"Sph", "h"}, {"Amt1", "100股"}});
    }
    storage::Cursor& e = actions->entries();
    row(e, {{"Dj_date", "2026-03-15"}, {"Sph", "s"}});
    EXPECT_EQ(actions->fetch(), 10);
    Strings list;
    for (e.first(); !e.eof(); e.next())
        list.push_back(e.text("Dj_date").substr(8) + e.text("Sph") + e.text("Amt1"));
    EXPECT_EQ(list, (Strings{"11h", "12h", "13h", "14h", "15s", "16h", "17h", "18h", "19h", "20h", "21h"}));
}

TEST_F(CorporateActionsTest, AProcessedEntryAsksBeforeItChangesABlankOneIsNeverStoredAndDeletesAsk) {
    EXPECT_FALSE(actions->appendEntry("Code", Value("  ")));
    EXPECT_FALSE(actions->appendEntry("Dj_date", Value()));
    EXPECT_EQ(actions->entries().count(), 0);
    ASSERT_TRUE(actions->appendEntry("Code", Value("600036")));
    EXPECT_EQ(actions->entries().count(), 1);
    EXPECT_TRUE(actions->mayEdit(0));  // not yet processed: no question
    EXPECT_TRUE(prompter.questions.empty());

    put("", "b1", "600036", 1000, 10, "2026-06-01");
    ASSERT_TRUE(apply("600036", "s", 10));
    const int processed = actions->entries().position();
    prompter.expectAnswers({false, true});
    EXPECT_FALSE(actions->mayEdit(processed));
    EXPECT_TRUE(actions->mayEdit(processed));
    EXPECT_EQ(prompter.questions, Strings(2, CorporateActions::kEditProcessed));

    prompter.expectAnswers({false});
    EXPECT_FALSE(actions->removeEntry());
    EXPECT_EQ(prompter.questions.back(), "删除记录：2026-06-15 600036 s？");
    EXPECT_EQ(actions->entries().count(), 2);
    prompter.expectAnswers({true});
    EXPECT_TRUE(actions->removeEntry());
    EXPECT_EQ(actions->entries().count(), 1);
}

}  // namespace
