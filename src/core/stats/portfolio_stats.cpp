#include "stats/portfolio_stats.h"

#include "storage/engine.h"

namespace varneth::stats {

namespace {

using Lines = std::vector<std::string>;

std::size_t at(auto e) {
    return static_cast<std::size_t>(e);
}

std::string head(const StatsChoice& c) {
    if (c.history())
        return "select date1 as 成交日期,wth as 记录标记,qsdm as 券商代码, qs as 券商, "
               "zjzh as 资金帐户, lx as 资产类型, code as 代码, name as 名称,";
    switch (c.content) {
        case Content::Detail:
            return "select date1 as 日期,wth as 记录标记,qsdm as 券商代码, qs as 券商, "
                   "zjzh as 资金帐户, lx as 类型代码, code as 代码, name as 名称,";
        case Content::ByCode:
            return "select code as 代码, name as 名称, bs as 多空,";
        case Content::ByType:
            return "select lx as 类型代码, lxm as 类型,bs as 多空,";
        case Content::ByAccount:
            return "select qsdm as 券商代码, qs as 券商, zjzh as 资金帐户,";
    }
    return {};
}

Lines columns(const StatsChoice& c) {
    const bool detail = c.content == Content::Detail;
    const bool discount = c.pl == PlType::FloatingDiscount;
    switch (c.kind) {
        case Kind::Proportion:
            if (detail)
                return {
                    "AMT as  数量, price1 as 价格1,price2 as 价格2,  cost1+yhs+sxf as 成本,  cost2 as 市值,",
                    "per as 市值百分比, cost2*birate*zk_rate/"
                    "( select sum(cost2*birate) from \"tr2.dbf\" where lx='zzz')*100 as 折扣百分比"};
            return {
                "SUM(AMT) as  数量, sum(price1*amt)/sum(amt) as 均价1,sum(price2*amt)/sum(amt) as 均价2, ",
                "sum((cost1+yhs+sxf)*birate) as 成本, sum(cost2*birate) as 市值, ",
                "avg(birate) as 货币比率,",
                "sum(per) as 市值百分比, sum(cost2*zk_rate*birate)/"
                "( select sum(cost2*birate) from \"tr2.dbf\" where lx='zzz')*100 as 折扣百分比"};
        case Kind::ProfitLoss:
            if (detail)
                return {
                    "AMT as  数量, price1 as 价格1, price2 as 价格2, cost1+yhs+sxf as 成本, cost2 as 市值,",
                    discount ? "cost2*zk_rate as 折扣价值,zk_rate as 折扣率, "
                               "(cost2*zk_rate-cost1)*100/(cost1) as 增值率"
                             : "sxf+yhs as 交易费,(cost2-cost1-sxf-yhs)*100/(cost1) as 增值率"};
            return {"SUM(AMT) as  数量, sum(price1*amt)/sum(amt) as 均价1, ",
                    "sum(price2*amt)/sum(amt) as 均价2,sum((cost1+yhs+sxf)*birate) as 成本,",
                    "avg(birate) as 货币比率,",
                    discount ? "sum(cost2*zk_rate*birate) as 折扣价值,avg(zk_rate) as 折扣率, "
                               "sum(cost2*zk_rate-cost1)*100/sum(cost1) as 增值率"
                             : "sum(cost2*birate) as  市值,sum(sxf+yhs) as 交易费,"
                               "sum(cost2-cost1-sxf-yhs)*100/sum(cost1) as 增值率"};
        case Kind::TradeHistory:
        case Kind::ClosedPairs:
            return {"AMT as  数量, price1 as 成交价,  price1*amt as 成交金额"};
    }
    return {};
}

std::string filter(const StatsChoice& c) {
    switch (c.kind) {
        case Kind::Proportion:
            return "where (wth='' or wth>'PA' or wth<'P')";
        case Kind::ProfitLoss:
            switch (c.pl) {
                case PlType::Total:
                    return "where (wth='' or  wth='###' or wth>'P' and wth<'PA') and amt>0";
                case PlType::ClosedOut:
                    return "where (wth<'PA' and wth>'P' and amt>0)";
                case PlType::FloatingFees:
                case PlType::FloatingDiscount:
                    return "where (wth='' or wth='###') and amt>0";
            }
            break;
        case Kind::TradeHistory:
            return "where (wth='' or wth<>'PA')";
        case Kind::ClosedPairs:
            return "where (wth>='P' and wth<'PA' )";
    }
    return {};
}

Lines grouping(const StatsChoice& c) {
    if (c.kind == Kind::TradeHistory) return {"order by date1,code"};
    if (c.kind == Kind::ClosedPairs) return {"order by wth,code"};
    switch (c.content) {
        case Content::Detail:
            return {"order by qsdm, zjzh, code"};
        case Content::ByCode:
            return {"group by code,name,bs", "order by code,name,bs"};
        case Content::ByType:
            return {"group by lx, lxm,bs", "order by lx,lxm,bs"};
        case Content::ByAccount:
            return {"group by qsdm, qs,zjzh", "order by qsdm, qs,zjzh"};
    }
    return {};
}

std::string labelColumn(Content content) {
    switch (content) {
        case Content::Detail:
        case Content::ByCode:
            return "名称";
        case Content::ByType:
            return "类型";
        case Content::ByAccount:
            return "资金帐户";
    }
    return {};
}

}  // namespace

const char* nameOf(Kind kind) {
    return kKindNames[at(kind)];
}
const char* nameOf(Content content) {
    return kContentNames[at(content)];
}
const char* nameOf(PlType pl) {
    return kPlNames[at(pl)];
}

StatsQueries buildQueries(const StatsChoice& choice) {
    StatsQueries q;
    q.grid.push_back(head(choice));
    for (auto& line : columns(choice)) q.grid.push_back(std::move(line));
    q.grid.emplace_back("from \"tr2.DBf\" ");
    q.chart = q.grid;
    q.grid.push_back(filter(choice));
    q.chart.push_back(filter(choice));
    q.chart.emplace_back("and qsdm<>'zzc' and qsdm<>'zzz'");
    for (const auto& line : grouping(choice)) {
        q.grid.push_back(line);
        q.chart.push_back(line);
    }
    return q;
}

PortfolioStats::PortfolioStats(ledger::Holdings& holdings, storage::Database& kvt, const StatsChoice& choice)
    : holdings_(holdings), choice_(choice), grid_(kvt), chart_(kvt) {}

void PortfolioStats::show() {
    storage::Action action(holdings_.engine());
    if (holdings_.valuationPending()) holdings_.calc();
    rebuild();
}

void PortfolioStats::choose(const StatsChoice& choice) {
    choice_ = choice;
    rebuild();
}

void PortfolioStats::rebuild() {
    storage::Action action(holdings_.engine());
    StatsQueries q = buildQueries(choice_);
    grid_.lines() = std::move(q.grid);
    chart_.lines() = std::move(q.chart);
    grid_.open().last();
    if (choice_.history())
        chart_.close();
    else
        chart_.open();
}

BarChart PortfolioStats::chart() {
    BarChart c;
    if (choice_.history()) return c;
    c.shown = true;
    std::string firstColumn, secondColumn;
    if (choice_.kind == Kind::Proportion) {
        c.title = "投资比例条形图";
        c.firstSeries = firstColumn = "市值百分比";
        c.secondSeries = secondColumn = "折扣百分比";
    } else {
        c.title = "投资成本和现值条形图";
        c.firstSeries = "成 本";
        firstColumn = "成本";
        const bool discount = choice_.pl == PlType::FloatingDiscount;
        c.secondSeries = discount ? "折扣价值" : "市 值";
        secondColumn = discount ? "折扣价值" : "市值";
    }
    c.labelColumn = labelColumn(choice_.content);
    if (!chart_.isOpen()) return c;
    const storage::Cursor& rows = chart_.result();
    const int label = rows.fieldIndex(c.labelColumn);
    const int first = rows.fieldIndex(firstColumn);
    const int second = rows.fieldIndex(secondColumn);
    for (int p = 0; p < rows.count(); ++p)
        c.bars.push_back({rows.valueAt(p, label).toString(), rows.valueAt(p, first).toDouble(),
                          rows.valueAt(p, second).toDouble()});
    return c;
}

}  // namespace varneth::stats
