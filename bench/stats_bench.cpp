// The statistics window on a 10,000-row ledger: building and running the grid and the chart query
// for each choice, and opening the window (the pending valuation, then the queries).
#include <benchmark/benchmark.h>

#include "book.h"
#include "stats/portfolio_stats.h"

using namespace varneth;

namespace {

using stats::Content;
using stats::Kind;
using stats::PlType;

// The 22 choices that give different queries: each kind with each content it uses, each P/L type
// for "盈亏".
stats::StatsChoice choiceOf(int n) {
    if (n < 4) return {Kind::Proportion, static_cast<Content>(n), PlType::FloatingFees};
    if (n < 20)
        return {Kind::ProfitLoss, static_cast<Content>((n - 4) / 4), static_cast<PlType>((n - 4) % 4)};
    return {n == 20 ? Kind::TradeHistory : Kind::ClosedPairs, Content::ByType, PlType::FloatingFees};
}

void Choose(benchmark::State& state) {
    bench::Book book;
    stats::PortfolioStats stats(book.session->holdings(), book.session->kvt());
    stats.show();
    const stats::StatsChoice choice = choiceOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        stats.choose(choice);
        benchmark::DoNotOptimize(stats.chart());
    }
    state.counters["rows"] = stats.grid().count();
}
BENCHMARK(Choose)->DenseRange(0, 21)->ArgName("choice")->Unit(benchmark::kMillisecond);

// Opening the window after login, when the valuation is pending: a fresh holdings module each time.
void Open(benchmark::State& state) {
    bench::Book book;
    app::Session& session = *book.session;
    for (auto _ : state) {
        state.PauseTiming();
        ledger::Holdings holdings(book.engine, session.lookups(), book.prompter, book.clock);
        stats::PortfolioStats stats(holdings, session.kvt());
        state.ResumeTiming();
        stats.show();
        if (holdings.valuationPending()) state.SkipWithError("the valuation stopped");
    }
}
BENCHMARK(Open)->Unit(benchmark::kMillisecond);

}  // namespace
