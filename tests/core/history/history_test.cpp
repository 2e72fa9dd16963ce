// The journal and undo over plain tables: what an action changed comes back exactly, a row changed
// since blocks the whole undo, the journal stays within its limit and never holds passwords.
#include "history/history.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "storage/cursor.h"
#include "storage/error.h"
#include "support/temp_dir.h"

using namespace varneth;
using namespace varneth::storage;

namespace {

TableDef cashDef() {
    TableDef d;
    d.name = "cash.DBF";
    d.fields = {{"ZJZH", FieldType::Text, 10}, {"AMT", FieldType::Number, 0}, {"N", FieldType::Integer, 0}};
    return d;
}

TableDef keyedDef() {
    TableDef d;
    d.name = "rate.DB";
    d.kind = TableKind::Paradox;
    d.fields = {{"BI", FieldType::Text, 4}, {"RATE", FieldType::Number, 0}};
    d.primaryKey = {"BI"};
    return d;
}

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.bind(Alias::Kvt, dir.path(), true);
        for (const auto& def : {cashDef(), keyedDef()}) {
            db().registerDefinition(def);
            db().createTable(def);
        }
        engine.setLabeller([this] { return JournalLabel{"2026-12-08 09:00:00", "我的帐户", name}; });
        act("开户", [](Cursor& c, Cursor&) {
            for (const char* z : {"A", "B", "C"}) add(c, z, 100.0);
        });
    }
    Database& db() { return engine.database(Alias::Kvt); }

    static void add(Cursor& c, const char* zjzh, double amt) {
        c.append();
        c.setValue("ZJZH", zjzh);
        c.setValue("AMT", amt);
        c.post();
    }
    static void set(Cursor& c, const char* zjzh, double amt) {
        ASSERT_TRUE(c.locate("ZJZH", {zjzh}));
        c.setValue("AMT", amt);
        c.post();
    }
    template <class F>
    void act(std::string label, F f) {
        name = std::move(label);
        Action action(engine);
        Cursor cash(db(), "cash.DBF");
        Cursor rate(db(), "rate.DB");
        f(cash, rate);
    }
    // Every row with its rowid and the stored type of each value: what "exactly as before" means.
    std::string dump() {
        std::string out;
        for (const char* sql : {"SELECT rowid, *, typeof(AMT) FROM \"cash.DBF\" ORDER BY rowid",
                                "SELECT rowid, *, typeof(RATE) FROM \"rate.DB\" ORDER BY rowid"}) {
            Statement st(db(), sql);
            while (st.step()) {
                for (int i = 0; i < st.columnCount(); ++i) out += st.column(i).toString() + "|";
                out += "\n";
            }
        }
        return out;
    }
    std::int64_t newest() {
        Action look(engine, Action::Mode::Read);
        return history::History(engine).entries(1).at(0).serial;
    }

    testsupport::TempDir dir;
    Engine engine;
    std::string name;
    port::ScriptedPrompter prompter;
};

TEST_F(HistoryTest, PreUpdateHookIsCompiledIntoTheSystemSqlite) {
    EXPECT_TRUE(sqlite3_compileoption_used("ENABLE_PREUPDATE_HOOK"));
}

TEST_F(HistoryTest, UndoGivesBackInsertedUpdatedAndDeletedRowsUnderTheirRowids) {
    const std::string before = dump();
    act("转账", [](Cursor& c, Cursor& r) {
        set(c, "A", 50.0);
        set(c, "A", 40.5);  // twice in one action: one change
        ASSERT_TRUE(c.locate("ZJZH", {"B"}));
        c.remove();
        add(c, "D", 7.0);
        add(c, "E", 1.0);
        ASSERT_TRUE(c.locate("ZJZH", {"E"}));
        c.remove();  // inserted and deleted: nothing to undo
        r.append();
        r.setValue("BI", "USD");
        r.setValue("RATE", 7.1);
        r.post();
    });
    const std::int64_t serial = newest();
    {
        Action look(engine, Action::Mode::Read);
        auto entries = history::History(engine).entries();
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].action, "转账");
        EXPECT_EQ(entries[0].account, "我的帐户");
        EXPECT_EQ(entries[0].rowsText(), "cash.DBF:3,rate.DB:1");
    }
    prompter.expectAnswers({true});
    ASSERT_TRUE(history::undo(engine, serial, prompter));
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(prompter.questions.at(0), "撤销到第2号操作，将撤销最近的1项操作。继续吗?");
    // The in-memory rows were re-read: a cursor sees the old amount.
    Cursor c(db(), "cash.DBF");
    ASSERT_TRUE(c.locate("ZJZH", {"A"}));
    EXPECT_EQ(c.number("AMT"), 100.0);
}

