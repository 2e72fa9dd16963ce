#include <gtest/gtest.h>

#include "storage/cursor.h"
#include "storage/engine.h"
#include "storage/error.h"
#include "storage/query.h"
#include "support/temp_dir.h"

using namespace varneth::storage;

namespace {

TableDef codesDef() {
    TableDef d;
    d.name = "allcodes.DBF";
    d.fields = {{"CODE", FieldType::Text, 6},
                {"NAME", FieldType::Text, 10},
                {"PRICE", FieldType::Number, 0},
                {"DT", FieldType::Date, 0}};
    d.orderings = {{"CODE", {"CODE"}, ""}};
    return d;
}

class FilterQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.bind(Alias::Curr, dir.path(), true);
        db().registerDefinition(codesDef());
        db().createTable(codesDef());
        Cursor c(db(), "allcodes.DBF");
        for (auto [code, name, price] : {std::tuple{"600000", "浦发银行", 7.5},
                                         {"600036", "招商银行", 35.0},
                                         {"000001", "平安银行", 11.0},
                                         {"60'0", "quoted", 1.0}}) {
            c.append();
            c.setValue("CODE", code);
            c.setValue("NAME", name);
            c.setValue("PRICE", price);
            c.post();
        }
    }
    Database& db() { return engine.database(Alias::Curr); }
    int countWhere(const std::string& filter) {
        Cursor c(db(), "allcodes.DBF");
        c.setFilter(filter);
        return c.count();
    }

    varneth::testsupport::TempDir dir;
    Engine engine;
};

TEST_F(FilterQueryTest, PrefixPatternsAndComparisons) {
    EXPECT_EQ(countWhere("code='60*'"), 3);
    EXPECT_EQ(countWhere("code='*'"), 4);
    EXPECT_EQ(countWhere("code='600000'"), 1);
    EXPECT_EQ(countWhere("code='6000'"), 0);  // without "*" the whole value must match
    EXPECT_EQ(countWhere("code<>'60*'"), 1);
    EXPECT_EQ(countWhere("CODE>='600000' AND code<='609999'"), 2);
    EXPECT_EQ(countWhere("price>10 and not (code='000001')"), 1);
    EXPECT_EQ(countWhere("(price<10 or price>30) and name<>''"), 3);
    EXPECT_EQ(countWhere("code=" + Filter::quote("60'0")), 1);  // typed quotes stay text
    EXPECT_EQ(countWhere("dt=''"), 4);                          // an empty date is empty
    EXPECT_THROW(countWhere("code='60"), Error);
    EXPECT_THROW(countWhere("nosuch='1'"), Error);
    EXPECT_THROW(countWhere("code='1' and"), Error);
}

TEST_F(FilterQueryTest, AFilteredCursorFollowsPostsIntoAndOutOfItsView) {
    Cursor c(db(), "allcodes.DBF");
    c.setOrdering("CODE");
    c.setFilter("code='60*'");
    Cursor writer(db(), "allcodes.DBF");
    ASSERT_TRUE(writer.locate("code", {"000001"}));
    writer.setValue("CODE", "601398");
    writer.post();
    EXPECT_EQ(c.count(), 4);
    c.last();
    EXPECT_EQ(c.text("CODE"), "601398");
    c.setValue("CODE", "300001");  // leaves the filter
    c.post();
    EXPECT_EQ(c.count(), 3);
    EXPECT_EQ(c.text("CODE"), "600036");
}

TEST_F(FilterQueryTest, QueryBindsNamedParametersFromAnotherCursor) {
    Cursor source(db(), "allcodes.DBF");
    ASSERT_TRUE(source.locate("code", {"600036"}));
    Query q(db());
    q.setText("select code, name as 名称, price*2 as 双价\nfrom \"allcodes.dbf\"\nwhere code=:\"Code\"");
    q.bindFrom(source);
    Cursor& r = q.open();
    ASSERT_EQ(r.count(), 1);
    EXPECT_EQ(r.text("名称"), "招商银行");
    EXPECT_EQ(r.number("双价"), 70);
    // Replacing a line and reopening keeps the same result cursor.
    q.lines()[2] = "where price>:p";
    q.setParam("P", 10.0);
    Cursor& again = q.open();
    EXPECT_EQ(&again, &r);
    EXPECT_EQ(r.count(), 2);
    EXPECT_THROW(r.setValue("code", "x"), Error);
    q.setText("delete from \"allcodes.dbf\"");
    EXPECT_THROW(q.open(), Error);
    EXPECT_EQ(source.count(), 4);
    EXPECT_EQ(Query::rewrite("a=:\"Code\" and b=':\"x\"'"), "a=:Code and b=':\"x\"'");
}

TEST_F(FilterQueryTest, ActionsCommitAtTheOutermostScopeOrRollBackWhenAbandoned) {
    {
        Action outer(engine);
        {
            Action inner(engine);
            Cursor c(db(), "allcodes.DBF");
            c.append();
            c.setValue("CODE", "100000");
            c.post();
        }
        EXPECT_TRUE(db().inTransaction());
    }
    EXPECT_FALSE(db().inTransaction());
    {
        Action a(engine);
        Cursor c(db(), "allcodes.DBF");
        ASSERT_TRUE(c.locate("code", {"100000"}));
        c.remove();
        a.abandon();
    }
    Cursor after(db(), "allcodes.DBF");
    EXPECT_TRUE(after.locate("code", {"100000"}));  // the abandoned delete is undone in memory too
    // A committed action survives a reopen of the database.
    engine.unbind(Alias::Curr);
    engine.bind(Alias::Curr, dir.path());
    db().registerDefinition(codesDef());
    Cursor reopened(db(), "allcodes.DBF");
    EXPECT_EQ(reopened.count(), 5);
}

TEST_F(FilterQueryTest, BindingRefusesMissingDirectoriesAndDatabases) {
    EXPECT_THROW(engine.bind(Alias::Kvt, dir / "missing"), Error);
    std::filesystem::create_directory(dir / "nodb");
    EXPECT_THROW(engine.bind(Alias::Kvt, dir / "nodb"), Error);
    EXPECT_FALSE(std::filesystem::exists(dir / "nodb" / Database::kFileName));
    EXPECT_FALSE(engine.isBound(Alias::Kvt));
}

}  // namespace
