#include "fund/investor_reports.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>

#include "storage/query.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::fund {

using text::s10;
using text::shortestText;

namespace {

// Negative amounts fill their column; others stand one space in, so signs line up.
std::string signedCell(const std::string& text, double x, int width) {
    return x < 0 ? s10(text, width) : " " + s10(text, width - 1);
}

std::string field(const storage::Cursor& c, int row, const char* name) {
    return c.valueAt(row, c.fieldIndex(name)).toString();
}
double number(const storage::Cursor& c, int row, const char* name) {
    return c.valueAt(row, c.fieldIndex(name)).toDouble();
}

std::string summaryHeading() {
    return s10("代码", 5) + s10("  姓名 类型", 10) + s10(" 投资数", 9) + s10("基金股数", 10) +
           s10("买均价", 8) + s10("最终价", 9) + s10("增值%", 8) + s10("市值", 9) + s10("可取额", 10);
}

std::string investorCells(const storage::Cursor& c, int row) {
    return s10(field(c, row, "pycode"), 5) + s10(field(c, row, "name"), 8) +
           s10(field(c, row, "xabc") + " ", 2);
}

// The price, growth, worth and withdrawable money of an upper-grid row; `final` the l_price of the
// investor's first lower-grid row.
std::string valueCells(const storage::Cursor& c, int row, std::optional<double> final) {
    const storage::Value& a = c.valueAt(row, c.fieldIndex("a_price"));
    const bool priced = !a.isNull() && std::isfinite(a.toDouble());
    std::string line = priced ? s10(fixedText(a.toDouble(), 3), 8) : std::string(9, ' ');
    line += s10(final ? fixedText(*final, 3) : "", 8);
    line += s10(text::trim(fixedText(number(c, row, "zzl"), 2)), 9);
    line += s10(wholeText(number(c, row, "asset")), 10) + s10(wholeText(number(c, row, "dmoney")), 10);
    return line;
}

const char* displayFilter(FundManager::Display d) {
    return d == FundManager::Display::Live ? "and (czxh<1)" : " ";
}

}  // namespace

// ---- shared layout and output

// A whole number as the reports print it: rounded half to even, "-0" never shown.
std::string wholeText(double x) {
    if (!std::isfinite(x)) return text::plainText(x);
    const double r = text::roundHalfEven(x);
    return std::to_string(static_cast<std::int64_t>(r == 0 ? 0 : r));
}

// At most `decimals` decimals, trailing zeros dropped: 933.3, never 933.3000000000001.
std::string fixedText(double x, int decimals) {
    if (!std::isfinite(x)) return text::plainText(x);
    const double r = text::roundScaled(x, decimals);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, r == 0 ? 0.0 : r);
    std::string t = buf;
    if (t.find('.') != std::string::npos) {
        t.erase(t.find_last_not_of('0') + 1);
        if (t.back() == '.') t.pop_back();
    }
    return t == "-0" ? "0" : t;
}

std::string centred(std::string_view text, int span) {
    const int pad = (span - text::gbkWidth(text)) / 2;
    return std::string(pad > 0 ? static_cast<std::size_t>(pad) : 0, ' ') + std::string(text);
}

std::vector<FundChoice> fundChoices(storage::Engine& engine) {
    storage::Cursor types(engine.database(storage::Alias::Curr), InvestmentTypes::kTable);
    std::vector<FundChoice> list;
    for (int i = 0; i < types.count(); ++i) {
        types.moveTo(i);
        list.push_back(
            {text::trim(types.text("Xabc")), text::trim(types.text("Note")), types.logical("Now")});
    }
    return list;
}

std::string chooseFund(storage::Engine& engine, std::string_view xabc) {
    storage::Action action(engine);
    storage::Cursor types(engine.database(storage::Alias::Curr), InvestmentTypes::kTable);
    std::string note;
    for (int i = 0; i < types.count(); ++i) {
        types.moveTo(i);
        const bool chosen = text::trim(types.text("Xabc")) == xabc;
        if (chosen) note = text::trim(types.text("Note"));
        if (types.logical("Now") == chosen) continue;
        types.setValue("Now", storage::Value(chosen));
        types.post();
    }
    return note;
}

