#include "fund/fund_ledger.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

#include "fund/fund_report.h"
#include "text/dates.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::fund {

using storage::Value;
using text::f32;

namespace {

constexpr const char* kFirstValidDate = "1960-01-01";
constexpr const char* kLastValidDate = "2050-01-01";
constexpr int kTailRows = 15;
constexpr int kRenumberBack = 20;
constexpr double kWholeUnitsAbove = 10000000.0;

// Prices and units are rounded through a 32-bit integer: a value outside its range (or a quotient
// by zero) is a failure of the pass, never a stored garbage number.
double round32(double x) {
    const double r = text::roundHalfEven(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw std::range_error("整数溢出");
    return r;
}

double quotient(double a, double b) {
    if (b == 0) throw std::domain_error("浮点数除以零");
    return a / b;
}

// Grids on the ledger stay still during a pass and redraw once at its end, however it ends.
class HeldDisplay {
public:
    explicit HeldDisplay(storage::Cursor& c) : c_(c) { c_.suspendDisplay(); }
    ~HeldDisplay() { c_.resumeDisplay(); }
    HeldDisplay(const HeldDisplay&) = delete;
    HeldDisplay& operator=(const HeldDisplay&) = delete;

private:
    storage::Cursor& c_;
};

}  // namespace

FundLedger::FundLedger(storage::Engine& engine, Valuation valuation, port::Prompter& prompter,
                       port::Clock& clock)
    : engine_(engine),
      valuation_(std::move(valuation)),
      prompter_(prompter),
      clock_(clock),
      fund_(engine.database(storage::Alias::Kvt), kTable),
      names_(engine.database(storage::Alias::Kvt), kTable) {
    const auto at = [this](const char* name) { return fund_.fieldIndex(name); };
    f_ = Fields{at("DT"),    at("Num"),  at("PYCODE"), at("NAME"), at("QSDM"), at("ZJZH"),
                at("INPUT"), at("XABC"), at("UNIT"),   at("FUND"), at("INC"),  at("PRICE"),
                at("SZ"),    at("SHZ"),  at("CZXH"),   at("NOTE"), at("B1")};
    storage::Action action(engine_);
    ensureManagerRow();
    fund_.last();
}

std::string FundLedger::firstIndexTitle() {
    storage::Cursor settings(engine_.database(storage::Alias::Curr), "parameter.DBF");
    if (settings.locate("NAME", {Value("s1name")})) return settings.text("PARA");
    return "深指";
}

std::string FundLedger::today() const {
    return clock_.now().isoDate();
}

bool FundLedger::isMarket(int position) const {
    return text::trim(fund_.valueAt(position, f_.pycode).toString()) == kMarketCode;
}

double FundLedger::numberAt(int position, int field) const {
    return fund_.valueAt(position, field).toDouble();
}

void FundLedger::put(int field, const Value& v) {
    if (fund_.value(field).compare(v) != 0) fund_.setValue(field, v);
}

// ---- creation

void FundLedger::ensureManagerRow() {
    if (fund_.locate(std::vector<int>{f_.pycode}, {Value(kManagerCode)})) return;
    double sz = 3000, shz = 1300;
    for (int i = 0; i < fund_.count(); ++i) {
        if (numberAt(i, f_.sz) > 1) {
            sz = numberAt(i, f_.sz);
            shz = numberAt(i, f_.shz);
            break;
        }
    }
    // The day before the first movement; before an empty ledger's first market row, yesterday.
    text::Date day = *text::Date::parse(today());
    for (int i = 0; i < fund_.count(); ++i) {
        if (auto d = text::Date::parse(fund_.valueAt(i, f_.dt).toString())) {
            day = *d;
            break;
        }
    }
    fund_.append();
    fund_.setValue(f_.dt, Value(day.addDays(-1).iso()));
    fund_.setValue(f_.pycode, Value(kManagerCode));
    fund_.setValue(f_.name, Value(kManagerName));
    fund_.setValue(f_.input, Value(0.0));
    fund_.setValue(f_.xabc, Value(kFeeFreeType));
    fund_.setValue(f_.price, Value(1.0));
    fund_.setValue(f_.sz, Value(sz));
    fund_.setValue(f_.shz, Value(shz));
    fund_.setValue(f_.num, Value(1));
    // What a pass gives every capital row; this one is the base of every pass and never gets a pass.
    fund_.setValue(f_.unit, Value(0.0));
    fund_.setValue(f_.fund, Value(0.0));
    fund_.setValue(f_.inc, Value(0.0));
    fund_.setValue(f_.czxh, Value(0));
    fund_.post();
    up_calc(false);
}

// ---- recompute fund price

bool FundLedger::show() {
    storage::Action action(engine_);
    fund_.last();
    return recompute();
}

bool FundLedger::recompute() {
    storage::Action action(engine_);
    const bool first = up_calc(false);
    const auto mark = fund_.bookmark();
    const bool market = get_cost3_total();
    fund_.gotoBookmark(mark);
    const bool second = up_calc(true);
    return first && market && second;
}

bool FundLedger::up_calc(bool extendTail) {
    if (fund_.isEmpty()) return true;
    int handled = 0;
    const PassEnd end = pass(handled);
    if (end == PassEnd::BadDate) return false;
    bool ok = end == PassEnd::Done;
    if (ok && extendTail && handled < kTailRows) {
        fund_.moveTo(std::max(0, fund_.position() - kTailRows));
        ok = up_calc(false);
    }
    return renumber() && ok;
}

FundLedger::PassEnd FundLedger::pass(int& handled) {
    storage::Cursor& c = fund_;
    while (c.value(f_.price).toDouble() == 0 && c.position() > 0) c.prior();
    float p = f32(c.value(f_.price).toDouble());
    float f = f32(c.value(f_.fund).toDouble());
    c.next();
    HeldDisplay held(c);
    try {
        while (!c.eof()) {
            ++handled;
            const Value& dt = c.value(f_.dt);
            if (dt.isNull() || dt.toString() > kLastValidDate || dt.toString() < kFirstValidDate) {
                prompter_.message(kBadDate);
                return PassEnd::BadDate;
            }
            double input = std::trunc(c.value(f_.input).toDouble());
            if (input == 0) input = 0;  // no negative zero
            const double fund = input + static_cast<double>(f);
            put(f_.input, Value(input));
            put(f_.fund, Value(fund));
            double price;
            if (c.value(f_.pycode).toString() == kMarketCode) {
                if (f != 0) {
                    put(f_.inc, Value(round32((fund / f - 1) * 10000) * 0.01));
                    price = round32(fund / f * p * 10000) * 0.0001;
                } else {
                    price = p;
                }
                put(f_.price, Value(price));
            } else {
                put(f_.inc, Value(0.0));
                price = round32(static_cast<double>(p) * 1000) * 0.001;
                put(f_.price, Value(price));
                if (input != 0 || c.value(f_.pycode).toString() == kManagerCode) {
                    // Hundredths of a unit outgrow a 32-bit integer beyond some 21 million units. The
                    // split covers money coming in; a withdrawal that large is rounded alike without
                    // that limit, rather than stopping every later pass at its row.
                    const double units = quotient(input, price);
                    const double unit =
                        input > kWholeUnitsAbove ? round32(units) : text::roundHalfEven(units * 100) * 0.01;
                    put(f_.unit, Value(unit));
                }
                if (!(c.value(f_.czxh).toInt() > 0)) put(f_.czxh, Value(0));
            }
            c.post();
            p = f32(price);
            f = f32(fund);
            c.next();
        }
    } catch (const std::exception& e) {
        c.cancel();
        prompter_.message(std::string(kErrorPrefix) + e.what());
        return PassEnd::Failed;
    }
    return PassEnd::Done;
}

bool FundLedger::get_cost3_total() {
    const std::optional<float> total = valuation_();
    if (!total) return false;  // an unfinished valuation would book a loss of the whole fund
    float t = *total;
    storage::Cursor& c = fund_;
    const std::string day = today();
    double before = 0;  // FUND before today's market row
    bool reuse = false;
    if (!c.isEmpty()) {
        c.last();
        if (c.value(f_.dt).toString() > day) {
            prompter_.message(kFutureRow);
            return false;
        }
        bool walkedToFirst = false;
        while (c.value(f_.dt).toString() == day && c.value(f_.pycode).toString() != kMarketCode) {
            t = f32(static_cast<double>(t) - c.value(f_.input).toDouble());
            if (c.position() == 0) {
                walkedToFirst = true;
                break;
            }
            c.prior();
        }
        // Walked past the first row, every row is today's and none is the market's: nothing came
        // before, and a new market row is due.
        if (!walkedToFirst) {
            if (c.value(f_.dt).toString() == day) {
                reuse = true;
                before = c.position() > 0 ? numberAt(c.position() - 1, f_.fund) : 0;
            } else {
                before = c.value(f_.fund).toDouble();
            }
        }
    }
    double gain;
    try {
        gain = round32(static_cast<double>(t) - before);
    } catch (const std::exception& e) {
        prompter_.message(std::string(kErrorPrefix) + e.what());
        return false;
    }
    if (!reuse) c.append();
    put(f_.dt, Value(day));
    put(f_.pycode, Value(kMarketCode));
    put(f_.name, Value(kMarketName));
    put(f_.input, Value(gain));
    put(f_.fund, Value(static_cast<double>(*total)));
    c.post();
    return true;
}

// ---- serial numbers

bool FundLedger::fillnum() {
    storage::Action action(engine_);
    return renumber();
}

bool FundLedger::renumber() {
    storage::Cursor& c = fund_;
    if (c.isEmpty()) return true;
    HeldDisplay held(c);
    int from = std::max(0, c.position() - kRenumberBack);
    while (from > 0 && (isMarket(from) || fund_.valueAt(from, f_.num).toInt() <= 1)) --from;
    std::int64_t n = fund_.valueAt(from, f_.num).toInt();
    if (n == 0) n = 1;
    try {
        c.moveTo(from);
        c.next();
        while (!c.eof()) {
            const int here = c.position();
            if (!isMarket(here)) {
                ++n;
                // The row after may hold the number this one takes: move it out of the way first.
                const Value& following = here + 1 < c.count() ? c.valueAt(here + 1, f_.num) : Value();
                if (!following.isNull() && following.toInt() == n) {
                    c.moveTo(here + 1);
                    c.setValue(f_.num, Value(n + 100));
                    c.post();
                    c.moveTo(here);
                }
                put(f_.num, Value(n));
                c.post();
            }
            c.next();
        }
    } catch (const std::exception& e) {
        c.cancel();
        prompter_.message(std::string(kErrorPrefix) + e.what());
        return false;
    }
    return true;
}

// ---- names

std::string FundLedger::pycode_to_name(std::string_view pycode) {
    if (!names_.locate(std::vector<int>{f_.pycode}, {Value(pycode)})) return "";
    std::string name = names_.value(f_.name).toString();
    if (!name.empty()) return name;
    prompter_.message(names_.value(f_.dt).toString() + names_.value(f_.pycode).toString() + kNoHistory);
    return "";
}

void FundLedger::completeNames() {
    storage::Action action(engine_);
    const auto selected = fund_.bookmark();
    // A row whose code has no name to give is told once, not again on every "继续吗？".
    std::set<std::int64_t> untold;
    for (;;) {
        int found = -1;
        for (int i = 0; i < fund_.count() && found < 0; ++i)
            if (fund_.valueAt(i, f_.name).toString().empty() && !untold.count(fund_.rowidAt(i))) found = i;
        if (found < 0) {
            fund_.gotoBookmark(selected);
            return;
        }
        fund_.moveTo(found);
        const std::string name = pycode_to_name(fund_.value(f_.pycode).toString());
        if (name.empty()) {
            untold.insert(fund_.rowidAt(found));
        } else {
            fund_.setValue(f_.name, Value(name));
            fund_.post();
        }
        if (!prompter_.ask(kContinue)) return;
    }
}

// ---- rows

bool FundLedger::removeCurrent() {
    if (fund_.isEmpty()) return false;
    const std::string date = fund_.date("DT").value_or("");
    if (!port::askDelete(prompter_, {date, fund_.text("PYCODE"), fund_.text("NAME")})) return false;
    storage::Action action(engine_);
    fund_.remove();
    return true;
}

bool FundLedger::compress() {
    if (!prompter_.ask(kCompressQuestion)) return false;
    storage::Action action(engine_);
    storage::Cursor& c = fund_;
    const int before = c.count();
    c.first();
    HeldDisplay held(c);
    for (int i = 0; i < c.count();) {
        if (isMarket(i) && numberAt(i, f_.input) == 0) {
            c.moveTo(i);
            c.remove();
        } else {
            ++i;
        }
    }
    const auto mergeable = [&](int i) {
        return isMarket(i) && text::trim(c.valueAt(i, f_.note).toString()).empty();
    };
    for (int i = 0; i < c.count(); ++i) {
        if (!mergeable(i)) continue;
        double s = numberAt(i, f_.input);
        while (i + 1 < c.count() && mergeable(i + 1) && numberAt(i + 1, f_.input) * s > 0) {
            s += numberAt(i + 1, f_.input);
            c.moveTo(i + 1);
            c.setValue(f_.input, Value(s));
            c.post();
            c.moveTo(i);
            c.remove();
        }
    }
    c.last();
    const int after = c.count();
    if (prompter_.ask("合并记录成功，原记录数:" + std::to_string(before) +
                      ", 现在记录数:" + std::to_string(after) + "; 减少记录数" +
                      std::to_string(before - after) + ". 从头计算基金价格？")) {
        c.locate(std::vector<int>{f_.price}, {Value(1.0)});
        return recompute();
    }
    return true;
}

bool FundLedger::report(port::ReportSink& sink) {
    if (!prompter_.ask(kReportQuestion)) return false;
    int start = std::max(0, fund_.position());
    if (start == fund_.count() - 1) start = std::max(0, start - (kRowsPerPage - 1));
    writeCapitalReport(fund_, start, clock_.now(), sink);
    return sink.finish();
}

}  // namespace varneth::fund
