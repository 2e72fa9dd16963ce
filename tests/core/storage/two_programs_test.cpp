// Two engines on one directory stand for the window and a scheduled job: what one commits, the
// other's next action reads; a writer never waits forever; a failing file writes nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <fstream>

#include "storage/cursor.h"
#include "storage/engine.h"
#include "storage/error.h"
#include "support/temp_dir.h"

using namespace varneth::storage;
using namespace std::chrono_literals;

namespace {

TableDef cashDef() {
    TableDef d;
    d.name = "cash.DBF";
    d.kind = TableKind::DBase;
    d.fields = {{"ZJZH", FieldType::Text, 10}, {"AMT", FieldType::Number, 0}, {"NOTE", FieldType::Text, 200}};
    return d;
}

class TwoProgramsTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.bind(Alias::Kvt, dir.path(), true);
        job.bind(Alias::Kvt, dir.path());
        for (Engine* e : {&window, &job}) db(*e).registerDefinition(cashDef());
        db(window).createTable(cashDef());
        Cursor c(db(window), "cash.DBF");
        for (const char* zjzh : {"A", "B", "C"}) {
            c.append();
            c.setValue("ZJZH", zjzh);
            c.setValue("AMT", 100.0);
            c.post();
        }
    }
    static Database& db(Engine& e) { return e.database(Alias::Kvt); }
    // The read-modify-write of a transfer: the amount is read inside the action.
    static void addTo(Engine& e, Cursor& c, const char* zjzh, double amount) {
        Action action(e);
        ASSERT_TRUE(c.locate("ZJZH", {zjzh}));
        c.setValue("AMT", c.number("AMT") + amount);
        c.post();
    }

    varneth::testsupport::TempDir dir;
    Engine window, job;
};

TEST_F(TwoProgramsTest, AnActionReadsWhatTheOtherProgramCommittedAndKeepsItsRow) {
    Cursor mine(db(window), "cash.DBF");
    Cursor theirs(db(job), "cash.DBF");
    for (int i = 0; i < 3; ++i) {
        addTo(job, theirs, "A", 1);
        addTo(window, mine, "A", 1);
    }
    ASSERT_TRUE(mine.locate("ZJZH", {"B"}));
    {
        Action action(job);
        theirs.first();
        theirs.remove();  // row A goes; the window's cursor must follow its row, not its position
    }
    Action action(window);
    EXPECT_EQ(mine.count(), 2);
    EXPECT_EQ(mine.text("ZJZH"), "B");
    EXPECT_FALSE(mine.locate("ZJZH", {"A"}));
    ASSERT_TRUE(mine.locate("ZJZH", {"C"}));
    EXPECT_EQ(mine.number("AMT"), 100);
}

TEST_F(TwoProgramsTest, NoUpdateIsLostWhenBothProgramsMoveTheSameRow) {
    Cursor mine(db(window), "cash.DBF");
    Cursor theirs(db(job), "cash.DBF");
    // Interleaved so that each reads after the other's write: stale rows would lose half of them.
    for (int i = 0; i < 20; ++i) {
        addTo(window, mine, "C", 1);
        addTo(job, theirs, "C", 1);
    }
    Action action(window);
    ASSERT_TRUE(mine.locate("ZJZH", {"C"}));
    EXPECT_EQ(mine.number("AMT"), 140);
}

TEST_F(TwoProgramsTest, AWriterGivesUpAfterItsWaitWithNothingWrittenAndTheNextActionRuns) {
    job.setBusyTimeout(100ms);
    int waits = 0, ends = 0;
    job.setWaitNotifier([&](bool waiting) { (waiting ? waits : ends)++; });
    Cursor theirs(db(job), "cash.DBF");
    {
        Action holding(window);
        Cursor mine(db(window), "cash.DBF");
        ASSERT_TRUE(mine.locate("ZJZH", {"A"}));
        mine.setValue("AMT", 1.0);
        mine.post();
        try {
            Action waiting(job);
            FAIL() << "the lock was taken twice";
        } catch (const Busy& e) {
            EXPECT_STREQ(e.what(), "数据库正被另一个Varneth程序使用，请稍后再试。");
        }
        EXPECT_EQ(job.actionDepth(), 0);
        EXPECT_EQ(waits, 1);
        EXPECT_EQ(ends, 1);
    }
    addTo(job, theirs, "A", 5);
    EXPECT_EQ(theirs.number("AMT"), 6);  // the window's committed 1, then this action's 5
}

TEST_F(TwoProgramsTest, AReadingActionDoesNotBlockTheOtherWriter) {
    job.setBusyTimeout(100ms);
    Action reading(window, Action::Mode::Read);
    Cursor theirs(db(job), "cash.DBF");
    addTo(job, theirs, "B", 1);
    EXPECT_EQ(theirs.number("AMT"), 101);
}

TEST_F(TwoProgramsTest, AFullDiskEndsTheActionWithNothingWritten) {
    Cursor mine(db(window), "cash.DBF");
    sqlite3_exec(db(window).handle(), "PRAGMA max_page_count=1", nullptr, nullptr, nullptr);  // "full" now
    const std::string note(4000, 'x');
    try {
        Action action(window);
        ASSERT_TRUE(mine.locate("ZJZH", {"A"}));
        mine.setValue("AMT", 0.0);
        mine.post();  // fits: the page is there
        for (int i = 0; i < 50; ++i) {
            mine.append();
            mine.setValue("ZJZH", "X");
            mine.setValue("NOTE", note);
            mine.post();
        }
        FAIL() << "the disk never filled";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("磁盘已满"), std::string::npos) << e.what();
    }
    Cursor fresh(db(job), "cash.DBF");
    EXPECT_EQ(fresh.count(), 3);
    ASSERT_TRUE(fresh.locate("ZJZH", {"A"}));
    EXPECT_EQ(fresh.number("AMT"), 100);  // posted before the failure, yet not kept
    EXPECT_EQ(mine.count(), 3);           // the window's rows went back too
}

TEST(DatabaseOpen, ADamagedFileIsNamedWithTheReason) {
    varneth::testsupport::TempDir dir;
    std::ofstream(dir.path() / Database::kFileName) << "not a database, just text that fills a page";
    Engine e;
    try {
        e.bind(Alias::Curr, dir.path());
        FAIL() << "a damaged file opened";
    } catch (const CannotOpen& err) {
        EXPECT_EQ(std::string(err.what()), "数据文件" + (dir.path() / Database::kFileName).string() +
                                               "不能打开：文件已损坏或不是数据文件");
    }
}

}  // namespace