std::optional<std::string> addressLine(storage::Engine& engine, std::string_view pycode) {
    storage::Database& kvt = engine.database(storage::Alias::Kvt);
    if (!kvt.hasTable("addr.dbf")) return std::nullopt;
    storage::Cursor book(kvt, "addr.dbf");
    if (!book.locate("PYCODE", {storage::Value(text::trim(pycode))})) return std::nullopt;
    return " 电话:" + text::trim(book.text("TEL")) + " BB机,传真,email:" + text::trim(book.text("TEL2")) +
           " 邮码:" + text::trim(book.text("PC")) + " 地址:" + text::trim(book.text("ADDR"));
}

// ---- the reports

InvestorReports::InvestorReports(storage::Engine& engine, FundManager& manager, port::Prompter& prompter,
                                 port::Clock& clock)
    : engine_(engine), manager_(manager), prompter_(prompter), clock_(clock) {}

void InvestorReports::writeHead(const std::string& title, port::ReportSink& sink) {
    const storage::Cursor& c = manager_.details().isEmpty() ? manager_.investors() : manager_.details();
    const std::string code = text::trim(c.text("pycode"));
    sink.line(centredTitle(title));
    sink.line("  ");
    sink.line(
        centredHeader("代码:" + code + " 投资人:" + text::trim(c.text("name")) + " 打印时间:" + printedAt()));
    if (auto address = addressLine(engine_, code)) sink.line(centredHeader(*address));
}

bool InvestorReports::voucher(const ReportDefinition& def, const OpenReport& open,
                              std::optional<ReportTarget> target) {
    storage::Cursor& rows = manager_.details();
    if (rows.isEmpty()) {
        prompter_.message(kNoInvestor);
        return false;
    }
    if (!prompter_.ask(kVoucherQuestion)) return false;
    if (rows.number("input") < 0 && rows.integer("czxh") == 0) {
        prompter_.message(kUnsettled);
        manager_.withdrawals();
        manager_.setDisplay(FundManager::Display::WithSettled);
        manager_.details().last();
        return false;
    }
    return deliverReport(prompter_, open, target, [&](port::ReportSink& sink) { writeVoucher(def, sink); });
}

