#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "port/clock.h"
#include "port/prompter.h"
#include "port/report_sink.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::ledger {
class Holdings;
}

namespace varneth::fund {

// The discounted total value of the book from a valuation that ran to its end; none when the
// valuation stopped with a message.
using Valuation = std::function<std::optional<float>()>;
// The holdings module's `calc`, giving its discounted total S3.
Valuation valuationOf(ledger::Holdings& holdings);

// The fund ledger "Fund2.DB" open for the whole login, and the computations of the fund window on
// it: the fund price pass, today's market row, serial numbers, compression, name completion and
// the capital in/out report. Rows are visited in the order of the table's key, so that within a
// day the account-transfer rows ("$…") come before the market row and the others after it.
//
// Making one opens the ledger and, when it has no manager row, creates one priced 1.0 and runs a
// pass from it; the current row is then the last.
class FundLedger {
public:
    static constexpr const char* kTable = "Fund2.DB";
    static constexpr const char* kMarketCode = "***";
    static constexpr const char* kManagerCode = "@@@";
    static constexpr const char* kMarketName = "市场";
    static constexpr const char* kManagerName = "管理人";
    static constexpr const char* kFeeFreeType = "y";

    static constexpr const char* kBadDate = "错的日期，请修改!";
    static constexpr const char* kFutureRow = "记录日期超过今天，需修改后再运行！";
    static constexpr const char* kErrorPrefix = "Ignoring exception: ";
    static constexpr const char* kCompressQuestion =
        "本操作将删除投入数为0的记录，并合并连续的来自市场的赢利(或亏损)"
        "的记录，压缩不影响业绩走势和投资人盈亏。"
        "建议要么常用,要么不用; 如果文件很长并偶然使用并从头重算价格,会产生价格的累积误差. 继续吗?";
    static constexpr const char* kNoHistory = "缺少历史记录,无法填写名称。";
    static constexpr const char* kContinue = "继续吗？";

    FundLedger(storage::Engine& engine, Valuation valuation, port::Prompter& prompter, port::Clock& clock);
    FundLedger(const FundLedger&) = delete;
    FundLedger& operator=(const FundLedger&) = delete;

    // The ledger in key order; the grid shows it and the operations start from its current row.
    storage::Cursor& table() { return fund_; }
    // The title of the first index column: the name "s1name" gives in "parameter.DBF", else "深指".
    std::string firstIndexTitle();

    // Showing the window: to the last row, then "重算基金价格".
    bool show();
    // "重算基金价格": a pass from the current row, today's market row, and a second pass that redoes at
    // least the last 15 rows. False when a pass or the market row stopped with a message.
    bool recompute();
    // Serial numbers of the non-market rows from shortly before the current row to the end. False
    // when a row could not be numbered (told).
    bool fillnum();
    // The name of the first row with this code; "" when there is none or it has none (told).
    std::string pycode_to_name(std::string_view pycode);

    // "压缩文件", with its two questions. False when the user declined or the recomputation stopped.
    bool compress();
    // "补充汉字": names of rows without one from the first row of their code, while the user goes on.
    void completeNames();
    // "删除" and deleting a row from the grid: the current row, once the user agrees to the question
    // naming it. True when it went.
    bool removeCurrent();
    // "打印报告": from the current row down, or the newest 50 rows when the last row is current. False
    // when the user declined or the sink could not deliver.
    bool report(port::ReportSink& sink);

private:
    struct Fields {
        int dt, num, pycode, name, qsdm, zjzh, input, xabc, unit, fund, inc, price, sz, shz, czxh, note, b1;
    };
    enum class PassEnd { Done, BadDate, Failed };

    void ensureManagerRow();
    // One `up_calc` pass: fund value, price and units of every row after the current one (after the
    // nearest row at or before it with a price), then `fillnum`. With `extendTail`, a pass that
    // handled fewer than 15 rows is run again from 15 rows before the end.
    bool up_calc(bool extendTail);
    PassEnd pass(int& handled);
    // Today's market row from the valuation; false when nothing was written.
    bool get_cost3_total();
    bool renumber();
    bool isMarket(int position) const;
    double numberAt(int position, int field) const;
    // Sets a field of the current row only when its value changes, so an unchanged row is not written.
    void put(int field, const storage::Value& v);
    std::string today() const;

    storage::Engine& engine_;
    Valuation valuation_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    storage::Cursor fund_;
    storage::Cursor names_;  // pycode_to_name looks here, so the ledger's current row stays
    Fields f_;
};

}  // namespace varneth::fund