TEST_F(HistoryTest, TheUndoIsJournaledAndCanItselfBeUndone) {
    act("改", [](Cursor& c, Cursor&) { set(c, "C", 3.25); });
    const std::string after = dump();
    prompter.expectAnswers({true, true});
    ASSERT_TRUE(history::undo(engine, newest(), prompter));
    ASSERT_NE(dump(), after);
    ASSERT_TRUE(history::undo(engine, newest(), prompter));
    EXPECT_EQ(dump(), after);
}

TEST_F(HistoryTest, UndoingAnOlderEntryRevertsEveryNewerOneFirst) {
    const std::string before = dump();
    act("汇率", [](Cursor& c, Cursor& r) {
        set(c, "A", 1.0);
        r.append();
        r.setValue("BI", "HKD");
        r.setValue("RATE", 0.9);
        r.post();
    });
    const std::int64_t target = newest();
    // Later actions change the same rows: undone together they are no conflict.
    act("再改汇率", [](Cursor&, Cursor& r) {
        ASSERT_TRUE(r.locate("BI", {"HKD"}));
        r.setValue("RATE", 0.91);
        r.post();
    });
    act("别的", [](Cursor& c, Cursor&) { set(c, "A", 2.0); });
    prompter.expectAnswers({true});
    ASSERT_TRUE(history::undo(engine, target, prompter));
    EXPECT_EQ(prompter.questions.at(0),
              "撤销到第" + std::to_string(target) + "号操作，将撤销最近的3项操作。继续吗?");
    EXPECT_EQ(dump(), before);
}

TEST_F(HistoryTest, AConflictRevertsNothingAndSaysWhichRecord) {
    act("汇率", [](Cursor& c, Cursor& r) {
        set(c, "A", 1.0);
        r.append();
        r.setValue("BI", "HKD");
        r.setValue("RATE", 0.9);
        r.post();
    });
    const std::int64_t target = newest();
    // Changed behind the journal's back (another tool, an older program): a later change not in
    // the history at all.
    engine.setJournalling(false);
    act("旁改", [](Cursor&, Cursor& r) {
        ASSERT_TRUE(r.locate("BI", {"HKD"}));
        r.setValue("RATE", 0.95);
        r.post();
    });
    engine.setJournalling(true);
    const std::string before = dump();
    prompter.expectAnswers({true});
    EXPECT_FALSE(history::undo(engine, target, prompter));
    EXPECT_EQ(prompter.messages.back(),
              "第" + std::to_string(target) + "号操作之后该记录又被修改过(表rate.DB,记录HKD)，不能撤销。");
    EXPECT_EQ(dump(), before);
    Action look(engine, Action::Mode::Read);
    EXPECT_EQ(history::History(engine).entries().front().serial, target) << "a refused undo leaves no entry";
}

TEST_F(HistoryTest, ShowListsChangedFieldsAndWholeRowsOfInsertsAndDeletes) {
    act("明细", [](Cursor& c, Cursor&) {
        set(c, "A", 12.5);
        ASSERT_TRUE(c.locate("ZJZH", {"B"}));
        c.remove();
        add(c, "D", 0.1);
    });
    Action look(engine, Action::Mode::Read);
    auto lines = history::History(engine).changes(newest());
    ASSERT_EQ(lines.size(), 3u);
    auto text = [](const history::ChangedField& f) {
        return f.table + "\t" + f.key + "\t" + f.field + "\t" + f.before + "\t" + f.after;
    };
    EXPECT_EQ(text(lines[0]), "cash.DBF\t1\tAMT\t100\t12.5");
    EXPECT_EQ(text(lines[1]), "cash.DBF\t2\t-\tZJZH=B, AMT=100, N=\t");
    EXPECT_EQ(text(lines[2]), "cash.DBF\t4\t+\t\tZJZH=D, AMT=0.1, N=");
}

