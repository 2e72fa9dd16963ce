#include "fund/commission_stats.h"

#include <algorithm>

#include "fund/fund_manager.h"
#include "fund/investment_types.h"
#include "storage/display_hold.h"
#include "text/dates.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::fund {

using storage::Value;
using text::roundHalfEven;

namespace {

std::vector<std::string> offsetsText() {
    return {"select czxh as 撤资序号,dt as 日期, pycode as 代码, name as 姓名,",
            "xabc as 类型, input as 进出额,unit*l_price as 市值,",
            "unit as 股数, price as 买价, l_price as 卖价,(l_price/price-1)*100 as 增值率,",
            "dmoney as 可取资金, note as 注释",
            "From \"fund2.DB\"",
            "where \"fund2.DB\".\"czxh\" =:\"czxh\" ",
            "order by czxh"};
}

}  // namespace

std::vector<std::string> CommissionStats::years(const port::Clock& clock) {
    std::vector<std::string> list;
    for (int y = kFirstYear; y <= std::max(kFirstYear, clock.now().year); ++y)
        list.push_back(std::to_string(y));
    return list;
}

std::vector<std::string> CommissionStats::months() {
    std::vector<std::string> list;
    list.reserve(12);
    for (int m = 1; m <= 12; ++m) list.push_back((m < 10 ? "0" : "") + std::to_string(m) + "-01");
    return list;
}

CommissionStats::CommissionStats(storage::Engine& engine, FundLedger& fund, FundManager& manager,
                                 port::Prompter& prompter, port::Clock& clock)
    : engine_(engine),
      fund_(fund),
      prompter_(prompter),
      clock_(clock),
      ledger_(engine.database(storage::Alias::Kvt), FundLedger::kTable),
      candidates_(manager.candidates()),
      rows_(engine.database(storage::Alias::Kvt), "tich.DB"),
      offsets_(engine.database(storage::Alias::Kvt)) {
    offsets_.lines() = offsetsText();
    showOffsets(0);  // no withdrawal has number 0: the grid gets its columns and no rows
}

std::optional<CommissionTotals> CommissionStats::run(std::string_view rateText, std::string_view year,
                                                     std::string_view month) {
    const auto percent = text::parseNumber(rateText);
    if (!percent || *percent < 0 || *percent > 99) {
        prompter_.message(kBadRate);
        return std::nullopt;
    }
    const auto start = text::Date::parse(text::trim(year) + "-" + text::trim(month));
    const auto today = text::Date::parse(clock_.now().isoDate());
    if (!start || !(*start < *today)) {
        prompter_.message(kBadStart);
        return std::nullopt;
    }
    storage::Action action(engine_);
    storage::DisplayHold ledgerHeld(fund_.table());
    storage::DisplayHold candidatesHeld(candidates_);
    const auto k = firstWithdrawal(start->iso());
    if (!k) {
        prompter_.message(kNoWithdrawals);
        return std::nullopt;
    }
    tell(Label::Start, "开始撤资序号:" + std::to_string(*k));
    const CommissionTotals totals = rebuild(*k, *percent / 100);
    rows_.first();
    if (totals.rows == 0) {
        prompter_.message(FundManager::kNoCandidates);
    } else {
        tell(Label::Tich, "提成合计:" + text::plainText(totals.tich));
        tell(Label::Bxfund, "保险合计:" + text::plainText(totals.bxfund));
        tell(Label::Total, "合计:" + text::plainText(totals.tich + totals.bxfund));
    }
    showOffsets();
    return totals;
}

std::optional<std::int64_t> CommissionStats::firstWithdrawal(const std::string& start) const {
    const storage::Cursor& c = ledger_;
    const int dt = c.fieldIndex("DT"), czxh = c.fieldIndex("CZXH"), input = c.fieldIndex("INPUT");
    int i = 0;
    // Dates are ISO text, so they compare as they sort; a row without a date comes before any.
    while (i < c.count() && (c.valueAt(i, dt).isNull() || c.valueAt(i, dt).toString() < start)) ++i;
    for (; i < c.count(); ++i)
        if (c.valueAt(i, czxh).toInt() > 0 && c.valueAt(i, input).toDouble() < 0)
            return c.valueAt(i, czxh).toInt();
    return std::nullopt;
}

CommissionTotals CommissionStats::rebuild(std::int64_t k, double rate) {
    storage::Cursor& t = candidates_;
    while (!t.isEmpty()) {
        t.last();
        t.remove();
    }
    const storage::Cursor& c = ledger_;
    const int code = c.fieldIndex("PYCODE"), xabc = c.fieldIndex("XABC"), czxh = c.fieldIndex("CZXH");
    const int input = c.fieldIndex("INPUT");
    CommissionTotals totals{k, 0, 0, 0};
    for (int i = 0; i < c.count(); ++i) {
        const std::string pycode = c.valueAt(i, code).toString();
        // Investor codes only: market, manager and transfer rows sort before "A".
        if (pycode < "A" || pycode > "zzz") continue;
        if (lowerAscii(text::trim(c.valueAt(i, xabc).toString())) == FundLedger::kFeeFreeType) continue;
        if (c.valueAt(i, czxh).toInt() < k || !(c.valueAt(i, input).toDouble() >= 0)) continue;
        const auto field = [&](const char* name) -> const Value& { return c.valueAt(i, c.fieldIndex(name)); };
        const double unit = field("UNIT").toDouble(), price = field("PRICE").toDouble();
        const double lprice = field("L_PRICE").toDouble(), dmoney = field("DMONEY").toDouble();
        const double mv = roundHalfEven(lprice * unit);
        // A buy without a price has no gain to take a share of.
        const double gain = price == 0 ? 0.0 : lprice / price - 1;
        const double tich = std::max(roundHalfEven(gain * rate * field("INPUT").toDouble()), 0.0);
        const double bxfund = mv - tich - dmoney;
        t.append();
        for (const char* name :
             {"DT", "PYCODE", "XABC", "NAME", "INPUT", "UNIT", "PRICE", "L_PRICE", "DMONEY"})
            t.setValue(name, field(name));
        t.setValue("Czxh", field("CZXH"));
        t.setValue("FUND", Value(mv));
        t.setValue("PER", Value(roundHalfEven(gain * 10000) * 0.01));
        t.setValue("Tich", Value(tich));
        t.setValue("Bxfund", Value(bxfund));
        t.post();
        ++totals.rows;
        totals.tich += tich;
        totals.bxfund += bxfund;
    }
    return totals;
}

void CommissionStats::showOffsets() {
    if (rows_.isEmpty()) {
        showOffsets(0);
        return;
    }
    offsets_.bindFrom(rows_);
    offsets_.open();
}

void CommissionStats::showOffsets(std::int64_t czxh) {
    offsets_.setParam("czxh", Value(czxh));
    offsets_.open();
}

}  // namespace varneth::fund
