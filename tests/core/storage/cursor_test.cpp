#include "storage/cursor.h"

#include <gtest/gtest.h>

#include "storage/engine.h"
#include "storage/error.h"
#include "support/temp_dir.h"

using namespace varneth::storage;

namespace {

// A small ledger-like table: a dBASE table with a conditional tag, and a keyed Paradox table.
TableDef ledgerDef() {
    TableDef d;
    d.name = "t.DBF";
    d.kind = TableKind::DBase;
    d.fields = {{"WTH", FieldType::Text, 11}, {"QSDM", FieldType::Text, 4},  {"CODE", FieldType::Text, 6},
                {"NAME", FieldType::Text, 8}, {"AMT", FieldType::Number, 0}, {"DATE1", FieldType::Date, 0}};
    d.orderings = {{"No_PC", {"QSDM", "CODE"}, "not (wth>'P' and wth<'PA')"},
                   {"For_PC", {"WTH"}, "wth>'P' and wth<'PA'"}};
    return d;
}

TableDef keyedDef() {
    TableDef d;
    d.name = "k.DB";
    d.kind = TableKind::Paradox;
    d.fields = {
        {"User_name", FieldType::Text, 8}, {"Pw", FieldType::Text, 8}, {"Now", FieldType::Logical, 0}};
    d.primaryKey = {"User_name", "Pw"};
    return d;
}

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.bind(Alias::Kvt, dir.path(), true);
        db().registerDefinition(ledgerDef());
        db().registerDefinition(keyedDef());
        db().createTable(ledgerDef());
        db().createTable(keyedDef());
    }
    Database& db() { return engine.database(Alias::Kvt); }
    void add(Cursor& c, const char* wth, const char* qsdm, const char* code, double amt) {
        c.append();
        c.setValue("WTH", wth);
        c.setValue("QSDM", qsdm);
        c.setValue("CODE", code);
        c.setValue("AMT", amt);
        c.post();
    }
    std::string codes(Cursor& c) {
        std::string out;
        for (c.first(); !c.eof(); c.next()) out += c.text("CODE") + " ";
        return out;
    }

    varneth::testsupport::TempDir dir;
    Engine engine;
};

TEST_F(CursorTest, OrderingsHoldTheirRowsAndEqualKeysKeepInsertionOrder) {
    Cursor c(db(), "t.DBF");
    add(c, "", "02", "600001", 100);
    add(c, "P2026010100", "01", "600002", 50);
    add(c, "", "01", "600003", 10);
    add(c, "", "01", "600003", 20);  // same key as the row before
    add(c, "###", "01", "000001", 5);
    EXPECT_EQ(codes(c), "600001 600002 600003 600003 000001 ");  // natural order
    c.setOrdering("No_PC");
    EXPECT_EQ(codes(c), "000001 600003 600003 600001 ");
    c.first();
    c.next();
    EXPECT_EQ(c.number("AMT"), 10);  // the first of the equal keys is the first inserted
    c.setOrdering("For_PC");
    EXPECT_EQ(codes(c), "600002 ");
    EXPECT_THROW(c.setOrdering("nope"), Error);
}

TEST_F(CursorTest, LocateFindsTheFirstMatchInOrderAndFilterAndStaysWhenNotFound) {
    Cursor c(db(), "t.DBF");
    add(c, "", "02", "xj", 1000);
    add(c, "0611101010", "01", "xj", -500);  // a frozen-cash row sorts before the cash row by key
    add(c, "", "01", "xj", 2000);
    c.setOrdering("No_PC");
    ASSERT_TRUE(c.locate("qsdm;code", {"01", "xj"}));
    EXPECT_EQ(c.number("AMT"), -500);
    ASSERT_TRUE(c.locate("qsdm;code;wth", {"01", "xj", ""}));
    EXPECT_EQ(c.number("AMT"), 2000);
    int at = c.position();
    EXPECT_FALSE(c.locate("QSDM;CODE", {"03", "xj"}));
    EXPECT_EQ(c.position(), at);
    EXPECT_FALSE(c.locate("code", {"XJ"}));  // case-sensitive
    c.setFilter("qsdm='02'");
    ASSERT_TRUE(c.locate("code", {"xj"}));
    EXPECT_EQ(c.number("AMT"), 1000);
    EXPECT_FALSE(c.locate("amt", {"not a number"}));
}

TEST_F(CursorTest, RepeatedLocatesSeeEveryWriteInBetween) {
    Cursor c(db(), "t.DBF");
    c.setOrdering("No_PC");
    add(c, "", "02", "600001", 1);
    ASSERT_TRUE(c.locate("code", {"600001"}));
    EXPECT_FALSE(c.locate("code", {"600002"}));
    Cursor writer(db(), "t.DBF");
    add(writer, "", "01", "600001", 2);  // sorts first: now the first match
    add(writer, "", "03", "600002", 3);
    ASSERT_TRUE(c.locate("code", {"600001"}));
    EXPECT_EQ(c.number("AMT"), 2);
    ASSERT_TRUE(c.locate("code", {"600002"}));
    writer.first();  // natural order: the first row appended
    writer.setValue("CODE", "600009");
    writer.post();
    ASSERT_TRUE(c.locate("code", {"600009"}));
    EXPECT_EQ(c.number("AMT"), 1);
    EXPECT_TRUE(c.locate("amt", {3}));
    EXPECT_TRUE(c.locate("amt", {"3"}));
}

