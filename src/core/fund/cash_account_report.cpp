#include "fund/cash_account_report.h"

#include <cmath>
#include <cstdint>

#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::fund {

using storage::Value;
using text::s10;

namespace {

// A growth rate in percent to two decimals; none when nothing net was brought in.
std::string rate(double value, double input) {
    if (!(input > 0)) return "-";
    return fixedText((value / input - 1) * 100, 2);
}

}  // namespace

CashAccounts::CashAccounts(storage::Engine& engine, reference::Lookups& lookups, port::Prompter& prompter,
                           port::Clock& clock)
    : lookups_(lookups),
      prompter_(prompter),
      clock_(clock),
      accounts_(engine.database(storage::Alias::Kvt)),
      movements_(engine.database(storage::Alias::Kvt)),
      holdings_(engine.database(storage::Alias::Kvt)) {
    accounts_.lines() = {"select qsdm,zjzh, sum(input) as input", "From \"fund2.DB\"",
                         "where ( pycode<>'***') and ( qsdm<>'')", "GROUP BY qsdm,zjzh",
                         "order by qsdm,zjzh"};
    movements_.lines() = {"select dt, qsdm,zjzh,  input, price,  name, note", "From \"fund2.DB\"",
                          "where \"fund2.DB\".\"qsdm\" =:\"qsdm\" and \"fund2.DB\".\"zjzh\" =:\"zjzh\"",
                          "order by dt"};
    holdings_.lines() = {"select qsdm, zjzh, birate, sum(cost2*birate) as cost2, sum(cost2*ZK_RATE) as cost3",
                         "from \"tr2.dbf\"", "where  wth='' ", "group by qsdm,zjzh, birate",
                         "order by qsdm,zjzh, birate"};
}

void CashAccounts::open() {
    std::string qsdm = kCashAccount, zjzh = kCashAccount;
    if (accounts_.isOpen() && !accounts().isEmpty()) {
        qsdm = accounts().text("qsdm");
        zjzh = accounts().text("zjzh");
    }
    holdings_.open();
    accounts_.open();
    if (!select(qsdm, zjzh)) {
        movements_.bindFrom(accounts());
        movements_.open();
    }
}

bool CashAccounts::select(std::string_view qsdm, std::string_view zjzh) {
    if (!accounts_.isOpen()) accounts_.open();
    if (!accounts().locate("qsdm;zjzh", {Value(qsdm), Value(zjzh)})) return false;
    movements_.bindFrom(accounts());
    movements_.open();
    return true;
}

CashAccounts::Held CashAccounts::held(std::string_view qsdm, std::string_view zjzh) {
    Held h;
    const storage::Cursor& c = holdings();
    const int q = c.fieldIndex("qsdm"), z = c.fieldIndex("zjzh");
    for (int i = 0; i < c.count(); ++i) {
        if (c.valueAt(i, q).toString() != qsdm || c.valueAt(i, z).toString() != zjzh) continue;
        h.cost2 = c.valueAt(i, c.fieldIndex("cost2")).toDouble();
        h.cost3 = c.valueAt(i, c.fieldIndex("cost3")).toDouble();
        h.rate = c.valueAt(i, c.fieldIndex("birate")).toDouble();
        break;
    }
    return h;
}

AccountSummary CashAccounts::selezj() {
    AccountSummary s;
    storage::Cursor& a = accounts();
    if (a.isEmpty()) return s;
    const std::string qsdm = a.text("qsdm"), zjzh = a.text("zjzh");
    const double input = a.number("input");
    const Held h = held(qsdm, zjzh);
    const double d = text::roundHalfEven(h.cost3 * h.rate - input);
    s.code = "$" + zjzh;
    s.amount = wholeText(input);
    s.value = text::shortestText(h.cost3);
    s.held = h.cost3;
    if (zjzh == kCashAccount) {
        s.first = s.second = "差额:" + wholeText(d);
    } else {
        s.first = "增值" + wholeText(d);
        s.second = input > 0 ? "余额增值率:" + wholeText(d / input * 100) + "%" : kOverdrawn;
    }
    return s;
}

bool CashAccounts::print(const std::string& fundName, bool details, const OpenReport& open,
                         std::optional<ReportTarget> target) {
    if (accounts().isEmpty()) {
        prompter_.message("没有资金帐户记录,放弃操作。");
        return false;
    }
    return deliverReport(prompter_, open, target,
                         [&](port::ReportSink& sink) { write(fundName, details, sink); });
}

void CashAccounts::write(const std::string& fundName, bool details, port::ReportSink& sink) {
    storage::Cursor& a = accounts();
    const std::string qsdm = a.text("qsdm"), zjzh = a.text("zjzh");
    const double input = a.number("input");
    const Held h = held(qsdm, zjzh);
    const AccountSummary s = selezj();
    const double discounted = h.cost3 * h.rate;
    sink.line(centredTitle(fundName + "资金帐户报告"));
    sink.line(centredHeader("券商代码:" + qsdm + " 券商:" + lookups_.qsdm_to_qs(qsdm) + " 资金帐号" + zjzh +
                            " 打印时间:" + clock_.now().iso()));
    sink.line("投资总结：");
    sink.line(s10("投资金额", 10) + s10("市值", 10) + s10("增值率%", 10) + s10("折扣价值", 10) +
              s10("折扣增值率%", 10));
    sink.line(s10(wholeText(input), 10) + s10(wholeText(h.cost2), 10) + s10(rate(h.cost2, input), 10) +
              s10(wholeText(discounted), 10) + s10(rate(discounted, input), 10));
    if (details) {
        sink.line("  ");
        sink.line("资金进出记录：");
        sink.line(s10("日期", 10) + s10("投资人", 10) + s10(" 投入金额", 10) + s10("基金价格", 10) +
                  s10("深指", 10) + s10("沪指", 10) + " 注释");
        const storage::Cursor& m = movements();
        const auto at = [&](int i, const char* f) -> const Value& { return m.valueAt(i, m.fieldIndex(f)); };
        for (int i = 0; i < m.count(); ++i) {
            const double x = at(i, "input").toDouble();
            const std::string amount = wholeText(x);
            sink.line(s10(at(i, "dt").toString(), 10) + s10(at(i, "name").toString(), 10) +
                      (x < 0 ? s10(amount, 10) : " " + s10(amount, 9)) +
                      s10(text::shortestText(at(i, "price").toDouble()), 8) + at(i, "note").toString());
        }
        sink.line(reportRule());
    }
    sink.line("持仓市值=" + s.value);
    sink.line(s.first);
    sink.line(s.second);
    sink.line("管理人签名:              " + clock_.now().isoDate());
}

}  // namespace varneth::fund
