#include "fund/fund_report.h"

#include <cmath>
#include <cstdint>

#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::fund {

namespace {

const std::string kTitle = "                                      资金进出报告";

std::string heading() {
    using text::s10;
    return s10("日期", 9) + s10("券商码", 8) + s10("资金帐号", 9) + s10("代码/类型", 10) + s10("姓名", 8) +
           s10("数量", 8) + s10("基金股数", 9) + s10("价格", 7) + s10("折扣总值", 9) + "   注释";
}

std::string wholeText(double x) {
    if (!std::isfinite(x)) return text::plainText(x);
    return std::to_string(static_cast<std::int64_t>(std::trunc(x)));
}

class RowLine {
public:
    RowLine(const storage::Cursor& c, int position) : c_(c), position_(position) {}

    std::string text() const {
        using text::s10;
        const double input = number("INPUT");
        const double unit = number("UNIT");
        std::string line = s10(field("DT"), 11) + s10(field("QSDM"), 6) + s10(field("ZJZH"), 9) +
                           s10(field("PYCODE"), 4) + s10(" " + field("XABC"), 6) + s10(field("NAME"), 8);
        line += input < 0 ? s10(wholeText(input), 8) : s10(" " + wholeText(input), 7);
        line += unit < 0 ? s10(text::plainText(unit), 10) : s10(" " + wholeText(unit), 9);
        line += s10(text::plainText(number("PRICE")), 7) + s10(wholeText(number("FUND")), 9) +
                s10(field("NOTE"), 20);
        return line;
    }

private:
    const storage::Value& value(const char* name) const { return c_.valueAt(position_, c_.fieldIndex(name)); }
    std::string field(const char* name) const { return value(name).toString(); }
    double number(const char* name) const { return value(name).toDouble(); }

    const storage::Cursor& c_;
    int position_;
};

}  // namespace

void writeCapitalReport(const storage::Cursor& ledger, int start, const port::DateTime& printed,
                        port::ReportSink& sink) {
    sink.line("  ");
    writePagedListing(
        kTitle, heading(), ledger.count() - start,
        [&](int row) { return RowLine(ledger, start + row).text(); }, printed, sink);
}

}  // namespace varneth::fund
