#include "stats/portfolio_report.h"

#include <algorithm>

#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::stats {

namespace {

std::string rule() {
    std::string r;
    for (int i = 0; i < 49; ++i) r += "—";
    return r;
}

}  // namespace

std::string PortfolioReport::question(const StatsChoice& choice) {
    return std::string("本操作将根据显示选择打印报告,") +
           (choice.history()
                ? "打印成交历史和平仓报告需用光标指定起始记录,唯选最下面的记录将打印一页最新内容;"
                : "") +
           "继续吗？";
}

PortfolioReport::PortfolioReport(PortfolioStats& stats, port::Prompter& prompter, port::Clock& clock)
    : stats_(stats), prompter_(prompter), clock_(clock) {}

bool PortfolioReport::print(port::ReportSink& sink) {
    const StatsChoice& choice = stats_.choice();
    // The content choice means nothing to the history kinds, so it cannot refuse them.
    if (choice.contentEnabled() && choice.content == Content::Detail) {
        prompter_.message(kDetailRefused);
        return false;
    }
    if (!prompter_.ask(question(choice))) return false;
    write(sink, rowsToPrint());
    return sink.finish();
}

std::vector<int> PortfolioReport::rowsToPrint() const {
    const storage::Cursor& grid = stats_.grid();
    int from = 0;
    if (stats_.choice().history()) {
        from = std::max(0, grid.position());
        // From the last row: back far enough for one page of the latest rows.
        if (from == grid.count() - 1) from = std::max(0, grid.count() - kRowsPerPage);
    }
    std::vector<int> rows;
    for (int p = from; p < grid.count(); ++p) rows.push_back(p);
    return rows;
}

std::vector<PortfolioReport::Column> PortfolioReport::layout() const {
    const int n = static_cast<int>(stats_.grid().def().fields.size());
    const StatsChoice& choice = stats_.choice();
    std::vector<Column> columns;
    for (int i = 0; i < n; ++i) {
        if (choice.history())
            columns.push_back({i < 2 ? 10 : 9, i >= 8});
        else if (choice.content == Content::ByAccount)
            columns.push_back({10, i >= 3});
        else
            columns.push_back({11, i >= 2});
    }
    return columns;
}

std::string PortfolioReport::title() const {
    const StatsChoice& c = stats_.choice();
    std::string t =
        std::string(21, ' ') + (c.history() ? "历史记录" : "统计报告") + "--显示种类:" + nameOf(c.kind);
    if (c.kind == Kind::ProfitLoss) t += std::string("; 盈亏类型:") + nameOf(c.pl);
    return t + "; 内容和方式:" + nameOf(c.content);
}

void PortfolioReport::write(port::ReportSink& sink, const std::vector<int>& rows) const {
    const storage::Cursor& grid = stats_.grid();
    const std::vector<Column> columns = layout();
    const auto& fields = grid.def().fields;
    std::string titles;
    for (std::size_t i = 0; i < columns.size(); ++i) titles += text::cell(fields[i].name, columns[i].width);
    const auto rowText = [&](int p) {
        std::string line;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const storage::Value& v = grid.valueAt(p, static_cast<int>(i));
            line += text::cell(columns[i].number ? text::shortestText(v.toDouble()) : v.toString(),
                               columns[i].width);
        }
        return line;
    };

    const int total = static_cast<int>(rows.size());
    // An empty grid still prints its headings, on one page.
    const int pages = std::max(1, (total + kRowsPerPage - 1) / kRowsPerPage);
    const std::string printedAt = clock_.now().iso();
    sink.line("  ");
    for (int page = 1; page <= pages; ++page) {
        sink.line(title());
        sink.line("  ");
        sink.line("                         第" + std::to_string(page) + "页， 共" + std::to_string(pages) +
                  "页   打印时间:" + printedAt);
        sink.line(rule());
        sink.line(titles);
        sink.line(rule());
        const int first = (page - 1) * kRowsPerPage;
        for (int i = first; i < std::min(total, first + kRowsPerPage); ++i)
            sink.line(rowText(rows[static_cast<std::size_t>(i)]));
        sink.line(rule());
        if (page == pages) break;
        for (int i = 0; i < 8; ++i) sink.line("   ");
        sink.newPage();
    }
}

}  // namespace varneth::stats
