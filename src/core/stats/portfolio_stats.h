#pragma once

#include <array>
#include <string>
#include <vector>

#include "ledger/holdings.h"
#include "storage/database.h"
#include "storage/query.h"

namespace varneth::stats {

// The three choices of the statistics window, in the order their radio groups list them.
enum class Kind { Proportion, ProfitLoss, TradeHistory, ClosedPairs };
enum class Content { Detail, ByCode, ByType, ByAccount };
enum class PlType { Total, ClosedOut, FloatingFees, FloatingDiscount };

struct StatsChoice {
    Kind kind = Kind::Proportion;
    Content content = Content::ByType;
    PlType pl = PlType::FloatingFees;

    bool contentEnabled() const { return kind == Kind::Proportion || kind == Kind::ProfitLoss; }
    bool plEnabled() const { return kind == Kind::ProfitLoss; }
    bool history() const { return kind == Kind::TradeHistory || kind == Kind::ClosedPairs; }
};

inline constexpr std::array<const char*, 4> kKindNames{"投资比例", "盈亏", "成交历史(按日期)",
                                                       "平仓记录(买卖成对)"};
inline constexpr std::array<const char*, 4> kContentNames{"详细记录", "按股票代码统计", "按资产类型统计",
                                                          "按资金帐户统计"};
inline constexpr std::array<const char*, 4> kPlNames{"总盈亏  ", "平仓盈亏", "浮动盈亏(减手续费)",
                                                     "浮动盈亏(按折扣率)"};

const char* nameOf(Kind kind);
const char* nameOf(Content content);
const char* nameOf(PlType pl);

// The SQL texts of one choice, line by line: the grid's and the chart's, which differs only in
// leaving out the two total rows.
struct StatsQueries {
    std::vector<std::string> grid;
    std::vector<std::string> chart;
};
StatsQueries buildQueries(const StatsChoice& choice);

struct Bar {
    std::string label;
    double first = 0, second = 0;  // an empty value (a division by zero) is a bar of 0
};

// What the bar chart shows; not shown for the two history kinds.
struct BarChart {
    bool shown = false;
    std::string title;
    std::string labelColumn;
    std::string firstSeries, secondSeries;
    std::vector<Bar> bars;
};

// The statistics window's operations: the two queries over the ledger for the current choice.
class PortfolioStats {
public:
    PortfolioStats(ledger::Holdings& holdings, storage::Database& kvt, const StatsChoice& choice = {});

    // As the window is shown: the pending valuation first, then the queries.
    void show();
    // A changed choice rebuilds and reopens both queries; storage::Error carries the table
    // engine's message when a query fails (the grid then keeps its rows).
    void choose(const StatsChoice& choice);
    void rebuild();

    const StatsChoice& choice() const { return choice_; }
    // The grid query's result, on its last row after each rebuild.
    storage::Cursor& grid() { return grid_.result(); }
    const storage::Query& gridQuery() const { return grid_; }
    const storage::Query& chartQuery() const { return chart_; }
    BarChart chart();

private:
    ledger::Holdings& holdings_;
    StatsChoice choice_;
    storage::Query grid_;
    storage::Query chart_;
};

}  // namespace varneth::stats