void InvestorReports::writeVoucher(const ReportDefinition& def, port::ReportSink& sink) {
    const storage::Cursor& rows = manager_.details();
    const int at = rows.position();
    const double input = number(rows, at, "input");
    writeHead(def.fundName + (input >= 0 ? "投资凭证" : "撤资凭证"), sink);
    sink.line(reportRule());
    sink.line(s10("日期", 11) + s10("投资数", 9) + s10("撤资数", 9) + s10("类型", 5) + s10("基金价格", 9) +
              s10("撤资序号", 9) + s10("基金股数", 10) + s10("结存股数", 10) + "  注释");
    sink.line(reportRule());
    const std::string code = field(rows, at, "pycode");
    double held = 0;
    const storage::Cursor& upper = manager_.investors();
    for (int i = 0; i < upper.count(); ++i)
        if (field(upper, i, "pycode") == code) held += number(upper, i, "unit");
    const std::string amount = text::shortestText(input);
    sink.line(s10(field(rows, at, "dt"), 11) +
              (input >= 0 ? s10(amount, 9) + s10("", 9) : s10("", 9) + s10(amount, 9)) +
              s10(field(rows, at, "xabc"), 5) + s10(text::shortestText(number(rows, at, "price")), 9) +
              s10(field(rows, at, "czxh"), 9) + s10(text::shortestText(number(rows, at, "unit")), 10) +
              s10(text::shortestText(held), 10) + " " + field(rows, at, "note"));
    const std::int64_t czxh = rows.valueAt(at, rows.fieldIndex("czxh")).toInt();
    if (input < 0 && czxh > 0) {
        sink.line("投资记录冲销如下(撤资序号相同,股数正负相等):");
        sink.line(s10("日期", 11) + s10("投资数", 9) + s10("类型", 5) + s10("股数", 10) + s10("投资价", 8) +
                  s10("撤资价", 8) + s10("市值", 10) + s10("佣金", 8) + s10("手续费", 8) + s10("提成", 8) +
                  s10("可取资金", 10));
        const auto today = text::Date::parse(clock_.now().isoDate());
        for (int i = 0; i < rows.count(); ++i) {
            if (rows.valueAt(i, rows.fieldIndex("czxh")).toInt() != czxh) continue;
            const double in = number(rows, i, "input"), unit = number(rows, i, "unit");
            const double price = number(rows, i, "price"), last = number(rows, i, "l_price");
            const double asset = text::roundHalfEven(number(rows, i, "asset")),
                         dmoney = number(rows, i, "dmoney");
            // Fees and commission belong to the buys; the withdrawal row carries none.
            double fee = 0, charge = 0;
            const InvestmentType* type = in > 0 ? manager_.types().find(field(rows, i, "xabc")) : nullptr;
            if (type && type->c1) {
                const auto bought = text::Date::parse(field(rows, i, "dt"));
                const double days = bought && today ? bought->daysUntil(*today) : 0;
                fee = text::roundHalfEven((price + last) / 2 * unit * type->e2 * days / 36500);
            }
            // Kept to one decimal, printed and counted whole so that the columns add up.
            if (type && type->c9)
                charge = text::roundHalfEven(text::roundScaled(last * unit * type->e12 / 100, 1));
            const double commission = in > 0 ? std::max(asset - fee - charge - dmoney, 0.0) : 0.0;
            sink.line(s10(field(rows, i, "dt"), 11) + s10(text::shortestText(in), 9) +
                      s10(field(rows, i, "xabc"), 5) + s10(text::shortestText(unit), 10) +
                      s10(text::shortestText(price), 8) + s10(text::shortestText(last), 8) +
                      s10(wholeText(asset), 10) + s10(wholeText(fee), 8) + s10(wholeText(charge), 8) +
                      s10(wholeText(commission), 8) + s10(text::shortestText(dmoney), 10));
        }
    }
    writeTypeRules(field(rows, at, "xabc"), sink);
    sink.line("管理人签名:            ");
    sink.line("投资人签名:            ");
}

void InvestorReports::writeTypeRules(const std::string& xabc, port::ReportSink& sink) {
    const std::string code = lowerAscii(text::trim(xabc));
    sink.line("投资类型代码" + code + "的含义是:");
    if (code == FundLedger::kFeeFreeType) {
        sink.line("义务代投资");
        return;
    }
    const InvestmentType* t = manager_.types().find(code);
    if (!t) return;
    const auto n = [](double x) { return shortestText(x); };
    sink.line(t->c5 ? "管理人保证年收益" + n(t->e9) + "%,不足部分赔偿" + n(t->e10) + "%;"
                    : "投资人风险自担;");
    if (t->c2) {
        sink.line("按赢利提成,年超过" + n(t->e3) + "%的部分提成" + n(t->e4) + "%;");
        if (t->c3) sink.line("           年超过" + n(t->e5) + "%的部分增提" + n(t->e6) + "%;");
        if (t->c4) sink.line("           年超过" + n(t->e7) + "%的部分提成" + n(t->e8) + "%;");
    }
    sink.line("赢利指基金价格的升值部分，管理人的佣金和手续费包含在提成中;");
    if (t->c8)
        sink.line("时间不足一年时，唯后两个底限不按比例减小,(否则四个底限皆按投资时间长短减小或放大).");
    if (t->c1)
        sink.line("有固定佣金，每天提基金价值的" + n(t->e1) + "%,相当于年" + n(t->e2) + "%." +
                  "(在撤资时扣除,基金价值用期初和期末的平均值)");
    if (t->c9) sink.line("资金进出手续费(仅撤资时扣除)是基金价值的" + n(t->e12) + "%.");
    if (t->c6) sink.line("投资期限：不少于" + n(t->e11) + "天.");
}

