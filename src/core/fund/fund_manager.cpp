#include "fund/fund_manager.h"

#include <cmath>
#include <stdexcept>
#include <vector>

#include "storage/display_hold.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::fund {

using storage::Value;
using text::roundHalfEven;
using text::roundScaled;
using text::shortestText;

namespace {

constexpr std::size_t kChoiceLine = 5;  // the line of both texts the display choice replaces

std::vector<std::string> upperText() {
    return {"select pycode, name, xabc, sum(input) as input,",
            "sum(unit*l_price) as asset, sum(unit) as unit, ",
            "(sum(price*unit)/sum(unit)*1000)/1000 as a_price,",
            "sum(unit*l_price)/sum(input)*100-100 as zzl,sum(dmoney) as dmoney",
            "From \"fund2.DB\"  where  (pycode<>'***') and not ( pycode>'$' and pycode<'$zzzzzz')",
            "and  (czxh<1) ",
            "GROUP BY pycode,name,xabc",
            "order by pycode,name,xabc"};
}

std::vector<std::string> lowerText() {
    return {"select dt, pycode, name, xabc, input,unit*l_price as asset,",
            "unit, price,l_price,(l_price/price-1)*100 as zzl, ",
            "dmoney,czxh, sz, shz, note,qsdm,zjzh",
            "From \"fund2.DB\"",
            "where \"fund2.DB\".\"pycode\" =:\"pycode\"  and (price<>0) and (pycode<>'***')",
            "and  (czxh<1)",
            "order by dt,czxh"};
}

std::optional<text::Date> dateOf(const storage::Cursor& c) {
    return text::Date::parse(c.text("DT"));
}

// Units below a million keep three decimals; a larger count is kept as it comes.
double units3(double u) {
    return std::fabs(u) < 1000000 ? roundScaled(u, 3) : u;
}

void put(storage::Cursor& c, const char* field, const Value& v) {
    if (c.value(field).compare(v) != 0) c.setValue(field, v);
}

}  // namespace

FundManager::FundManager(storage::Engine& engine, FundLedger& fund, port::Prompter& prompter,
                         port::Clock& clock)
    : engine_(engine),
      fund_(fund),
      prompter_(prompter),
      clock_(clock),
      types_(engine, prompter),
      ledger_(engine.database(storage::Alias::Kvt), FundLedger::kTable),
      tich_(engine.database(storage::Alias::Kvt), "tich.DB"),
      upper_(engine.database(storage::Alias::Kvt)),
      lower_(engine.database(storage::Alias::Kvt)) {
    upper_.lines() = upperText();
    lower_.lines() = lowerText();
}

void FundManager::show() {
    calc();
    reopen();
}

// ---- investor grids

void FundManager::reopen() {
    std::string selected;
    if (upper_.isOpen() && !investors().isEmpty()) selected = investors().text("pycode");
    upper_.open();
    if (!selected.empty()) investors().locate("pycode", {Value(selected)});
    lower_.bindFrom(investors());
    lower_.open();
}

void FundManager::setDisplay(Display d) {
    display_ = d;
    const char* upper = d == Display::Live          ? "and (czxh<1)"
                        : d == Display::WithSettled ? "and (czxh<10)"
                                                    : " ";
    const char* lower = d == Display::Live ? "and (czxh<1)" : " ";
    upper_.lines()[kChoiceLine] = upper;
    lower_.lines()[kChoiceLine] = lower;
    reopen();
}

bool FundManager::findInvestor(std::string_view pycode) {
    if (!upper_.isOpen()) reopen();
    if (!investors().locate("pycode", {Value(pycode)})) return false;
    lower_.bindFrom(investors());
    lower_.open();
    return true;
}

// ---- valuation

