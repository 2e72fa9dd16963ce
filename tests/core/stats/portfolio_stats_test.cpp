// The statistics queries on the demonstration book (cash rows, long and short holdings, an account
// in HKD at 0.92, an unconfirmed order with its frozen cash, two closed-out pairs, both total rows)
// with a manual "###" row added.
#include "stats/portfolio_stats.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "stats_fixture.h"
#include "storage/error.h"

namespace varneth::stats {

namespace {

using testsupport::StatsFixture;

// The grid's SQL text of each choice ("-- kind content pl" and its lines), as the window's
// developer wrote it down; disabled choices are left at 0.
std::map<std::string, std::string> goldenQueries() {
    std::ifstream in(std::filesystem::path(VARNETH_CORE_TEST_DIR "/stats") / "queries.golden");
    std::map<std::string, std::string> texts;
    std::string line, key;
    while (std::getline(in, line))
        if (line.starts_with("-- "))
            key = line.substr(3);
        else
            texts[key] += (texts[key].empty() ? "" : "\n") + line;
    return texts;
}

void expectSameRows(storage::Cursor& got, storage::Cursor& want) {
    ASSERT_EQ(got.def().fields.size(), want.def().fields.size());
    for (std::size_t i = 0; i < want.def().fields.size(); ++i)
        EXPECT_EQ(got.def().fields[i].name, want.def().fields[i].name);
    ASSERT_EQ(got.count(), want.count());
    for (int p = 0; p < want.count(); ++p)
        for (int i = 0; i < static_cast<int>(want.def().fields.size()); ++i)
            EXPECT_EQ(got.valueAt(p, i), want.valueAt(p, i)) << "row " << p << " column " << i;
}

TEST_F(StatsFixture, EveryChoiceSelectsWhatItsSqlSelectsRunDirectly) {
    const auto golden = goldenQueries();
    ASSERT_EQ(golden.size(), 22u);
    stats->show();
    for (const auto& [key, sql] : golden) {
        SCOPED_TRACE(key);
        std::istringstream k(key);
        int kind, content, pl;
        k >> kind >> content >> pl;
        stats->choose({static_cast<Kind>(kind), static_cast<Content>(content), static_cast<PlType>(pl)});
        EXPECT_EQ(stats->gridQuery().text(), sql);
        storage::Query direct(session->kvt());
        direct.setText(sql);
        expectSameRows(stats->grid(), direct.open());
        EXPECT_GT(stats->grid().count(), 0);
        EXPECT_EQ(stats->grid().position(), stats->grid().count() - 1);  // on the last row
        if (stats->choice().history()) {
            EXPECT_FALSE(stats->chartQuery().isOpen());
            EXPECT_FALSE(stats->chart().shown);
            continue;
        }
        // The chart's text: the filter followed by the line that leaves out the total rows.
        std::string chart = sql;
        const auto where = chart.find("\nwhere ");
        chart.insert(chart.find('\n', where + 1), "\nand qsdm<>'zzc' and qsdm<>'zzz'");
        EXPECT_EQ(stats->chartQuery().text(), chart);
        direct.setText(chart);
        EXPECT_EQ(static_cast<int>(stats->chart().bars.size()), direct.open().count());
    }
}

TEST_F(StatsFixture, TheGridShowsBothTotalRowsAndTheChartNeither) {
    stats->show();
    for (Content content : {Content::Detail, Content::ByType}) {
        stats->choose({Kind::Proportion, content, PlType::FloatingFees});
        const std::string codeColumn = content == Content::Detail ? "券商代码" : "类型代码";
        std::vector<std::string> totals;
        storage::Cursor& grid = stats->grid();
        for (int p = 0; p < grid.count(); ++p) {
            const std::string code = grid.valueAt(p, grid.fieldIndex(codeColumn)).toString();
            if (code == "zzc" || code == "zzz") totals.push_back(code);
        }
        EXPECT_EQ(totals, (std::vector<std::string>{"zzc", "zzz"}));
        const BarChart chart = stats->chart();
        EXPECT_EQ(static_cast<int>(chart.bars.size()), grid.count() - 2);
        for (const Bar& bar : chart.bars) {
            EXPECT_NE(bar.label, content == Content::Detail ? "市价总值" : "市价总");
            EXPECT_NE(bar.label, content == Content::Detail ? "折扣总值" : "折扣总");
        }
    }
}

TEST_F(StatsFixture, ClosedOutProfitHoldsOnlyClosedRowsWithAPositiveAmount) {
    stats->show();
    stats->choose({Kind::ProfitLoss, Content::Detail, PlType::ClosedOut});
    storage::Cursor& grid = stats->grid();
    ASSERT_EQ(grid.count(), 2);  // the two buys of the closed-out pairs, not their sells
    for (int p = 0; p < grid.count(); ++p) {
        EXPECT_EQ(grid.valueAt(p, grid.fieldIndex("记录标记")).toString().substr(0, 1), "P");
        EXPECT_GT(grid.valueAt(p, grid.fieldIndex("数量")).toDouble(), 0);
    }
}

TEST_F(StatsFixture, ShareByTypeCountsForeignMoneyAtItsRate) {
    stats->show();  // values the book first: HKD holdings 45150 and 110760 at 0.92
    EXPECT_FALSE(session->holdings().valuationPending());
    storage::Cursor& grid = stats->grid();
    ASSERT_TRUE(grid.locate("类型代码;多空", {"sb", 1}));
    EXPECT_DOUBLE_EQ(grid.number("市值"), 45150 * 0.92 + 110760 * 0.92);
    EXPECT_DOUBLE_EQ(grid.number("货币比率"), 0.92);
    // The short futures position stands on a row of its own.
    ASSERT_TRUE(grid.locate("类型代码", {"qz"}));
    EXPECT_EQ(grid.value("多空"), storage::Value(-1));
}

TEST_F(StatsFixture, AnEmptyValueIsABarOfZero) {
    stats->show();
    // Without the discounted total the discounted share divides by nothing.
    sqlite3_exec(session->kvt().handle(), "DELETE FROM \"tr2.DBF\" WHERE lx='zzz'", nullptr, nullptr,
                 nullptr);
    stats->rebuild();
    const BarChart chart = stats->chart();
    ASSERT_FALSE(chart.bars.empty());
    EXPECT_TRUE(stats->grid().value("折扣百分比").isNull());
    for (const Bar& bar : chart.bars) EXPECT_EQ(bar.second, 0);
}

TEST_F(StatsFixture, AFailedQueryKeepsTheGridAndSaysWhy) {
    stats->show();
    const int rows = stats->grid().count();
    sqlite3_exec(session->kvt().handle(), "ALTER TABLE \"tr2.DBF\" RENAME TO gone", nullptr, nullptr,
                 nullptr);
    try {
        stats->choose({Kind::ProfitLoss, Content::ByCode, PlType::Total});
        FAIL() << "the query ran without its table";
    } catch (const storage::Error& e) {
        EXPECT_NE(std::string(e.what()).find("tr2.DBf"), std::string::npos) << e.what();
    }
    EXPECT_EQ(stats->grid().count(), rows);
}

}  // namespace

}  // namespace varneth::stats