TEST_F(HistoryTest, TheLimitDropsTheOldestEntriesButKeepsTheNewest) {
    testsupport::TempDir programDir;
    engine.bind(Alias::Curr, programDir.path(), true);
    engine.database(Alias::Curr).createTable(*findTable("parameter.DBF"));
    {
        name = "history limit 1";
        Action action(engine);
        engine.setJournalLimitMb(1);
    }
    EXPECT_EQ(engine.journalLimitMb(), 1);
    const std::string big(400 * 1024, 'x');
    for (int i = 0; i < 4; ++i)
        act("大", [&](Cursor& c, Cursor&) {
            add(c, "Z", 0.0);
            // A long text makes each entry about 0.4 MB.
            Statement st(db(), "UPDATE \"cash.DBF\" SET ZJZH = ? WHERE ZJZH = 'Z'");
            st.bind(1, Value(big));
            st.step();
        });
    std::vector<std::int64_t> serials;
    {
        Action look(engine, Action::Mode::Read);
        for (const auto& e : history::History(engine).entries()) serials.push_back(e.serial);
    }
    // The account's journal keeps the newest two (0.8 MB); the program directory's its own entry.
    EXPECT_EQ(serials, (std::vector<std::int64_t>{6, 5, 2}));
    EXPECT_FALSE(history::undo(engine, 4, prompter));
    EXPECT_EQ(prompter.messages.back(), "第4号操作不在操作历史中。");
}

// The limit is kept between actions: one written by hand, by another program or undone must count.
TEST_F(HistoryTest, TheLimitAsChangedByHandAnotherProgramOrUndoCountsAtTheNextAction) {
    testsupport::TempDir programDir;
    engine.bind(Alias::Curr, programDir.path(), true);
    engine.database(Alias::Curr).createTable(*findTable("parameter.DBF"));
    const auto limitInAction = [&] {
        Action look(engine, Action::Mode::Read);
        return engine.journalLimitMb();
    };
    EXPECT_EQ(limitInAction(), 64);
    {
        name = "手改";
        Action action(engine);
        EXPECT_EQ(engine.journalLimitMb(), 64);
        engine.database(Alias::Curr)
            .execute("INSERT INTO \"parameter.DBF\" (NAME, PARA) VALUES ('histmb', '2')");
    }
    EXPECT_EQ(limitInAction(), 2);
    Engine other;
    other.bind(Alias::Curr, programDir.path());
    other.setLabeller([] { return JournalLabel{"2026-12-08 09:05:00", "别的程序", "history limit 3"}; });
    {
        Action action(other);
        other.setJournalLimitMb(3);
    }
    EXPECT_EQ(limitInAction(), 3);
    std::int64_t newest = 0;
    {
        Action look(engine, Action::Mode::Read);
        newest = history::History(engine).entries().front().serial;
    }
    prompter.expectAnswers({true});
    ASSERT_TRUE(history::undo(engine, newest, prompter));
    EXPECT_EQ(limitInAction(), 2);
}

// What the journal keeps between actions (its tables, each table's columns, the last serial) must
// follow another program's schema change and entries.
TEST_F(HistoryTest, AnotherProgramsNewColumnAndEntriesAreSeenByTheNextAction) {
    act("前", [](Cursor& c, Cursor&) { set(c, "A", 1.0); });
    Engine other;
    other.bind(Alias::Kvt, dir.path());
    other.setLabeller([] { return JournalLabel{"2026-12-08 09:05:00", "别的程序", "加栏"}; });
    {
        Action action(other);
        Database& theirs = other.database(Alias::Kvt);
        theirs.execute("ALTER TABLE \"cash.DBF\" ADD COLUMN NOTE TEXT NOT NULL DEFAULT ''");
        // Every row rewritten, so that each stores the new field (SQLite reports an added field of a
        // row not rewritten since as NULL).
        theirs.execute("UPDATE \"cash.DBF\" SET NOTE = CASE ZJZH WHEN 'C' THEN '备注' ELSE '-' END");
    }
    const std::string before = dump();
    act("后", [](Cursor& c, Cursor&) { set(c, "A", 2.0); });
    const std::int64_t serial = newest();
    {
        Action look(engine, Action::Mode::Read);
        auto entries = history::History(engine).entries(3);
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(entries[1].action, "加栏");
        EXPECT_EQ(entries[1].serial + 1, serial);
        auto lines = history::History(engine).changes(serial);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].field, "AMT");
    }
    prompter.expectAnswers({true});
    ASSERT_TRUE(history::undo(engine, serial, prompter));
    EXPECT_EQ(dump(), before);
}

