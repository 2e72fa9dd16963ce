#include "app/evening_job.h"

#include <cstdio>

#include "prices/price_update.h"
#include "prices/quote_source.h"
#include "stats/chart_settings.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::app {

bool updatePrices(fund::FundLedger& fund, reference::Maintenance& maintenance) {
    if (!fund.recompute()) return false;
    maintenance.pricesFromGeneral();
    maintenance.pricesToLedger();
    return true;
}

bool EveningJob::run() {
    Session& s = session_;
    prices::QuoteSources sources(s.engine());
    prices::PriceUpdate quotes(s.engine(), sources, s.prompter(), s.clock());
    if (!quotes.updateAll(prices::DisplayMode::UpdateOnly)) return false;
    if (!quotes.updateMine(prices::DisplayMode::UpdateOnly)) return false;
    reference::Maintenance maintenance(s.engine(), s.holdings().ledger(), s.lookups(), s.prices(),
                                       s.prompter(), s.clock());
    // From the last row, as the login leaves the fund ledger; the price updates may have moved it.
    s.fund().table().last();
    return updatePrices(s.fund(), maintenance);
}

std::string EveningJob::change(double before, double after) {
    if (before == 0) return kNoFigure;
    double percent = text::roundScaled((after / before - 1) * 100, 2);
    if (percent == 0) percent = 0;  // a fall too small to show reads 0.00, not -0.00
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", percent);
    return buf;
}

std::optional<std::vector<EveningJob::Line>> EveningJob::summary() {
    // One action: the figures are those of one state of the book, whatever runs beside the job.
    storage::Action action(session_.engine());
    ledger::Holdings& book = session_.holdings();
    if (!book.up_calc()) return std::nullopt;

    storage::Cursor fund(session_.kvt(), fund::FundLedger::kTable);
    const int dt = fund.fieldIndex("DT"), pycode = fund.fieldIndex("PYCODE"),
              price = fund.fieldIndex("PRICE");
    const int last = fund.count() - 1;
    const auto shown = [&](int field) {
        if (last < 0 || fund.valueAt(last, field).isNull()) return std::string(kNoFigure);
        return text::shortestText(fund.valueAt(last, field).toDouble());
    };
    // The day before's market row: a row booked after today's market row still compares with it.
    std::string before = kNoFigure;
    if (last >= 0) {
        const std::string day = fund.valueAt(last, dt).toString();
        for (int i = last - 1; i >= 0; --i) {
            if (text::trim(fund.valueAt(i, pycode).toString()) != fund::FundLedger::kMarketCode) continue;
            if (fund.valueAt(i, dt).toString() >= day) continue;
            before = change(fund.valueAt(i, price).toDouble(), fund.valueAt(last, price).toDouble());
            break;
        }
    }
    const stats::ComparisonIndices indices = stats::ChartSettings(session_.curr()).indices();
    return std::vector<Line>{
        {"日期", session_.clock().now().isoDate()},
        {"基金价格", shown(price)},
        {"涨跌幅(%)", before},
        {"S1", text::shortestText(book.s1())},
        {"S2", text::shortestText(book.s2())},
        {"S3", text::shortestText(book.s3())},
        {indices.first.name, shown(fund.fieldIndex("SZ"))},
        {indices.second.name, shown(fund.fieldIndex("SHZ"))},
    };
}

}  // namespace varneth::app