bool InvestorReports::stage(const ReportDefinition& def, const OpenReport& open,
                            std::optional<ReportTarget> target) {
    if (manager_.investors().isEmpty()) {
        prompter_.message(kNoInvestor);
        return false;
    }
    return deliverReport(prompter_, open, target, [&](port::ReportSink& sink) { writeStage(def, sink); });
}

void InvestorReports::writeStage(const ReportDefinition& def, port::ReportSink& sink) {
    const storage::Cursor& upper = manager_.investors();
    writeHead(def.fundName + def.title, sink);
    sink.line("投资总结：");
    sink.line(reportRule());
    if (text::trim(upper.text("pycode")) == FundLedger::kManagerCode)
        writeManagerSummary(sink);
    else
        writeInvestorSummary(sink);
    if (def.allRecords) writeRecords(sink);
    sink.line("管理人签名:              ");
    if (!def.brief) return;
    std::istringstream memo(def.memo);
    for (std::string l; std::getline(memo, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        sink.line(l);
    }
}

void InvestorReports::writeManagerSummary(port::ReportSink& sink) {
    const storage::Cursor& upper = manager_.investors();
    sink.line(s10("代码", 5) + s10("  姓名 类型", 10) + s10(" 投资金额", 9) + s10("投资股数", 10) +
              s10("现在拥有股数", 13) + s10("现在可取金额", 13) + s10("到期提成后可取", 15) +
              s10("到期提成合计", 13));
    sink.line("                 (负数是因为提成)");
    storage::Query others(engine_.database(storage::Alias::Kvt));
    others.setText(
        "select sum(dmoney) as dm, sum(unit) as un From \"fund2.DB\" where (pycode<>'***') and "
        "(pycode<>'@@@') "
        "and not ( pycode>'$' and pycode<'$zzzzzz') and (czxh<1)");
    const storage::Cursor& sums = others.open();
    const double dm = sums.number("dm"), un = sums.number("un");
    storage::Cursor ledger(engine_.database(storage::Alias::Kvt), FundLedger::kTable);
    ledger.last();
    const double fundValue = ledger.number("FUND"), price = ledger.number("PRICE");
    const int at = upper.position();
    const double input = number(upper, at, "input"), unit = number(upper, at, "unit");
    const double owned = price == 0 ? 0 : fundValue / price - un;
    const double afterCommission = fundValue - dm;
    sink.line(investorCells(upper, at) + signedCell(wholeText(input), input, 9) +
              signedCell(wholeText(unit), unit, 10) + s10(wholeText(owned), 13) +
              s10(wholeText(price * owned), 13) + s10(wholeText(afterCommission), 15) +
              s10(wholeText(afterCommission - input), 13));
}

void InvestorReports::writeInvestorSummary(port::ReportSink& sink) {
    const storage::Cursor& upper = manager_.investors();
    const storage::Cursor& lower = manager_.details();
    sink.line(summaryHeading());
    const std::string code = upper.text("pycode");
    std::optional<double> final;
    if (!lower.isEmpty()) final = number(lower, 0, "l_price");
    const bool live = manager_.display() == FundManager::Display::Live;
    for (int i = upper.position(); i < upper.count() && field(upper, i, "pycode") == code; ++i) {
        double amount = live ? number(upper, i, "input") : netInput(code, field(upper, i, "xabc"));
        if (std::fabs(amount) < 1) amount = 0;
        double unit = number(upper, i, "unit");
        if (std::fabs(unit) <= 0.001) unit = 0;
        sink.line(investorCells(upper, i) + s10(wholeText(amount), 10) + s10(fixedText(unit, 1), 10) +
                  valueCells(upper, i, final));
    }
}

double InvestorReports::netInput(const std::string& pycode, const std::string& xabc) {
    storage::Query net(engine_.database(storage::Alias::Kvt));
    net.lines() = {"select pycode, name, xabc, sum(input) as input",
                   "From \"fund2.DB\"  where  (pycode<>'***') and not ( pycode>'$' and pycode<'$zzzzzz')",
                   "GROUP BY pycode,name,xabc", "order by pycode,name,xabc"};
    const storage::Cursor& rows = net.open();
    double sum = 0;
    for (int i = 0; i < rows.count(); ++i)
        if (field(rows, i, "pycode") == pycode && field(rows, i, "xabc") == xabc)
            sum += number(rows, i, "input");
    return sum;
}

void InvestorReports::writeRecords(port::ReportSink& sink) {
    const storage::Cursor& rows = manager_.details();
    const FundManager::Display display = manager_.display();
    sink.line(display == FundManager::Display::Live
                  ? "投资记录(仅含未撤资记录)："
                  : "投资记录(包括撤资记录,No.是撤资序号;*表示最近的提成处理记录－－成对出现)：");
    sink.line(s10("日期", 7) + s10("姓名 类型", 11) + s10("投资数", 9) + s10("No.", 4) + s10("基金股数", 9) +
              s10("投入价", 8) + s10("最终价", 8) + s10("增值% ", 7) + s10(" 市值", 7) + s10("可取额", 9) +
              " 注释");
    for (int i = 0; i < rows.count(); ++i) {
        const std::string dt = field(rows, i, "dt");
        const double input = number(rows, i, "input");
        bool paired = false;
        for (int j = 0; j < rows.count() && !paired; ++j)
            paired = j != i && field(rows, j, "dt") == dt && std::fabs(number(rows, j, "input") + input) < 2;
        std::string no;
        if (display == FundManager::Display::WithSettled)
            no = paired ? "*" + s10(field(rows, i, "czxh"), 3) : s10(field(rows, i, "czxh"), 4);
        else
            no = s10(paired ? "*" : "", 4);
        const std::string shortDate =
            dt.size() >= 10 ? dt.substr(2, 2) + dt.substr(5, 2) + dt.substr(8, 2) : dt;
        sink.line(s10(shortDate, 7) + s10(field(rows, i, "name") + " " + field(rows, i, "xabc"), 11) +
                  s10(wholeText(input), 9) + no + s10(fixedText(number(rows, i, "unit"), 1), 9) +
                  s10(fixedText(number(rows, i, "price"), 3), 8) +
                  s10(fixedText(number(rows, i, "l_price"), 3), 8) +
                  s10(fixedText(number(rows, i, "zzl"), 2), 7) + s10(wholeText(number(rows, i, "asset")), 7) +
                  s10(wholeText(number(rows, i, "dmoney")), 9) + " " + field(rows, i, "note"));
    }
}

bool InvestorReports::total(const ReportDefinition& def, const OpenReport& open,
                            std::optional<ReportTarget> target) {
    return deliverReport(prompter_, open, target, [&](port::ReportSink& sink) { writeTotal(def, sink); });
}

void InvestorReports::writeTotal(const ReportDefinition& def, port::ReportSink& sink) {
    const storage::Cursor& upper = manager_.investors();
    // The final price of each investor's first lower-grid row, read in one pass.
    storage::Query firsts(engine_.database(storage::Alias::Kvt));
    firsts.lines() = {"select pycode, l_price From \"fund2.DB\"", "where (price<>0) and (pycode<>'***')",
                      displayFilter(manager_.display()), "order by pycode,dt,czxh"};
    const storage::Cursor& f = firsts.open();
    std::map<std::string, double> final;
    for (int i = 0; i < f.count(); ++i) final.try_emplace(field(f, i, "pycode"), number(f, i, "l_price"));

    // No investors, no pages: unlike the address book, the total report prints no empty heading page.
    if (upper.isEmpty()) return;
    writePagedListing(
        "                                     " + def.fundName + "投资人盈亏总报表", summaryHeading(),
        upper.count(),
        [&](int i) {
            const auto found = final.find(field(upper, i, "pycode"));
            return investorCells(upper, i) + s10(wholeText(number(upper, i, "input")), 10) +
                   s10(text::shortestText(number(upper, i, "unit")), 10) +
                   valueCells(upper, i, found == final.end() ? std::nullopt : std::optional(found->second));
        },
        clock_.now(), sink);
}

}  // namespace varneth::fund
