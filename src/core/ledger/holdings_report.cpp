#include "ledger/holdings_report.h"

#include <cmath>

#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::ledger {

namespace {

using text::s10;

std::string rule() {
    std::string r;
    for (int i = 0; i < 49; ++i) r += "—";
    return r;
}

std::string number(const storage::Value& v) {
    return text::shortestText(v.toDouble());
}
std::string whole(const storage::Value& v) {
    return text::shortestText(std::trunc(v.toDouble()));
}

}  // namespace

std::string HoldingsReport::question(Holdings::View view) {
    return std::string("本操作将根据显示选择打印报告,") +
           (view == Holdings::View::Holdings
                ? "现在打印全部持仓记录的主要数据，继续吗？"
                : "现在选择的是平仓记录主要数据(不含数量为负的记录)打印，本操作从光标指定记录往下打印,"
                  "唯选最下面的记录将打印一页最新内容。继续吗？");
}

HoldingsReport::HoldingsReport(Holdings& holdings, port::Prompter& prompter, port::Clock& clock)
    : holdings_(holdings), prompter_(prompter), clock_(clock) {}

bool HoldingsReport::print(const OpenSink& open, std::optional<Target> target) {
    if (!prompter_.ask(question(holdings_.view()))) return false;
    const std::vector<int> rows = rowsToPrint();
    if (!target) target = prompter_.ask(kTargetQuestion) ? Target::Printer : Target::File;
    std::unique_ptr<port::ReportSink> sink = open(*target);
    if (!sink) return false;
    write(*sink, rows);
    return sink->finish();
}

std::vector<int> HoldingsReport::rowsToPrint() const {
    const storage::Cursor& c = holdings_.ledger();
    std::vector<int> rows;
    if (holdings_.view() == Holdings::View::Holdings) {
        for (int p = 0; p < c.count(); ++p) rows.push_back(p);
        return rows;
    }
    const int amt = c.fieldIndex("AMT");
    const auto printed = [&](int p) { return c.valueAt(p, amt).toDouble() >= 0; };
    int from = c.position();
    if (from < 0) return rows;
    if (from == c.count() - 1) {
        // From the last record: back far enough for one page of the latest records.
        int n = printed(from) ? 1 : 0;
        while (n < kRowsPerPage && from > 0)
            if (printed(--from)) ++n;
    }
    for (int p = from; p < c.count(); ++p)
        if (printed(p)) rows.push_back(p);
    return rows;
}

std::string HoldingsReport::heading() const {
    const bool open = holdings_.view() == Holdings::View::Holdings;
    return s10(" 券商", 9) + s10("资金帐号", 9) + s10("股东代码", 10) + s10("代码", 7) + s10("名称", 10) +
           s10("数量", 10) + s10(open ? "买价" : "交易价", 7) + s10(open ? "买日期" : "交易日期", 11) +
           s10(open ? "当前价" : "卖出价", 7) + s10("市值", 9) + s10("增值率", 6);
}

std::string HoldingsReport::rowText(int p) const {
    const storage::Cursor& c = holdings_.ledger();
    const auto v = [&](const char* field) -> const storage::Value& {
        return c.valueAt(p, c.fieldIndex(field));
    };
    const auto t = [&](const char* field) { return v(field).toString(); };
    return (t("WTH").empty() ? " " : "*") + s10(t("QS"), 9) + s10(t("ZJZH"), 9) + s10(t("GDDM"), 10) +
           s10(t("CODE"), 7) + s10(t("NAME"), 10) + s10(whole(v("AMT")), 10) + s10(number(v("PRICE1")), 7) +
           s10(t("DATE1"), 11) + s10(number(v("PRICE2")), 7) + s10(whole(v("COST2")), 9) +
           s10(number(v("INC")), 6);
}

void HoldingsReport::write(port::ReportSink& sink, const std::vector<int>& rows) const {
    const int total = static_cast<int>(rows.size());
    const int pages = (total + kRowsPerPage - 1) / kRowsPerPage;
    const std::string title =
        std::string(38, ' ') + (holdings_.view() == Holdings::View::Holdings ? "持仓报告" : "平仓报告");
    const std::string printedAt = clock_.now().iso();
    sink.line("  ");
    for (int page = 1; page <= pages; ++page) {
        if (page > 1) sink.newPage();
        sink.line(title);
        sink.line("  ");
        sink.line("                         第" + std::to_string(page) + "页， 共" + std::to_string(pages) +
                  "页   打印时间:" + printedAt);
        sink.line(rule());
        sink.line(heading());
        sink.line(rule());
        const int first = (page - 1) * kRowsPerPage;
        const int last = std::min(total, first + kRowsPerPage);
        for (int i = first; i < last; ++i) sink.line(rowText(rows[static_cast<std::size_t>(i)]));
        sink.line(rule());
        if (last - first < kRowsPerPage) return;  // the ledger ended inside this page
        sink.line(kStarNote);
        for (int i = 0; i < 8; ++i) sink.line("   ");
    }
}

std::filesystem::path defaultReportFile(const std::filesystem::path& accountDir,
                                        const port::DateTime& today) {
    const std::filesystem::path folder = accountDir / "report";
    std::filesystem::create_directories(folder);
    return folder / ("hold" + today.isoDate() + ".txt");
}

}  // namespace varneth::ledger
