// The holdings editor's valuation and report.
#include "command.h"
#include "ledger/holdings_report.h"
#include "port/report_sink.h"
#include "text/numbers.h"

namespace varneth::cli {

namespace {

using ledger::Holdings;
using ledger::HoldingsReport;

// "更新计算": the three totals as 32-bit floats, then the two labels above the grid.
int value(Context& ctx) {
    Holdings& h = ctx.session->holdings();
    if (!h.up_calc()) return 1;
    ctx.out << "S1\t" << text::shortestText(h.s1()) << '\n'
            << "S2\t" << text::shortestText(h.s2()) << '\n'
            << "S3\t" << text::shortestText(h.s3()) << '\n'
            << h.marketLabel() << '\n'
            << h.discountLabel() << '\n';
    return 0;
}

// "打印报告" into a text file (by default the one the save dialog offers): the report's own question
// is asked, the printer is not offered. The closed view prints from its last record, that is its
// latest page. The file written is named on the last line.
int report(Context& ctx) {
    const std::string& which = ctx.arg(0);
    if (which != "holdings" && which != "closed")
        throw UsageError("报告只能是 holdings 或 closed：" + which, ctx.call.command);
    Holdings& h = ctx.session->holdings();
    h.setView(which == "holdings" ? Holdings::View::Holdings : Holdings::View::Closed);
    const auto out = ctx.option("out");
    std::filesystem::path file;
    HoldingsReport r(h, ctx.prompter, ctx.clock);
    // The default folder is made only once the user has agreed to the report.
    const auto open = [&](HoldingsReport::Target) {
        file = out ? std::filesystem::path(*out)
                   : ledger::defaultReportFile(ctx.session->accountDir(), ctx.clock.now());
        return std::make_unique<port::TextFileReport>(file);
    };
    if (r.print(open, HoldingsReport::Target::File)) {
        ctx.out << file.string() << '\n';
        return 0;
    }
    if (!file.empty()) ctx.prompter.message(port::cannotWrite(file));
    return 1;
}

}  // namespace

std::vector<Command> ledgerCommands() {
    return {
        {"value", "", 0, 0, {}, true, value},
        {"report", "holdings|closed [--out FILE]", 1, 1, {{"out", true}}, true, report},
    };
}

}  // namespace varneth::cli
