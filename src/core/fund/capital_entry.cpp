#include "fund/capital_entry.h"

#include <cmath>

#include "text/dates.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::fund {

using storage::Value;
using text::roundHalfEven;

namespace {

constexpr double kLargestMoney = 1e12;

std::optional<text::Date> dayOf(const storage::Cursor& c, const char* field) {
    if (c.isEmpty()) return std::nullopt;
    return text::Date::parse(c.text(field));
}

}  // namespace

CapitalEntry::CapitalEntry(storage::Engine& engine, FundManager& manager, FundLedger& fund,
                           reference::Lookups& lookups, port::Prompter& prompter, port::Clock& clock)
    : engine_(engine),
      manager_(manager),
      fund_(fund),
      lookups_(lookups),
      prompter_(prompter),
      clock_(clock),
      book_(engine.database(storage::Alias::Kvt), "tr2.DBF"),
      accounts_(engine.database(storage::Alias::Kvt)) {
    book_.setOrdering("No_PC");
    // Quoted: unquoted, SQLite reads tr2.dbf as table "dbf" of a database "tr2".
    accounts_.lines() = {"select distinct wth,qsdm, qs,zjzh", "from \"tr2.dbf\"",
                         "where wth<'P' or wth='' and lx='xj'"};
    accounts_.open();
}

CapitalForm CapitalEntry::show(bool allMoney) {
    CapitalForm form;
    storage::Cursor& d = manager_.details();
    const bool any = !d.isEmpty();
    if (any) {
        form.pycode = d.text("pycode");
        form.name = d.text("name");
        form.xabc = d.text("xabc");
    }
    std::string broker = any ? d.text("qsdm") : "";
    if (broker.empty() || !book_.locate("QSDM", {Value(broker)})) {
        book_.first();
        broker = book_.isEmpty() ? "" : book_.text("QSDM");
    }
    chooseBroker(form, broker);
    form.date = today();
    form.amount = amountFor(allMoney);
    form.available = kNone;
    if (any && d.number("input") > 0) {
        const auto now = *text::Date::parse(today());
        auto from = dayOf(d, "dt").value_or(now).addDays(manager_.types().xabc_to_days(form.xabc));
        form.available = std::max(from, now).iso();
    }
    figures(form);
    return form;
}

std::string CapitalEntry::amountFor(bool allMoney) {
    if (allMoney) {
        storage::Cursor& i = manager_.investors();
        return text::shortestText(i.isEmpty() ? 0.0 : -i.number("dmoney"));
    }
    storage::Cursor& d = manager_.details();
    const double dmoney = d.isEmpty() ? 0 : d.number("dmoney");
    return dmoney < 0 ? "0" : text::shortestText(-dmoney);
}

void CapitalEntry::chooseBroker(CapitalForm& form, std::string_view qsdm) {
    form.qsdm = std::string(qsdm);
    form.qs = lookups_.qsdm_to_qs(qsdm);
    // `for_zjzh`: the broker's rows lie together in holdings order; each new account once.
    form.accounts.clear();
    form.zjzh.clear();
    for (int i = 0; i < book_.count(); ++i) {
        book_.moveTo(i);
        if (book_.text("QSDM") != qsdm) {
            if (!form.accounts.empty()) break;
            continue;
        }
        const std::string z = book_.text("ZJZH");
        if (form.accounts.empty() || form.accounts.back() != z) form.accounts.push_back(z);
    }
    if (!form.accounts.empty()) form.zjzh = form.accounts.back();
}

void CapitalEntry::dateChanged(CapitalForm& form) {
    auto day = text::Date::parse(text::trim(form.date));
    if (!day) {
        form.date = today();
        day = text::Date::parse(form.date);
    }
    form.available = day->addDays(manager_.types().xabc_to_days(form.xabc)).iso();
}

