// The statistics window headless: the grid, the bar chart or the report of one choice.
#include <sstream>

#include "command.h"
#include "report_file.h"
#include "stats/portfolio_report.h"
#include "stats/portfolio_stats.h"
#include "text/numbers.h"
#include "tsv.h"

namespace varneth::cli {

namespace {

using stats::PortfolioReport;
using stats::PortfolioStats;

// A choice by its 0-based place in the window's list.
template <class E>
E choiceOption(const Context& ctx, const char* name, E initial) {
    const auto given = ctx.option(name);
    if (!given) return initial;
    const auto n = text::parseInteger(*given);
    if (!n || *n < 0 || *n > 3)
        throw UsageError(std::string("--") + name + " 只能是 0 到 3：" + *given, ctx.call.command);
    return static_cast<E>(*n);
}

void printChart(const stats::BarChart& chart, std::ostream& out) {
    if (!chart.shown) return;
    std::ostringstream tsv;
    tsv << chart.title << '\n'
        << chart.labelColumn << '\t' << chart.firstSeries << '\t' << chart.secondSeries << '\n';
    for (const auto& bar : chart.bars)
        tsv << bar.label << '\t' << text::shortestText(bar.first) << '\t' << text::shortestText(bar.second)
            << '\n';
    out << tsv.str();
}

// "--from-row N": the grid row the cursor stands on, 1 for the first; the last row by default.
void placeCursor(const Context& ctx, storage::Cursor& grid) {
    const auto given = ctx.option("from-row");
    if (!given) return;
    const auto n = text::parseInteger(*given);
    if (!n || *n < 1 || *n > grid.count())
        throw UsageError("--from-row 不在表格的 1 到 " + std::to_string(grid.count()) + " 行之内：" + *given,
                         ctx.call.command);
    grid.moveTo(static_cast<int>(*n - 1));
}

int statsCommand(Context& ctx) {
    stats::StatsChoice choice;
    choice.kind = choiceOption(ctx, "kind", choice.kind);
    choice.content = choiceOption(ctx, "content", choice.content);
    choice.pl = choiceOption(ctx, "pl", choice.pl);
    const auto reportFile = ctx.option("report");
    if (ctx.flag("chart") && reportFile)
        throw UsageError("--chart 与 --report 不能同时使用", ctx.call.command);
    if (ctx.option("from-row") && !reportFile)
        throw UsageError("--from-row 只和 --report 一起用", ctx.call.command);
    if (reportFile && reportFile->empty()) throw UsageError("--report 需要文件名", ctx.call.command);

    // As the main window opens the window, with the choice already made.
    PortfolioStats stats(ctx.session->holdings(), ctx.session->kvt(), choice);
    stats.show();
    if (ctx.flag("chart")) {
        printChart(stats.chart(), ctx.out);
        return 0;
    }
    if (!reportFile) {
        std::ostringstream tsv;
        writeTsv(tsv, stats.grid());
        ctx.out << tsv.str();
        return 0;
    }
    placeCursor(ctx, stats.grid());
    ReportFile file(*reportFile, ctx.prompter);
    return PortfolioReport(stats, ctx.prompter, ctx.clock).print(file) ? 0 : 1;
}

}  // namespace

std::vector<Command> statsCommands() {
    return {
        {"stats",
         "[--kind 0-3] [--content 0-3] [--pl 0-3] [--chart] [--report FILE [--from-row N]]",
         0,
         0,
         {{"kind", true},
          {"content", true},
          {"pl", true},
          {"chart", false},
          {"report", true},
          {"from-row", true}},
         true,
         statsCommand},
    };
}

}  // namespace varneth::cli
