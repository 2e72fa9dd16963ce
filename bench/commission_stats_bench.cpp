// The commission statistics over a 100,000-row fund ledger of 1,000 investors in which 5,000
// withdrawals have been settled, each against one buy: the walk to the first withdrawal of the
// period and "tich.DB" rebuilt with 5,000 rows.
#include <benchmark/benchmark.h>

#include <memory>

#include "book.h"
#include "fund/commission_stats.h"
#include "fund/fund_ledger.h"
#include "fund/fund_manager.h"

using namespace varneth;

namespace {

struct SettledFund : bench::LoggedIn {
    SettledFund() {
        session->curr().execute(
            "INSERT INTO \"TZLX.db\" (Xabc, Note, C2, E3, E4) VALUES ('s', 't', 1, 8, 20)");
        // Rows 0-9,999 pair a settled buy with its withdrawal; the rest are live buys.
        session->kvt().execute(
            "WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < 99999) "
            "INSERT INTO \"Fund2.DB\" (DT, Num, PYCODE, NAME, INPUT, XABC, UNIT, PRICE, L_PRICE, DMONEY, "
            "CZXH, B1) "
            "SELECT date('2006-01-01', '+' || (i / 10) || ' days'), i + 2, printf('i%04d', (i / 2) % 1000), "
            "'n', "
            "CASE WHEN i < 10000 AND i % 2 = 1 THEN -1150.0 ELSE 1000.0 END, 's', "
            "CASE WHEN i < 10000 AND i % 2 = 1 THEN -800.0 ELSE 800.0 END, 1.25, 1.5, "
            "CASE WHEN i < 10000 AND i % 2 = 1 THEN -1150.0 ELSE 1150.0 END, "
            "CASE WHEN i < 10000 THEN i / 2 + 1 ELSE 0 END, "
            "CASE WHEN i < 10000 AND i % 2 = 1 THEN 's' ELSE 'b' END FROM seq");
        fund = std::make_unique<fund::FundLedger>(
            engine, [] { return std::optional<float>(); }, prompter, clock);
        manager = std::make_unique<fund::FundManager>(engine, *fund, prompter, clock);
        stats = std::make_unique<fund::CommissionStats>(engine, *fund, *manager, prompter, clock);
    }
    std::unique_ptr<fund::FundLedger> fund;
    std::unique_ptr<fund::FundManager> manager;
    std::unique_ptr<fund::CommissionStats> stats;
};

void CommissionStatistics(benchmark::State& state) {
    SettledFund book;
    for (auto _ : state) {
        const auto totals = book.stats->run("12", "2006", "01-01");
        if (!totals || totals->rows != 5000) state.SkipWithError("the statistics did not count 5,000 buys");
    }
}
BENCHMARK(CommissionStatistics)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