bool FundManager::out_money(storage::Cursor& c, double p, std::optional<text::Date> d) {
    const double price = c.number("PRICE");
    if (price == 0) {
        prompter_.message(kZeroPrice);
        return false;
    }
    const std::string code = lowerAscii(text::trim(c.text("XABC")));
    const InvestmentType* type = nullptr;
    if (code != FundLedger::kFeeFreeType) {
        type = types_.find(code);
        if (!type) {
            prompter_.message("发现基金管理窗口中的一种投资类型: " + c.text("XABC") +
                              "(日期:" + c.text("DT") + "投资人:" + c.text("NAME") +
                              "),定义窗口中没有，请修改后再操作！");
            return false;
        }
    }
    const auto bought = dateOf(c);
    const double days = d && bought ? bought->daysUntil(*d) : 0;
    const double v = out_value({c.number("INPUT"), c.number("UNIT"), price}, type, p, days);
    put(c, "L_PRICE", Value(roundHalfEven(p * 1000) * 0.001));
    put(c, "DMONEY", Value(roundHalfEven(v)));
    if (c.state() != storage::Cursor::State::Browse) c.post();
    return true;
}

void FundManager::calc() {
    storage::Action action(engine_);
    storage::Cursor& c = ledger_;
    if (c.isEmpty()) return;
    c.last();
    const double p = c.number("PRICE");
    const auto d = dateOf(c);
    storage::DisplayHold held(fund_.table());
    // Codes and serials are part of the key: the rows whose mending moves them are mended first, by
    // identity; the valuation then walks positions, which it does not change.
    const int code = c.fieldIndex("PYCODE"), czxh = c.fieldIndex("CZXH"), xabc = c.fieldIndex("XABC");
    const int b1 = c.fieldIndex("B1"), input = c.fieldIndex("INPUT");
    const auto live = [&](int i) {
        return text::trim(c.valueAt(i, code).toString()) != FundLedger::kMarketCode &&
               !(c.valueAt(i, czxh).toInt() > 0);
    };
    std::vector<std::int64_t> mend;
    for (int i = 0; i < c.count(); ++i) {
        if (!live(i)) continue;
        const std::string x = c.valueAt(i, xabc).toString();
        if (c.valueAt(i, czxh).isNull() || lowerAscii(x) != x || text::trim(x).empty() ||
            text::trim(c.valueAt(i, b1).toString()).empty())
            mend.push_back(c.rowidAt(i));
    }
    for (auto rowid : mend) {
        if (!c.gotoBookmark({rowid})) continue;
        const std::string x = c.text("XABC");
        if (lowerAscii(x) != x) put(c, "XABC", Value(lowerAscii(x)));
        if (c.value("CZXH").isNull()) c.setValue("CZXH", Value(0));
        if (text::trim(c.text("XABC")).empty()) {
            prompter_.message("发现一个投资人记录(日期:" + c.text("DT") + "投资人:" + c.text("NAME") +
                              ")没有类型定义,且填以缺省类型y。");
            c.setValue("XABC", Value(FundLedger::kFeeFreeType));
        }
        if (text::trim(c.text("B1")).empty())
            c.setValue("B1", Value(std::trunc(c.number("INPUT")) > 0 ? "b" : "s"));
        c.post();
    }
    for (int i = 0; i < c.count(); ++i) {
        if (!live(i)) continue;
        c.moveTo(i);
        if (c.valueAt(i, input).toDouble() <= 0) {
            put(c, "DMONEY", c.value("INPUT"));
            put(c, "L_PRICE", c.value("PRICE"));
            if (c.state() != storage::Cursor::State::Browse) c.post();
        } else {
            out_money(c, p, d);
        }
    }
}

// ---- withdrawals

int FundManager::withdrawals() {
    storage::Action action(engine_);
    storage::Cursor& c = ledger_;
    storage::DisplayHold held(fund_.table());
    const int code = c.fieldIndex("PYCODE"), czxh = c.fieldIndex("CZXH"), input = c.fieldIndex("INPUT");
    const int xabc = c.fieldIndex("XABC"), b1 = c.fieldIndex("B1");
    std::int64_t n = 0;
    std::vector<std::int64_t> pending;
    // The live buys of each investor and type in table order, so the next one is never searched for.
    std::map<Key, std::deque<std::int64_t>> live;
    for (int i = 0; i < c.count(); ++i) {
        const std::int64_t z = c.valueAt(i, czxh).toInt();
        n = std::max(n, z);
        const std::string pycode = c.valueAt(i, code).toString();
        if (c.valueAt(i, input).toDouble() < 0 && z <= 0 && pycode != FundLedger::kMarketCode &&
            pycode != FundLedger::kManagerCode && pycode.rfind('$', 0) != 0)
            pending.push_back(c.rowidAt(i));
        if (z == 0 && !c.valueAt(i, czxh).isNull() && c.valueAt(i, b1).toString() == "b")
            live[{pycode, c.valueAt(i, xabc).toString()}].push_back(c.rowidAt(i));
    }
    ++n;
    int settled = 0;
    for (auto w : pending) {
        try {
            if (settle(w, n, live)) ++settled;
        } catch (const std::exception&) {
            c.cancel();
            if (c.gotoBookmark({w}))
                prompter_.message(c.text("DT") + shortestText(c.number("INPUT")) + "dmoney is " +
                                  shortestText(c.number("DMONEY")));
            return settled;
        }
        ++n;
    }
    prompter_.message("撤资处理结束," + std::to_string(settled) + "个撤资记录被处理(和投资记录相冲销)！");
    return settled;
}