// Accounts share the program directory's count of serials; an account's actions do not write it
// each time, yet no two actions anywhere share a serial or run out of time order.
TEST_F(HistoryTest, SerialsStayInTimeOrderAcrossAccountsAndPrograms) {
    testsupport::TempDir programDir, otherAccount;
    engine.bind(Alias::Curr, programDir.path(), true);
    engine.database(Alias::Curr).createTable(*findTable("parameter.DBF"));
    Engine other;
    other.bind(Alias::Kvt, otherAccount.path(), true);
    other.bind(Alias::Curr, programDir.path());
    other.setLabeller([] { return JournalLabel{"2026-12-08 09:05:00", "别的帐户", "别的"}; });
    other.database(Alias::Kvt).registerDefinition(cashDef());
    other.database(Alias::Kvt).createTable(cashDef());
    const auto theirs = [&other] {
        Action action(other);
        Cursor c(other.database(Alias::Kvt), "cash.DBF");
        add(c, "Y", 1.0);
    };
    const auto counted = [this] {
        Statement st(engine.database(Alias::Curr), "SELECT last FROM varneth_serial");
        return st.step() ? st.column(0).toInt() : -1;
    };

    act("一", [](Cursor& c, Cursor&) { set(c, "A", 1.0); });
    const std::int64_t first = newest();
    {
        name = "history limit 5";  // the program directory's alone
        Action action(engine);
        engine.setJournalLimitMb(5);
    }
    EXPECT_EQ(newest(), first + 1);
    const std::int64_t count = counted();
    act("二", [](Cursor& c, Cursor&) { set(c, "A", 2.0); });
    EXPECT_EQ(newest(), first + 2);
    EXPECT_EQ(counted(), count) << "an account's action inside its block leaves the program directory alone";

    theirs();
    const std::int64_t mine = [&] {
        act("三", [](Cursor& c, Cursor&) { set(c, "A", 3.0); });
        return newest();
    }();
    theirs();
    std::vector<std::int64_t> theirSerials;
    {
        Action look(other, Action::Mode::Read);
        for (const auto& e : history::History(other).entries()) theirSerials.push_back(e.serial);
    }
    ASSERT_EQ(theirSerials.size(), 3u);  // two of theirs and the program directory's own
    EXPECT_GT(theirSerials[0], mine);
    EXPECT_GT(mine, theirSerials[1]);
    EXPECT_GT(theirSerials[1], first + 2);
    EXPECT_EQ(theirSerials[2], first + 1);
}

// A journal kept before each entry became one row: listed as it is, brought up to date by the next
// action, and its entries still undone exactly.
TEST_F(HistoryTest, AnOlderJournalIsListedUndoneAndBroughtUpToDate) {
    const std::string before = dump();
    const std::vector<RowChange> change{
        {RowChange::Kind::Update, 1, {Value("A"), Value(100.0), Value()}, {Value("A"), Value(5.0), Value()}}};
    for (const char* sql :
         {"DROP TABLE varneth_journal", "DROP TABLE varneth_changes", "DROP TABLE varneth_serial",
          "UPDATE \"cash.DBF\" SET AMT = 5 WHERE ZJZH = 'A'",
          "CREATE TABLE varneth_journal (serial INTEGER PRIMARY KEY, time TEXT NOT NULL, account TEXT NOT "
          "NULL, action TEXT NOT NULL, barrier INTEGER NOT NULL, parts INTEGER NOT NULL, bytes INTEGER NOT "
          "NULL)",
          "CREATE TABLE varneth_changes (serial INTEGER NOT NULL, tbl TEXT NOT NULL, columns TEXT NOT NULL, "
          "rows INTEGER NOT NULL, data BLOB NOT NULL)",
          "CREATE TABLE varneth_serial (last INTEGER NOT NULL, bytes INTEGER NOT NULL)",
          "INSERT INTO varneth_serial VALUES (7, 40)",
          "INSERT INTO varneth_journal VALUES (7, '2026-12-01 09:00:00', '我的帐户', '旧', 0, 1, 40)"})
        db().execute(sql);
    Statement old(db(), "INSERT INTO varneth_changes VALUES (7, 'cash.DBF', ?, 1, ?)");
    old.bind(1, Value("ZJZH\tAMT\tN"));
    old.bind(2, Value(encodeChanges(change)));
    old.step();
    const auto listed = [this] {
        Action look(engine, Action::Mode::Read);
        std::string out;
        for (const auto& e : history::History(engine).entries())
            out += std::to_string(e.serial) + " " + e.action + " " + e.rowsText() + "\n";
        return out;
    };
    EXPECT_EQ(listed(), "7 旧 cash.DBF:1\n");
    act("新", [](Cursor& c, Cursor&) { set(c, "B", 1.0); });
    EXPECT_EQ(listed(), "8 新 cash.DBF:1\n7 旧 cash.DBF:1\n");
    prompter.expectAnswers({true});
    ASSERT_TRUE(history::undo(engine, 7, prompter));
    EXPECT_EQ(dump(), before);
}

