#include "reference/maintenance.h"

#include <cmath>
#include <set>
#include <utility>

#include "fund/fund_ledger.h"
#include "ledger/records.h"
#include "stats/chart_settings.h"
#include "text/dates.h"
#include "text/numbers.h"

namespace varneth::reference {

using storage::Value;

namespace {

constexpr const char* kDiscountedType = "dss";

bool isTotal(std::string_view code) {
    return code == ledger::kMarketTotalCode || code == ledger::kDiscountTotalCode;
}

// Every value of the cursor's field (or pair of fields), read without moving it.
std::set<std::string> valuesOf(const storage::Cursor& c, int field) {
    std::set<std::string> out;
    for (int p = 0; p < c.count(); ++p) out.insert(c.valueAt(p, field).toString());
    return out;
}

std::set<std::pair<std::string, std::string>> pairsOf(const storage::Cursor& c, int a, int b) {
    std::set<std::pair<std::string, std::string>> out;
    for (int p = 0; p < c.count(); ++p) out.emplace(c.valueAt(p, a).toString(), c.valueAt(p, b).toString());
    return out;
}

// Grids on a cursor held still for a pass; resumed however the pass ends.
class Held {
public:
    explicit Held(storage::Cursor* c) : c_(c) {
        if (c_) c_->suspendDisplay();
    }
    explicit Held(storage::Cursor& c) : Held(&c) {}
    ~Held() {
        if (c_) c_->resumeDisplay();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    storage::Cursor* c_;
};

}  // namespace

std::string Maintenance::typeMissing(std::string_view lx) {
    return "一个代码" + std::string(lx) +
           "表中没有，请先用<从持仓追加>按钮追加代码,手工输入名称和价格后，再进行此项操作！";
}

Maintenance::Maintenance(storage::Engine& engine, storage::Cursor& ledger, Lookups& lookups,
                         GeneralPrices& prices, port::Prompter& prompter, port::Clock& clock)
    : engine_(engine),
      ledger_(ledger),
      lookups_(lookups),
      prices_(prices),
      prompter_(prompter),
      clock_(clock) {}

void Maintenance::progress(int done, int total) {
    if (hooks_.progress) hooks_.progress(done, total);
}

// Runs `work` on each ledger record from the first until it returns false, the grids on the ledger
// and on the table the walk writes (`target`) held still.
template <class Work>
void Maintenance::walkLedger(Work&& work, storage::Cursor* target) {
    const Held ledger(ledger_), written(target);
    const int total = ledger_.count();
    int done = 0;
    for (ledger_.first(); !ledger_.eof(); ledger_.next()) {
        if (!work()) break;
        progress(++done, total);
    }
    progress(total, total);
}

// Deletes the rows of `table`, walked from its first, for which `drop` holds.
template <class Drop>
void Maintenance::removeWhere(storage::Cursor& table, Drop&& drop) {
    const Held still(table);
    const int total = table.count();
    int done = 0;
    for (table.first(); !table.eof();) {
        progress(++done, total);
        if (drop())
            table.remove();
        else
            table.next();
    }
}

bool Maintenance::inTypes(std::string_view lx) {
    return lookups_.findType(lx);
}

bool Maintenance::inPrices(std::string_view code) {
    return lookups_.holdingsPrices().locate("code", {Value(std::string(code))});
}

// ---- type tab

int Maintenance::appendTypes() {
    storage::Action action(engine_);
    storage::Cursor& types = lookups_.types();
    int added = 0;
    walkLedger(
        [&] {
            const std::string lx = ledger_.text("LX");
            if (lx == ledger::kMarketTotalCode) return false;
            if (inTypes(lx)) return true;
            const double zk = ledger_.number("ZK_RATE");
            types.append();
            types.setValue("Lx", Value(lx));
            types.setValue("Zk_rate", Value(zk == 0 ? 1.0 : zk));
            types.post();
            ++added;
            return true;
        },
        &types);
    return added;
}

bool Maintenance::updateTypeNames() {
    storage::Action action(engine_);
    storage::Cursor& types = lookups_.types();
    bool complete = true;
    walkLedger([&] {
        const std::string lx = ledger_.text("LX");
        if (!inTypes(lx)) {
            if (lx != ledger::kMarketTotalCode) {
                prompter_.message(typeMissing(lx));
                complete = false;
            }
            return false;
        }
        ledger_.setValue("LXM", Value(types.text("Lxm")));
        ledger_.setValue("ZK_RATE", types.value("Zk_rate"));
        ledger_.post();
        return true;
    });
    return complete;
}

// ---- code-price tab

int Maintenance::appendPrices() {
    storage::Action action(engine_);
    storage::Cursor& list = lookups_.holdingsPrices();
    int added = 0;
    walkLedger(
        [&] {
            const std::string lx = ledger_.text("LX"), code = ledger_.text("CODE");
            if (isTotal(lx) || inPrices(code)) return true;
            list.append();
            list.setValue("code", Value(code));
            list.setValue("name", Value(ledger_.text("NAME")));
            list.setValue("price2", ledger_.value("PRICE2"));
            list.post();
            ++added;
            return true;
        },
        &list);
    const int price = list.fieldIndex("price2");
    for (int p = 0; p < list.count(); ++p)
        if (list.valueAt(p, price).toDouble() == 0) {
            list.moveTo(p);
            break;
        }
    return added;
}

void Maintenance::regeneratePrices() {
    storage::Action action(engine_);
    storage::Cursor& list = lookups_.holdingsPrices();
    const auto held = valuesOf(ledger_, ledger_.fieldIndex("CODE"));
    // Codes from "99" up are the user's own (indices and the like) that no holding brings back.
    removeWhere(list, [&] {
        const std::string code = list.text("code");
        return !held.count(code) && code < "99";
    });
    appendPrices();
}

void Maintenance::pricesFromGeneral() {
    storage::Action action(engine_);
    storage::Cursor& list = lookups_.holdingsPrices();
    storage::Cursor& general = prices_.table();
    const std::vector<int> key{general.fieldIndex("CODE")};
    const Held still(list);
    const int total = list.count();
    int done = 0;
    for (list.first(); !list.eof(); list.next()) {
        progress(++done, total);
        const std::string code = list.text("code");
        if (code > "999999" || !general.locate(key, {Value(code)})) continue;
        list.setValue("name", Value(general.text("NAME")));
        if (const double price = general.number("PRICE"); price != 0) list.setValue("price2", Value(price));
        list.post();
    }
    recordIndexLevels();
}

double Maintenance::presentValue(double p, std::string_view note, const std::optional<std::string>& date2,
                                 const port::DateTime& today) {
    // The note is compared as text, as the user keeps it: "6" sorts after "50" and is no rate.
    if (!(note > "0" && note < "50") || !date2) return p;
    const auto due = text::Date::parse(*date2);
    const auto now = text::Date::parse(today.isoDate());
    const auto r = text::parseNumber(note);
    if (!due || !now || !r) return p;
    const int d = now->daysUntil(*due);
    if (d <= 0) return p;
    return text::roundScaled(p / std::pow(1 + *r / 100, d / 365.0), 3);
}

void Maintenance::pricesToLedger() {
    storage::Action action(engine_);
    storage::Cursor& list = lookups_.holdingsPrices();
    const port::DateTime today = clock_.now();
    bool appended = false;
    bool restart = true;
    while (restart) {
        restart = false;
        walkLedger([&] {
            const std::string code = ledger_.text("CODE");
            if (!inPrices(code)) {
                if (isTotal(code) || appended) return true;  // the append cannot add it: passed over
                appendPrices();
                appended = true;
                restart = true;
                return false;
            }
            ledger_.setValue("NAME", Value(list.text("name")));
            double p = list.number("price2");
            if (p == 0) p = prices_.code_to_price(code);
            if (p != 0) {  // a zero never replaces a stored price
                if (ledger_.text("LX") == kDiscountedType)
                    p = presentValue(p, ledger_.text("NOTE"), ledger_.date("DATE2"), today);
                ledger_.setValue("PRICE2", Value(p));
            }
            ledger_.post();
            return true;
        });
    }
    if (hooks_.reopenViews) hooks_.reopenViews();
    recordIndexLevels();
}

void Maintenance::recordIndexLevels() {
    storage::Cursor fund(engine_.database(storage::Alias::Kvt), fund::FundLedger::kTable);
    if (fund.isEmpty()) return;
    const stats::ComparisonIndices indices =
        stats::ChartSettings(engine_.database(storage::Alias::Curr)).indices();
    fund.last();
    const auto put = [&](const char* field, const std::string& code) {
        // A code without a price keeps the level the row has.
        if (const double level = std::trunc(prices_.code_to_price(code)); level != 0)
            fund.setValue(field, Value(level));
    };
    put("SZ", indices.first.code);
    put("SHZ", indices.second.code);
    if (fund.state() != storage::Cursor::State::Browse) fund.post();
}

// ---- broker tab

int Maintenance::appendBrokers() {
    storage::Action action(engine_);
    storage::Cursor& brokers = lookups_.brokers();
    int added = 0;
    walkLedger(
        [&] {
            const std::string qsdm = ledger_.text("QSDM");
            if (brokers.locate("Qsdm", {Value(qsdm)})) return true;
            brokers.append();
            brokers.setValue("Qsdm", Value(qsdm));
            brokers.setValue("Qs", Value(ledger_.text("QS")));
            brokers.post();
            ++added;
            return true;
        },
        &brokers);
    return added;
}

void Maintenance::regenerateBrokers() {
    storage::Action action(engine_);
    storage::Cursor& brokers = lookups_.brokers();
    const auto held = valuesOf(ledger_, ledger_.fieldIndex("QSDM"));
    removeWhere(brokers, [&] { return !held.count(brokers.text("Qsdm")); });
    appendBrokers();
}

bool Maintenance::fillBrokerNames() {
    storage::Action action(engine_);
    storage::Cursor& brokers = lookups_.brokers();
    bool complete = true;
    walkLedger([&] {
        if (!brokers.locate("Qsdm", {Value(ledger_.text("QSDM"))})) {
            prompter_.message(kBrokerMissing);
            complete = false;
            return false;
        }
        ledger_.setValue("QS", Value(brokers.text("Qs")));
        ledger_.post();
        return true;
    });
    return complete;
}

// ---- code->type tab

int Maintenance::appendRuleTypes() {
    storage::Action action(engine_);
    storage::Cursor& rules = lookups_.rules();
    int added = 0;
    walkLedger(
        [&] {
            const std::string lx = ledger_.text("LX");
            if (rules.locate("Lx", {Value(lx)})) return true;
            rules.append();
            rules.setValue("Lx", Value(lx));
            rules.setValue("Lxm", Value(ledger_.text("LXM")));
            rules.post();
            ++added;
            return true;
        },
        &rules);
    if (added > 0) prompter_.message(kRulesAdded);
    return added;
}

bool Maintenance::applyRules() {
    storage::Action action(engine_);
    storage::Cursor& rules = lookups_.rules();
    const int c1 = rules.fieldIndex("Code1"), c2 = rules.fieldIndex("Code2"), lx = rules.fieldIndex("Lx"),
              lxm = rules.fieldIndex("Lxm");
    bool complete = true;
    walkLedger([&] {
        const std::string code = ledger_.text("CODE");
        for (int p = 0; p < rules.count(); ++p) {
            const std::string from = rules.valueAt(p, c1).toString(), to = rules.valueAt(p, c2).toString();
            if (from.size() != to.size() && !prompter_.ask(kUnequalRange)) {
                complete = false;
                return false;
            }
            if (from.size() == code.size() && code >= from && code <= to) {
                ledger_.setValue("LX", rules.valueAt(p, lx));
                ledger_.setValue("LXM", rules.valueAt(p, lxm));
                ledger_.post();
                break;
            }
        }
        return true;
    });
    return complete;
}

// ---- currency tab

bool Maintenance::setSettlement() {
    storage::Action action(engine_);
    storage::Cursor& currencies = lookups_.currencies();
    if (currencies.isEmpty()) return false;
    const std::string chosen = currencies.text("Code");
    const double r = currencies.number("Rate");
    if (r == 0) {
        prompter_.message(kZeroRate);
        return false;
    }
    {
        const Held still(currencies);
        for (currencies.first(); !currencies.eof(); currencies.next()) {
            currencies.setValue("Now", Value(false));
            currencies.setValue("Rate", Value(text::roundScaled(currencies.number("Rate") / r, 4)));
            currencies.post();
        }
    }
    currencies.locate("Code", {Value(chosen)});
    currencies.setValue("Now", Value(true));
    currencies.setValue("Rate", Value(1.0));
    currencies.post();
    lookups_.readSettlementCurrency();
    currencies.locate("Code", {Value(chosen)});
    updateRates();
    return true;
}

int Maintenance::appendAccounts() {
    storage::Action action(engine_);
    storage::Cursor& accounts = lookups_.accountCurrencies();
    int added = 0;
    walkLedger(
        [&] {
            const std::string qsdm = ledger_.text("QSDM"), zjzh = ledger_.text("ZJZH");
            if (isTotal(ledger_.text("LX")) || accounts.locate("Qsdm;Zjzh", {Value(qsdm), Value(zjzh)}))
                return true;
            accounts.append();
            accounts.setValue("Qsdm", Value(qsdm));
            accounts.setValue("Zjzh", Value(zjzh));
            accounts.setValue("Bicode", Value(std::string()));
            accounts.post();
            ++added;
            return true;
        },
        &accounts);
    const int bicode = accounts.fieldIndex("Bicode");
    for (int p = 0; p < accounts.count(); ++p)
        if (accounts.valueAt(p, bicode).toString().empty()) {
            prompter_.message(kFillCurrency);
            break;
        }
    return added;
}

void Maintenance::regenerateAccounts() {
    storage::Action action(engine_);
    storage::Cursor& accounts = lookups_.accountCurrencies();
    const auto held = pairsOf(ledger_, ledger_.fieldIndex("QSDM"), ledger_.fieldIndex("ZJZH"));
    removeWhere(accounts, [&] { return !held.count({accounts.text("Qsdm"), accounts.text("Zjzh")}); });
    appendAccounts();
}

void Maintenance::updateRates() {
    storage::Action action(engine_);
    walkLedger([&] {
        const float rate = lookups_.zjzh_to_birate(ledger_.text("QSDM"), ledger_.text("ZJZH"));
        ledger_.setValue("BIRATE", Value(static_cast<double>(rate)));
        ledger_.post();
        return true;
    });
}

}  // namespace varneth::reference