bool FundManager::settle(std::int64_t withdrawal, std::int64_t n,
                         std::map<Key, std::deque<std::int64_t>>& live) {
    storage::Cursor& c = ledger_;
    if (!c.gotoBookmark({withdrawal})) return false;
    const std::string typed = c.text("XABC");
    if (lowerAscii(typed) != typed) {
        c.setValue("XABC", Value(lowerAscii(typed)));
        c.post();
    }
    const double p = c.number("PRICE");
    const auto d = dateOf(c);
    const std::string day = c.text("DT"), pycode = c.text("PYCODE");
    if (!(p > 0)) {
        prompter_.message("撤资记录(日期为" + day + ",代码为" + pycode +
                          ")没有价格,放弃此记录的撤资处理,请先重算基金价格！");
        return false;
    }
    const Value qsdm = c.value("QSDM"), zjzh = c.value("ZJZH"), name = c.value("NAME"), num = c.value("Num");
    const std::string xabc = c.text("XABC");
    const double w = c.number("INPUT");
    double need = -w, u = 0;
    const std::string question = "日期为" + day + ",代码为" + pycode +
                                 "的撤资数量过大,前面买入未平仓数量不够。要冲销后面的买进数量按Yes,否则(按No)"
                                 "请事后在基金业绩计算窗口修改！";
    auto& buys = live[{pycode, xabc}];
    const auto buyDate = [&](std::int64_t rowid) {
        c.gotoBookmark({rowid});
        return dateOf(c);
    };
    if (buys.empty()) {
        prompter_.message(
            "相应撤资记录(日期为" + day + ",代码为" + pycode +
            ")，找不到未撤资的买入基金记录,放弃此记录的平仓(撤资)处理,请事后在基金业绩计算窗口修改！");
        return false;
    }
    if (buyDate(buys.front()) >= d && !prompter_.ask(question)) return false;

    bool partial = false;
    for (;;) {
        c.gotoBookmark({buys.front()});
        out_money(c, p, d);
        const double m = c.number("DMONEY");
        if (m <= need) {
            c.setValue("CZXH", Value(n));
            c.post();
            u += c.number("UNIT");
            need -= m;
            buys.pop_front();
            if (need < 1) break;
            if (buys.empty()) {
                prompter_.message("日期为" + day + ",代码为" + pycode +
                                  "的撤资数量过大,买入未平仓数量不够。超出" + shortestText(need) +
                                  "元,请事后在基金业绩计算窗口修改！");
                partial = true;
                break;
            }
            if (buyDate(buys.front()) > d && !prompter_.ask(question)) {
                partial = true;
                break;
            }
        } else {
            double part = 0;
            buys.front() = splitBuy(need, m, n, p, d, part);
            u += part;
            break;
        }
    }
    c.gotoBookmark({withdrawal});
    if (!partial) {
        c.setValue("UNIT", Value(-units3(u)));
        c.setValue("DMONEY", Value(w));
        c.setValue("CZXH", Value(n));
        c.post();
        return true;
    }
    c.setValue("UNIT", Value(-(std::trunc(u * 1000) / 1000)));
    c.setValue("INPUT", Value(w + need));
    c.setValue("DMONEY", Value(w + need));
    c.setValue("CZXH", Value(n));
    c.post();
    c.append();
    c.setValue("DT", Value(day));
    c.setValue("QSDM", qsdm);
    c.setValue("ZJZH", zjzh);
    c.setValue("PYCODE", Value(pycode));
    c.setValue("NAME", name);
    c.setValue("XABC", Value(xabc));
    c.setValue("Num", num);
    c.setValue("CZXH", Value(0));
    c.setValue("INPUT", Value(-need));
    c.setValue("PRICE", Value(roundScaled(p, 4)));
    c.setValue("UNIT", Value(roundScaled(-need / p, 4)));
    c.setValue("B1", Value("s"));
    c.post();
    return true;
}