TEST_F(HistoryTest, BarrierStopsUndoAndDropsNothing) {
    act("前", [](Cursor& c, Cursor&) { set(c, "A", 1.0); });
    const std::int64_t before = newest();
    {
        name = "增加帐户";
        Action action(engine);
        engine.markBarrier();
    }
    act("后", [](Cursor& c, Cursor&) { set(c, "A", 2.0); });
    EXPECT_FALSE(history::undo(engine, before, prompter));
    EXPECT_EQ(prompter.messages.back(), "撤销不能越过第" + std::to_string(before + 1) + "号操作(增加帐户)。");
    Action look(engine, Action::Mode::Read);
    EXPECT_EQ(history::History(engine).entries().at(1).rowsText(), history::History::kBarrier);
}

TEST_F(HistoryTest, AFailedActionLeavesNoEntryAndAReadActionNone) {
    const auto count = [this] {
        Action look(engine, Action::Mode::Read);
        return history::History(engine).entries().size();
    };
    const auto start = count();
    {
        Action action(engine);
        Cursor c(db(), "cash.DBF");
        set(c, "A", 9.0);
        action.abandon();
    }
    EXPECT_EQ(count(), start);
    { Action read(engine, Action::Mode::Read); }
    EXPECT_EQ(count(), start);
}

TEST_F(HistoryTest, AccountsAndTheirPasswordHashesNeverReachTheJournal) {
    db().createTable(*findTable("z.db"));
    const auto count = [this] {
        Action look(engine, Action::Mode::Read);
        return history::History(engine).entries().size();
    };
    const auto start = count();
    {
        Action action(engine);
        Cursor z(db(), "z.db");
        z.append();
        z.setValue("User_name", "新");
        z.setValue("User_password", "hash-of-secret");
        z.post();
    }
    EXPECT_EQ(count(), start);
    Statement st(db(), "SELECT count(*) FROM varneth_journal WHERE instr(data, 'hash-of-secret') > 0");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.column(0).toInt(), 0);
}

TEST(JournalCodec, RoundTripsEveryValueTypeAndOnlyTheChangedOldValues) {
    std::vector<RowChange> rows{
        {RowChange::Kind::Insert, 5, {}, {Value(1.5), Value(std::int64_t{-7}), Value("中文"), Value()}},
        {RowChange::Kind::Delete, -3, {Value(0.1), Value(std::int64_t{1} << 40), Value(""), Value()}, {}},
        {RowChange::Kind::Update,
         1 << 20,
         {Value(2.0), Value(std::int64_t{2}), Value("a"), Value()},
         {Value(2.0), Value(std::int64_t{3}), Value("a"), Value(1.0)}},
    };
    const auto back = decodeChanges(encodeChanges(rows), 4);
    ASSERT_EQ(back.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(back[i].kind, rows[i].kind);
        EXPECT_EQ(back[i].rowid, rows[i].rowid);
        ASSERT_EQ(back[i].before.size(), rows[i].before.size());
        ASSERT_EQ(back[i].after.size(), rows[i].after.size());
        for (std::size_t k = 0; k < rows[i].before.size(); ++k) {
            EXPECT_TRUE(back[i].before[k] == rows[i].before[k]);
            EXPECT_EQ(back[i].before[k].isReal(), rows[i].before[k].isReal());
        }
        for (std::size_t k = 0; k < rows[i].after.size(); ++k)
            EXPECT_TRUE(back[i].after[k] == rows[i].after[k]);
    }
    EXPECT_THROW(decodeChanges(encodeChanges(rows).substr(0, 10), 4), Error);
}

}  // namespace
