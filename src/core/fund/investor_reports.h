#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fund/fund_manager.h"
#include "fund/paged_listing.h"
#include "fund/report_output.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "port/report_sink.h"
#include "storage/engine.h"

namespace varneth::fund {

// What heads and closes the reports, as the report definition tab sets it.
struct ReportDefinition {
    static constexpr const char* kDefaultTitle = "投资记录报告单";
    std::string fundName;
    std::string title = kDefaultTitle;
    std::string memo;
    bool allRecords = true;  // "同时打印所有记录"
    bool brief = false;      // "简要文字报告:"
};

// Shared layout of the fund reports.
std::string wholeText(double x);                // rounded half to even; never "-0"
std::string fixedText(double x, int decimals);  // at most `decimals` decimals, trailing zeros dropped
// Spaces before a line so that it sits centred in `span` columns of GBK bytes (halved toward zero).
std::string centred(std::string_view text, int span);
inline std::string centredTitle(std::string_view text) {
    return centred(text, 67);
}
inline std::string centredHeader(std::string_view text) {
    return centred(text, 90);
}
// The fund name list: every type's code and `Note`, in table order.
struct FundChoice {
    std::string xabc, note;
    bool now = false;
};
std::vector<FundChoice> fundChoices(storage::Engine& engine);
// Choosing a fund name: `Now` set on that type and cleared on every other. Returns its `Note`.
std::string chooseFund(storage::Engine& engine, std::string_view xabc);
// " 电话:..." address line of an investor in the address book; none when the book or the code is missing.
std::optional<std::string> addressLine(storage::Engine& engine, std::string_view pycode);

// "打印投资单据", "打印阶段报告" and "打印总报表" of the per-investor tab, over the manager's grids
// as they stand (the display choice, the selected investor and lower-grid row).
class InvestorReports {
public:
    static constexpr const char* kVoucherQuestion = "本操作按下面窗口指定的记录打印单据，继续吗？";
    static constexpr const char* kUnsettled = "是撤资记录，但未做撤资处理，下面先处理!";
    static constexpr const char* kNoInvestor = "没有选定投资人记录,放弃操作。";

    InvestorReports(storage::Engine& engine, FundManager& manager, port::Prompter& prompter,
                    port::Clock& clock);

    // The voucher of the lower grid's current row. An unsettled withdrawal is settled instead,
    // the display switched to the second choice and the last row selected: nothing is printed.
    bool voucher(const ReportDefinition& def, const OpenReport& open,
                 std::optional<ReportTarget> target = {});
    bool stage(const ReportDefinition& def, const OpenReport& open, std::optional<ReportTarget> target = {});
    bool total(const ReportDefinition& def, const OpenReport& open, std::optional<ReportTarget> target = {});

    void writeVoucher(const ReportDefinition& def, port::ReportSink& sink);
    void writeStage(const ReportDefinition& def, port::ReportSink& sink);
    void writeTotal(const ReportDefinition& def, port::ReportSink& sink);

private:
    void writeHead(const std::string& title, port::ReportSink& sink);
    void writeTypeRules(const std::string& xabc, port::ReportSink& sink);
    void writeManagerSummary(port::ReportSink& sink);
    void writeInvestorSummary(port::ReportSink& sink);
    void writeRecords(port::ReportSink& sink);
    double netInput(const std::string& pycode, const std::string& xabc);
    std::string printedAt() const { return clock_.now().iso(); }

    storage::Engine& engine_;
    FundManager& manager_;
    port::Prompter& prompter_;
    port::Clock& clock_;
};

}  // namespace varneth::fund