std::int64_t FundManager::splitBuy(double need, double m, std::int64_t n, double p,
                                   std::optional<text::Date> d, double& settledUnits) {
    storage::Cursor& c = ledger_;
    const double input = c.number("INPUT"), unit = c.number("UNIT");
    const double settledInput = roundHalfEven(input * need / m);
    settledUnits = units3(unit * need / m);
    const Value dt = c.value("DT"), qsdm = c.value("QSDM"), zjzh = c.value("ZJZH"),
                pycode = c.value("PYCODE");
    const Value name = c.value("NAME"), xabc = c.value("XABC"), note = c.value("NOTE"), num = c.value("Num");
    const double price = roundScaled(c.number("PRICE"), 3);
    c.setValue("INPUT", Value(settledInput));
    c.setValue("UNIT", Value(settledUnits));
    c.setValue("DMONEY", Value(std::fabs(need) < 10000000 ? roundScaled(need, 2) : need));
    c.setValue("CZXH", Value(n));
    c.post();
    // The remainder is what the settled share leaves, so no money or unit is lost or made.
    c.append();
    c.setValue("DT", dt);
    c.setValue("QSDM", qsdm);
    c.setValue("ZJZH", zjzh);
    c.setValue("PYCODE", pycode);
    c.setValue("NAME", name);
    c.setValue("XABC", xabc);
    c.setValue("NOTE", note);
    c.setValue("Num", num);
    c.setValue("CZXH", Value(0));
    c.setValue("B1", Value("b"));
    c.setValue("PRICE", Value(price));
    c.setValue("INPUT", Value(input - settledInput));
    c.setValue("UNIT", Value(unit - settledUnits));
    c.post();
    const std::int64_t rest = c.bookmark().rowid;
    out_money(c, p, d);
    return rest;
}

// ---- commission

bool FundManager::searchCommission() {
    storage::Action action(engine_);
    while (!tich_.isEmpty()) {
        tich_.first();
        tich_.remove();
    }
    storage::Cursor& c = ledger_;
    const std::string now = today();
    const auto day = text::Date::parse(now);
    for (int i = 0; i < c.count(); ++i) {
        c.moveTo(i);
        const std::string pycode = c.text("PYCODE");
        if (pycode < "0") continue;
        if (lowerAscii(text::trim(c.text("XABC"))) == FundLedger::kFeeFreeType) continue;
        if (c.value("CZXH").isNull() || c.integer("CZXH") != 0 || !(c.number("INPUT") > 0)) continue;
        const InvestmentType* type = types_.find(c.text("XABC"));
        if (!type) {
            prompter_.message("发现一个记录( " + c.text("DT") + pycode +
                              " )的投资类型没有定义过，不予考虑提成。");
            continue;
        }
        const auto bought = dateOf(c);
        if (bought && day && bought->addDays(static_cast<int>(std::ceil(type->e13))) > *day) continue;
        const double unit = c.number("UNIT"), lprice = c.number("L_PRICE"), price = c.number("PRICE");
        const double input = c.number("INPUT"), dmoney = c.number("DMONEY");
        const double mv = roundHalfEven(unit * lprice);
        const double tich = std::max(roundHalfEven((mv - input) * kCommissionRate), 0.0);
        tich_.append();
        tich_.setValue("DT", c.value("DT"));
        tich_.setValue("PYCODE", Value(pycode));
        tich_.setValue("XABC", c.value("XABC"));
        tich_.setValue("NAME", c.value("NAME"));
        tich_.setValue("INPUT", Value(input));
        tich_.setValue("UNIT", Value(unit));
        tich_.setValue("PRICE", Value(price));
        tich_.setValue("L_PRICE", Value(lprice));
        tich_.setValue("DMONEY", Value(dmoney));
        tich_.setValue("FUND", Value(mv));
        tich_.setValue("PER", Value(price == 0 ? 0.0 : roundHalfEven((lprice / price - 1) * 10000) * 0.01));
        tich_.setValue("Tich", Value(tich));
        tich_.setValue("Bxfund", Value(mv - tich - dmoney));
        tich_.setValue("Czxh", Value(0));
        tich_.post();
    }
    tich_.first();
    if (tich_.isEmpty()) {
        prompter_.message(kNoCandidates);
        return false;
    }
    return true;
}

