// The statistics queries on the demonstration book (cash rows, long and short holdings, an account
// in HKD at 0.92, an unconfirmed order with its frozen cash, two closed-out pairs, both total rows)
// with a manual "###" row added.
#include "stats/portfolio_stats.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

#include "stats_fixture.h"
#include "storage/error.h"

namespace varneth::stats {

namespace {

using testsupport::StatsFixture;

// The texts to compare with, each piece as the window's developer wrote it down.
const std::map<std::string, std::string> kHeads{
    {"detail",
     "select date1 as 日期,wth as 记录标记,qsdm as 券商代码, qs as 券商, zjzh as 资金帐户, lx as 类型代码, "
     "code as 代码, "
     "name as 名称,"},
    {"code", "select code as 代码, name as 名称, bs as 多空,"},
    {"type", "select lx as 类型代码, lxm as 类型,bs as 多空,"},
    {"account", "select qsdm as 券商代码, qs as 券商, zjzh as 资金帐户,"},
    {"history",
     "select date1 as 成交日期,wth as 记录标记,qsdm as 券商代码, qs as 券商, zjzh as 资金帐户, lx as "
     "资产类型, code as "
     "代码, name as 名称,"}};
const char* kShareOfDiscounted =
    "/( select sum(cost2*birate) from \"tr2.dbf\" where lx='zzz')*100 as 折扣百分比";

std::string columnsOf(const StatsChoice& c) {
    const bool detail = c.content == Content::Detail, discount = c.pl == PlType::FloatingDiscount;
    if (c.history()) return "AMT as  数量, price1 as 成交价,  price1*amt as 成交金额";
    if (c.kind == Kind::Proportion && detail)
        return std::string(
                   "AMT as  数量, price1 as 价格1,price2 as 价格2,  cost1+yhs+sxf as 成本,  cost2 as 市值,\n"
                   "per as 市值百分比, cost2*birate*zk_rate") +
               kShareOfDiscounted;
    if (c.kind == Kind::Proportion)
        return std::string(
                   "SUM(AMT) as  数量, sum(price1*amt)/sum(amt) as 均价1,sum(price2*amt)/sum(amt) as 均价2, "
                   "\n"
                   "sum((cost1+yhs+sxf)*birate) as 成本, sum(cost2*birate) as 市值, \navg(birate) as "
                   "货币比率,\n"
                   "sum(per) as 市值百分比, sum(cost2*zk_rate*birate)") +
               kShareOfDiscounted;
    if (detail)
        return std::string(
                   "AMT as  数量, price1 as 价格1, price2 as 价格2, cost1+yhs+sxf as 成本, cost2 as "
                   "市值,\n") +
               (discount ? "cost2*zk_rate as 折扣价值,zk_rate as 折扣率, (cost2*zk_rate-cost1)*100/(cost1) "
                           "as 增值率"
                         : "sxf+yhs as 交易费,(cost2-cost1-sxf-yhs)*100/(cost1) as 增值率");
    return std::string(
               "SUM(AMT) as  数量, sum(price1*amt)/sum(amt) as 均价1, \n"
               "sum(price2*amt)/sum(amt) as 均价2,sum((cost1+yhs+sxf)*birate) as 成本,\navg(birate) as "
               "货币比率,\n") +
           (discount ? "sum(cost2*zk_rate*birate) as 折扣价值,avg(zk_rate) as 折扣率, "
                       "sum(cost2*zk_rate-cost1)*100/sum(cost1) "
                       "as 增值率"
                     : "sum(cost2*birate) as  市值,sum(sxf+yhs) as "
                       "交易费,sum(cost2-cost1-sxf-yhs)*100/sum(cost1) as 增值率");
}

std::string filterOf(const StatsChoice& c) {
    if (c.kind == Kind::Proportion) return "where (wth='' or wth>'PA' or wth<'P')";
    if (c.kind == Kind::TradeHistory) return "where (wth='' or wth<>'PA')";
    if (c.kind == Kind::ClosedPairs) return "where (wth>='P' and wth<'PA' )";
    if (c.pl == PlType::Total) return "where (wth='' or  wth='###' or wth>'P' and wth<'PA') and amt>0";
    if (c.pl == PlType::ClosedOut) return "where (wth<'PA' and wth>'P' and amt>0)";
    return "where (wth='' or wth='###') and amt>0";
}

std::string groupingOf(const StatsChoice& c) {
    if (c.kind == Kind::TradeHistory) return "order by date1,code";
    if (c.kind == Kind::ClosedPairs) return "order by wth,code";
    const char* g[] = {"order by qsdm, zjzh, code", "group by code,name,bs\norder by code,name,bs",
                       "group by lx, lxm,bs\norder by lx,lxm,bs",
                       "group by qsdm, qs,zjzh\norder by qsdm, qs,zjzh"};
    return g[static_cast<int>(c.content)];
}

std::string expectedSql(const StatsChoice& c, bool chart) {
    const char* heads[] = {"detail", "code", "type", "account"};
    const std::string head = kHeads.at(c.history() ? "history" : heads[static_cast<int>(c.content)]);
    return head + "\n" + columnsOf(c) + "\nfrom \"tr2.DBf\" \n" + filterOf(c) +
           (chart ? "\nand qsdm<>'zzc' and qsdm<>'zzz'" : "") + "\n" + groupingOf(c);
}

std::vector<StatsChoice> everyChoice() {
    std::vector<StatsChoice> all;
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 4; ++c)
            for (int p = 0; p < 4; ++p) {
                const StatsChoice s{static_cast<Kind>(k), static_cast<Content>(c), static_cast<PlType>(p)};
                // Disabled choices change nothing: one representative each.
                if ((!s.contentEnabled() && c != 0) || (!s.plEnabled() && p != 0)) continue;
                all.push_back(s);
            }
    return all;
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
    stats->show();
    for (const StatsChoice& c : everyChoice()) {
        SCOPED_TRACE(std::string(nameOf(c.kind)) + "/" + nameOf(c.content) + "/" + nameOf(c.pl));
        stats->choose(c);
        EXPECT_EQ(stats->gridQuery().text(), expectedSql(c, false));
        storage::Query direct(session->kvt());
        direct.setText(expectedSql(c, false));
        expectSameRows(stats->grid(), direct.open());
        EXPECT_GT(stats->grid().count(), 0);
        EXPECT_EQ(stats->grid().position(), stats->grid().count() - 1);  // on the last row
        if (c.history()) {
            EXPECT_FALSE(stats->chartQuery().isOpen());
            EXPECT_FALSE(stats->chart().shown);
            continue;
        }
        EXPECT_EQ(stats->chartQuery().text(), expectedSql(c, true));
        direct.setText(expectedSql(c, true));
        const storage::Cursor& chartRows = direct.open();
        const BarChart chart = stats->chart();
        ASSERT_EQ(static_cast<int>(chart.bars.size()), chartRows.count());
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
