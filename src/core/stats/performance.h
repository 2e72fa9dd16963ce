#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "port/prompter.h"
#include "stats/fund_statistics.h"
#include "stats/performance_chart.h"
#include "storage/database.h"

namespace varneth::stats {

enum class StartChoice { FromHead, ThisYear, LastYear, FromDate };

// One row of the result table, as shown.
struct ResultRow {
    std::string start, end, rate;
};

struct Results {
    ResultRow index1, index2, price, total;
};

// The performance comparison: the fund price, the two index levels and the total value of the fund
// ledger, with the left edge of the chart, the chosen start s and the comparison start v.
class Performance {
public:
    static constexpr const char* kBadDate = "日期格式错误，请修改!";
    static constexpr const char* kDateOutOfRange = "日期超出范围，请修改!";
    static constexpr const char* kNoFurther = "到此为止！";
    static constexpr const char* kZeroStart = "起始资产或价格为0,请事后进入基金管理窗口检查!";
    static constexpr int kScrollRange = 300;

    // Result table captions.
    static constexpr const char* kStartIndex = "期初指数：";
    static constexpr const char* kEndIndex = "期末指数：";
    static constexpr const char* kRate = "收益率:";
    static constexpr const char* kIndex2 = "上证指数  期初指数：";
    static constexpr const char* kStartPrice = "管理帐户  期初价格:";
    static constexpr const char* kEndPrice = "期末价格:";
    static constexpr const char* kStartTotal = "期初总值:";
    static constexpr const char* kEndTotal = "期末总值:";
    static constexpr const char* kGrowth = "增长率:";
    static constexpr const char* kRateUnknown = "999.99";
    // The series as the result table names them.
    static constexpr const char* kFundName = "管理帐户";
    static constexpr const char* kIndex2Name = "上证指数";

    Performance(storage::Database& kvt, port::Prompter& prompter);

    // Reads the fund ledger as it stands and starts from the head. A ledger without a row of value
    // has no points, which the user is told.
    void load();
    // As the window is shown: loads and starts at `dateText`; a text that does not do gets its
    // message and the chart starts from the head. Returns the choice in effect.
    StartChoice open(std::string_view dateText);
    // Sets s, the left edge and v; false, with the message and nothing changed, when the date text
    // (only read for FromDate) is no date or lies outside the points.
    bool choose(StartChoice choice, std::string_view dateText = {});
    // Five points more or fewer before the start; both make the start the comparison start.
    void compress();
    void stretch();
    // Moves the comparison start across the shown days, `position` of kScrollRange.
    void scroll(int position);

    const std::vector<FundPoint>& points() const { return points_; }
    bool empty() const { return points_.empty(); }
    // 0-based point indices.
    int left() const { return left_; }
    int start() const { return start_; }
    int mark() const { return mark_; }

    // Empty when there are no points.
    Chart chart(LineType type, const std::string& index1Code) const;
    // From the comparison start to the last point. A start value of 0 is told once for each
    // comparison start, so that dragging the scroll bar over it does not raise box after box.
    Results results();
    // The fund price's and both indices' figures over the points from the comparison start on.
    FundStatistics statistics() const;
    // The result table as text lines, the first index under its name.
    static std::vector<std::string> lines(const Results& results, const std::string& index1Name);

    // The fund ledger's points: leading rows with FUND 0 skipped, the rows of the first date as one
    // point, a PRICE of 0 or an index level below 10 replaced by the last reading before it (by the
    // first one after it where the ledger starts without one).
    static std::vector<FundPoint> loadPoints(storage::Database& kvt);

private:
    void startAt(int s, bool showBefore);

    storage::Database& kvt_;
    port::Prompter& prompter_;
    std::vector<FundPoint> points_;
    int left_ = 0, start_ = 0, mark_ = 0;
    int toldMark_ = -1;
};

}  // namespace varneth::stats