bool FundManager::tc(const std::string& pycode, const std::string& xabc) {
    double s = 0, p = 0;
    std::string name;
    std::vector<std::int64_t> taken;
    for (int i = 0; i < tich_.count(); ++i) {
        tich_.moveTo(i);
        if (tich_.text("PYCODE") != pycode || tich_.text("XABC") != xabc || tich_.value("Czxh").toInt() != 0)
            continue;
        if (taken.empty()) {
            p = tich_.number("L_PRICE");
            name = tich_.text("NAME");
        }
        s += tich_.number("DMONEY");
        taken.push_back(tich_.rowidAt(i));
    }
    if (taken.empty() || !(p > 0)) {
        prompter_.message(kNoRecord);
        return false;
    }
    for (auto rowid : taken)
        if (tich_.gotoBookmark({rowid})) tich_.remove();
    s = roundHalfEven(s * 100) * 0.01;
    const double price = roundScaled(p, 4);
    storage::Cursor& c = ledger_;
    const auto row = [&](double input, double unit, const char* b1) {
        c.append();
        c.setValue("DT", Value(today()));
        c.setValue("PYCODE", Value(pycode));
        c.setValue("XABC", Value(xabc));
        c.setValue("NAME", Value(name));
        c.setValue("INPUT", Value(input));
        c.setValue("UNIT", Value(unit));
        c.setValue("CZXH", Value(0));
        c.setValue("PRICE", Value(price));
        c.setValue("L_PRICE", Value(price));
        c.setValue("B1", Value(b1));
        if (input > 0) c.setValue("DMONEY", Value(s));
        c.post();
        numberRows(c.bookmark().rowid);
    };
    row(-s, -s / p, "s");
    row(s, roundHalfEven(1000 * s / p) * 0.001, "b");
    return true;
}

void FundManager::numberRows(std::int64_t rowid) {
    storage::Cursor& t = fund_.table();
    if (t.gotoBookmark({rowid})) fund_.fillnum();
}

int FundManager::firstCandidate() const {
    const int czxh = tich_.fieldIndex("Czxh");
    for (int i = 0; i < tich_.count(); ++i)
        if (tich_.valueAt(i, czxh).toInt() == 0) return i;
    return -1;
}

bool FundManager::drawSelected(int row) {
    storage::Action action(engine_);
    if (firstCandidate() < 0) {
        prompter_.message(kNoRecord);
        return false;
    }
    tich_.moveTo(std::clamp(row, 0, tich_.count() - 1));
    const std::string pycode = tich_.text("PYCODE"), xabc = tich_.text("XABC");
    if (text::trim(pycode).empty()) {
        prompter_.message(kEmptyCode);
        return false;
    }
    if (!tc(pycode, xabc)) return false;
    withdrawals();
    reopen();
    return true;
}

bool FundManager::drawAll() {
    storage::Action action(engine_);
    if (firstCandidate() < 0) {
        prompter_.message(kNoRecord);
        return false;
    }
    for (int i; (i = firstCandidate()) >= 0;) {
        tich_.moveTo(i);
        const std::string pycode = tich_.text("PYCODE"), xabc = tich_.text("XABC");
        // A candidate without a price cannot be drawn; dropping it keeps the loop finite.
        if (!tc(pycode, xabc)) {
            tich_.moveTo(i);
            tich_.remove();
        }
    }
    withdrawals();
    reopen();
    return true;
}

}  // namespace varneth::fund
