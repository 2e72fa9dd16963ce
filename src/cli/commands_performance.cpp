// The performance comparison as the window shows it after a start choice: the result table, and
// the chart drawn to a PNG file when asked.
#include <QImage>
#include <memory>

#include "command.h"
#include "offscreen.h"
#include "stats/chart_settings.h"
#include "stats/performance.h"
#include "stats/performance_painter.h"

namespace varneth::cli {

namespace {

using stats::LineType;
using stats::StartChoice;

StartChoice startChoice(const std::string& start) {
    if (start == "from-head") return StartChoice::FromHead;
    if (start == "this-year") return StartChoice::ThisYear;
    if (start == "last-year") return StartChoice::LastYear;
    return StartChoice::FromDate;
}

LineType lineType(const Context& ctx) {
    const std::string type = ctx.option("type").value_or("curves");
    if (type == "curves") return LineType::Curves;
    if (type == "weekly") return LineType::WeeklyBars;
    if (type == "log") return LineType::LogCurves;
    throw UsageError("--type 只能是 curves、weekly 或 log", ctx.call.command);
}

bool writePng(const stats::Chart& chart, const std::string& file) {
    const auto app = offscreenApplication();
    return gui::performanceChartImage(chart).save(QString::fromStdString(file), "PNG");
}

int performance(Context& ctx) {
    const auto start = ctx.option("start");
    if (!start) throw UsageError("缺少 --start", ctx.call.command);
    const LineType type = lineType(ctx);
    stats::Performance perf(ctx.session->kvt(), ctx.prompter);
    perf.load();
    if (perf.empty() || !perf.choose(startChoice(*start), *start)) return 1;
    const stats::ComparisonIndices indices = stats::ChartSettings(ctx.session->curr()).indices();
    const stats::Chart chart = perf.chart(type, indices.first.code);
    ctx.out << "比较起点：" << chart.markDate << "  终点：" << chart.lastDate << '\n';
    for (const std::string& line : stats::Performance::lines(perf.results(), indices.first.name))
        ctx.out << line << '\n';
    for (const std::string& line :
         stats::statisticsLines(perf.statistics(), stats::Performance::kFundName, indices.first.name,
                                stats::Performance::kIndex2Name))
        ctx.out << line << '\n';
    if (const auto png = ctx.option("png"); png && !writePng(chart, *png)) {
        ctx.prompter.message("图形文件写不成：" + *png);
        return 1;
    }
    return 0;
}

}  // namespace

std::vector<Command> performanceCommands() {
    return {
        {"performance",
         "--start from-head|this-year|last-year|DATE [--type curves|weekly|log] [--png FILE]",
         0,
         0,
         {{"start", true}, {"type", true}, {"png", true}},
         true,
         performance},
    };
}

}  // namespace varneth::cli
