// What the journal costs: the valuation of the 10,000-row book without it (beside `Calc`, which runs
// with it, as the program does), and undoing one such valuation. The size of one valuation's
// journal entry is reported as a counter.
#include <benchmark/benchmark.h>

#include "book.h"
#include "history/history.h"

using namespace varneth;

namespace {

using bench::Book;
using bench::kRows;

void CalcWithoutJournal(benchmark::State& state) {
    Book book;
    book.engine.setJournalling(false);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        book.movePrices(++round);
        state.ResumeTiming();
        if (!book.session->holdings().calc()) state.SkipWithError("the valuation stopped");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(CalcWithoutJournal)->Unit(benchmark::kMillisecond);

std::int64_t newestSerial(storage::Engine& engine) {
    storage::Action look(engine, storage::Action::Mode::Read);
    return history::History(engine).entries(1).at(0).serial;
}

void UndoValuation(benchmark::State& state) {
    Book book;
    int round = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        book.movePrices(++round);
        if (!book.session->holdings().calc()) state.SkipWithError("the valuation stopped");
        const std::int64_t serial = newestSerial(book.engine);
        {
            storage::Statement size(book.session->kvt(),
                                    "SELECT bytes FROM varneth_journal WHERE serial = ?");
            size.bind(1, storage::Value(serial));
            if (size.step()) bytes = size.column(0).toInt();
        }
        state.ResumeTiming();
        storage::Action action(book.engine);
        history::History(book.engine).revert(serial);
    }
    state.counters["journal_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(UndoValuation)->Unit(benchmark::kMillisecond);

}  // namespace
