#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fund/fund_ledger.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/engine.h"
#include "storage/query.h"

namespace varneth::fund {

class FundManager;

// What the statistics found: the first withdrawal counted and the sums over the settled buys.
struct CommissionTotals {
    std::int64_t start = 0;
    int rows = 0;
    double tich = 0, bxfund = 0;
};

// The commission statistics window without its widgets: for a period, every settled buy with the
// commission a standard rate takes from its gain and the rest of its fees (the insurance part), for
// the manager's tax return. The statistics rebuild "tich.DB" (the commission candidates' table) and
// never change the fund ledger.
class CommissionStats {
public:
    static constexpr const char* kCaption = "提成统计";
    static constexpr const char* kBadRate = "提成比例不对!";
    static constexpr const char* kBadStart = "开始日期错了!";
    static constexpr const char* kNoWithdrawals = "没有撤资记录";
    static constexpr const char* kHelp =
        "开始日期是要显示的提成期间的开始日期－－可以修改，格式要正确；结束日期就是现在;"
        "标准提成比例是不要求保底的提成比例－－可以修改；这里假设：市值＝投资人提取额＋提成额＋保险额."
        "本统计功能便于管理人报税。 也可以用来计算支付中介报酬。比如：投资类型x的提成比例是12％,不要求保底，"
        "要支付盈利的2％给中介人， 就可以把标准提成比例设成10％，这样保险费就是给中介人的费用。";
    static constexpr const char* kPresetYear = "2007";
    static constexpr const char* kPresetMonth = "01-01";
    static constexpr const char* kPresetRate = "12";
    static constexpr int kFirstYear = 2006;

    // The four labels, filled in this order as the statistics go.
    enum class Label { Start, Tich, Bxfund, Total };
    using LabelSink = std::function<void(Label, const std::string& text)>;

    // The year box's list (2006 up to this year) and the month box's ("01-01" … "12-01").
    static std::vector<std::string> years(const port::Clock& clock);
    static std::vector<std::string> months();

    // Writes through the fund management window's candidate list, whose grid stays still meanwhile.
    CommissionStats(storage::Engine& engine, FundLedger& fund, FundManager& manager, port::Prompter& prompter,
                    port::Clock& clock);
    CommissionStats(const CommissionStats&) = delete;
    CommissionStats& operator=(const CommissionStats&) = delete;

    void setLabelSink(LabelSink sink) { labels_ = std::move(sink); }

    // "显示已经撤资": the standard rate (percent) and the start of the period from the year and month
    // boxes. None (told) when a box is refused or no withdrawal was settled since the start.
    std::optional<CommissionTotals> run(std::string_view rate, std::string_view year, std::string_view month);

    // The statistics' rows ("tich.DB"), and the fund-ledger rows of one withdrawal ("对冲记录").
    storage::Cursor& rows() { return rows_; }
    storage::Cursor& offsets() { return offsets_.result(); }
    // The offsetting rows of the withdrawal of the current statistics row; of `czxh` in the second form.
    void showOffsets();
    void showOffsets(std::int64_t czxh);

private:
    void tell(Label label, const std::string& text) {
        if (labels_) labels_(label, text);
    }
    // The withdrawal number the period starts with: that of the first settled withdrawal dated on
    // or after `start`. None when there is none.
    std::optional<std::int64_t> firstWithdrawal(const std::string& start) const;
    CommissionTotals rebuild(std::int64_t k, double rate);

    storage::Engine& engine_;
    FundLedger& fund_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    storage::Cursor ledger_;
    storage::Cursor& candidates_;
    storage::Cursor rows_;
    storage::Query offsets_;
    LabelSink labels_;
};

}  // namespace varneth::fund