TEST_F(CursorTest, PostThatLeavesTheViewMovesToTheSuccessor) {
    Cursor c(db(), "t.DBF");
    add(c, "", "01", "600001", 1);
    add(c, "", "01", "600002", 2);
    add(c, "", "01", "600003", 3);
    c.setOrdering("No_PC");
    ASSERT_TRUE(c.locate("code", {"600002"}));
    c.setValue("WTH", "P2026010100");  // closed out: leaves No_PC
    c.post();
    EXPECT_EQ(c.count(), 2);
    EXPECT_EQ(c.text("CODE"), "600003");
    // A post that changes the key re-places the row and keeps it current.
    c.first();
    c.setValue("QSDM", "09");
    c.post();
    EXPECT_EQ(c.text("CODE"), "600001");
    EXPECT_EQ(c.position(), 1);
    // The last row leaving the view leaves the cursor on the new last row.
    c.setValue("WTH", "P2026010101");
    c.post();
    EXPECT_EQ(c.count(), 1);
    EXPECT_EQ(c.text("CODE"), "600003");
}

TEST_F(CursorTest, CursorsOverOneTableSeeEachOthersPosts) {
    Cursor a(db(), "t.DBF");
    Cursor b(db(), "t.DBF");
    b.setOrdering("No_PC");
    add(a, "", "01", "600001", 1);
    add(a, "", "01", "600009", 9);
    b.last();
    EXPECT_EQ(b.text("CODE"), "600009");
    add(a, "", "00", "600005", 5);  // sorts before b's current row
    EXPECT_EQ(b.count(), 3);
    EXPECT_EQ(b.text("CODE"), "600009");  // b stays on its row
    a.first();
    a.setValue("AMT", 11.0);
    a.post();
    ASSERT_TRUE(b.locate("code", {"600001"}));
    EXPECT_EQ(b.number("AMT"), 11);
    b.remove();
    EXPECT_EQ(a.count(), 2);
    EXPECT_FALSE(a.locate("code", {"600001"}));
}

TEST_F(CursorTest, MovingAwayPostsAndCancelDiscards) {
    Cursor c(db(), "t.DBF");
    add(c, "", "01", "600001", 1);
    add(c, "", "01", "600002", 2);
    c.first();
    c.setValue("AMT", 7.0);
    c.next();  // posts the edit
    Cursor other(db(), "t.DBF");
    EXPECT_EQ(other.number("AMT"), 7);
    c.setValue("AMT", 99.0);
    c.cancel();
    EXPECT_EQ(c.number("AMT"), 2);
    c.append();
    c.cancel();
    EXPECT_EQ(c.count(), 2);
}

TEST_F(CursorTest, BookmarksReturnToTheRowWhileItIsInTheView) {
    Cursor c(db(), "t.DBF");
    add(c, "", "01", "600001", 1);
    add(c, "", "01", "600002", 2);
    c.setOrdering("No_PC");
    c.first();
    auto mark = c.bookmark();
    c.last();
    ASSERT_TRUE(c.gotoBookmark(mark));
    EXPECT_EQ(c.text("CODE"), "600001");
    c.setFilter("code='600002'");
    EXPECT_FALSE(c.gotoBookmark(mark));
}

TEST_F(CursorTest, KeyedTablesAreVisitedInKeyOrderAndRefuseADuplicateKey) {
    Cursor z(db(), "k.DB");
    for (const char* n : {"b", "a", "c"}) {
        z.append();
        z.setValue("User_name", n);
        z.post();
    }
    std::string order;
    for (z.first(); !z.eof(); z.next()) order += z.text("User_name");
    EXPECT_EQ(order, "abc");
    ASSERT_TRUE(z.findKey({"b"}));
    EXPECT_EQ(z.text("User_name"), "b");
    EXPECT_FALSE(z.findKey({"bb"}));
    z.append();
    z.setValue("User_name", "a");
    EXPECT_THROW(z.post(), KeyViolation);
    EXPECT_EQ(z.state(), Cursor::State::Insert);  // the user may correct and post again
    z.setValue("Pw", "x");
    z.post();
    EXPECT_EQ(z.count(), 4);
}

TEST_F(CursorTest, ValuesAreFittedToTheirFields) {
    Cursor c(db(), "t.DBF");
    c.append();
    c.setValue("NAME", "平安银行ABC");  // 11 GBK bytes into 8: never half a character
    c.setValue("CODE", "600000   ");
    c.setValue("DATE1", "2026-1-5");
    EXPECT_THROW(c.setValue("AMT", "12x"), Error);
    EXPECT_THROW(c.setValue("DATE1", "2026-02-30"), Error);
    c.post();
    EXPECT_EQ(c.text("NAME"), "平安银行");
    EXPECT_EQ(c.text("CODE"), "600000");
    EXPECT_EQ(*c.date("DATE1"), "2026-01-05");
    EXPECT_TRUE(c.value("AMT").isNull());
    c.setValue("NAME", "平安银A");
    c.post();
    EXPECT_EQ(c.text("NAME"), "平安银A");
}

TEST_F(CursorTest, DisplayObserversAreQuietWhileSuspended) {
    struct Counter : CursorObserver {
        int resets = 0, rows = 0, moves = 0;
        void viewReset() override { ++resets; }
        void rowChanged(int) override { ++rows; }
        void currentChanged(int) override { ++moves; }
    } seen;
    Cursor c(db(), "t.DBF");
    add(c, "", "01", "600001", 1);
    c.addObserver(&seen);
    c.suspendDisplay();
    for (c.first(); !c.eof(); c.next()) {
        c.setValue("AMT", 2.0);
        c.post();
    }
    add(c, "", "01", "600002", 1);
    EXPECT_EQ(seen.resets + seen.rows + seen.moves, 0);
    c.resumeDisplay();
    EXPECT_EQ(seen.resets, 1);
    c.first();
    c.setValue("AMT", 3.0);
    c.post();
    EXPECT_EQ(seen.rows, 1);
    c.removeObserver(&seen);
}

}  // namespace