void CapitalEntry::figures(CapitalForm& form) {
    storage::Cursor& d = manager_.details();
    if (form.pycode == FundLedger::kManagerCode) {
        const int kept = d.position();
        manager_.setDisplay(FundManager::Display::Live);
        storage::Cursor& inv = manager_.investors();
        double dm = 0, as = 0, un = 0;
        for (int i = 0; i < inv.count(); ++i) {
            inv.moveTo(i);
            if (inv.text("pycode") == FundLedger::kManagerCode) continue;
            dm += inv.number("dmoney");
            as += inv.number("asset");
            un += inv.number("unit");
        }
        manager_.findInvestor(FundLedger::kManagerCode);
        fund_.recompute();
        storage::Cursor& t = fund_.table();
        t.last();
        const double fund = t.number("FUND"), price = t.number("PRICE");
        form.current = roundHalfEven(fund - as);
        form.maturity = roundHalfEven(fund - dm);
        const double units = price == 0 ? 0 : fund / price - un;
        form.units = std::fabs(units) < 10000000 ? text::roundScaled(units, 2) : units;
        form.unitsCaption = kManagerCaption;
        if (kept >= 0 && kept < d.count()) d.moveTo(kept);
        return;
    }
    const int kept = d.position();
    const auto now = *text::Date::parse(today());
    double un = 0, tot = 0, cur = 0;
    for (int i = 0; i < d.count(); ++i) {
        d.moveTo(i);
        un += d.number("unit");
        const double dmoney = d.number("dmoney");
        tot += dmoney;
        const InvestmentType* type = manager_.types().find(d.text("xabc"));
        const auto bought = dayOf(d, "dt");
        if (!type || !bought || bought->addDays(static_cast<int>(type->e11)) <= now) cur += dmoney;
    }
    if (kept >= 0) d.moveTo(kept);
    form.maturity = tot;
    form.unitsCaption = "所持" + form.xabc + "类型基金数量(股数):";
    form.units = text::roundScaled(un, 2);
    form.current = roundHalfEven(cur);
}

bool CapitalEntry::confirm(const CapitalForm& form) {
    const std::string pycode = text::trim(form.pycode), xabc = text::trim(form.xabc);
    if (pycode.empty()) {
        prompter_.message(kNoCode);
        return false;
    }
    const auto amount = text::parseNumber(form.amount);
    if (!amount) {
        prompter_.message("'" + form.amount + "'不是有效的数值（投入资金(元)）");
        return false;
    }
    if (std::fabs(*amount) > kLargestMoney) {
        prompter_.message("'" + form.amount + "'超出金额范围（投入资金(元)）");
        return false;
    }
    const auto day = text::Date::parse(text::trim(form.date));
    if (!day) {
        prompter_.message("'" + form.date + "'不是有效的日期（投入日期）");
        return false;
    }
    if (!manager_.types().find(xabc)) {
        prompter_.message("投资类型" + xabc + "没有定义,放弃操作。");
        return false;
    }
    if (!prompter_.ask(kQuestion)) return false;

    storage::Action action(engine_);
    storage::Cursor& t = fund_.table();
    t.last();
    const double price = t.isEmpty() ? 0 : t.number("PRICE");
    t.append();
    t.setValue("CZXH", Value(0));
    t.setValue("DT", Value(day->iso()));
    t.setValue("QSDM", Value(text::trim(form.qsdm)));
    t.setValue("ZJZH", Value(text::trim(form.zjzh)));
    t.setValue("PYCODE", Value(pycode));
    t.setValue("NAME", Value(text::trim(form.name)));
    t.setValue("INPUT", Value(*amount));
    t.setValue("XABC", Value(lowerAscii(xabc)));
    t.setValue("PRICE", Value(price));
    t.setValue("B1", Value(*amount >= 0 ? "b" : "s"));
    t.post();
    // Two movements of one investor and type on one day differ only by their serial number.
    fund_.fillnum();
    if (*amount >= 0) {
        prompter_.message(kInvested);
    } else {
        prompter_.message(kWithdrawn);
        manager_.withdrawals();
        manager_.setDisplay(FundManager::Display::Live);
    }
    if (book_.locate("WTH;QSDM;ZJZH;CODE",
                     {Value(""), Value(text::trim(form.qsdm)), Value(text::trim(form.zjzh)), Value("xj")})) {
        const double rate = book_.number("BIRATE");
        // Fund-ledger money is in the settlement currency; the cash row keeps its own.
        book_.setValue("AMT", Value(book_.number("AMT") + *amount / (rate == 0 ? 1.0 : rate)));
        book_.post();
    } else {
        prompter_.message(kNoCashRow);
    }
    manager_.reopen();
    manager_.details().last();
    return true;
}

}  // namespace varneth::fund
