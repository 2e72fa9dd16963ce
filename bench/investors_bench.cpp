// The fund management window over 100,000 fund-ledger rows of 1,000 investors and eight fee types:
// the valuation, and a withdrawal processing of 1,000 pending withdrawals.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app/login.h"
#include "app/program_directory.h"
#include "fund/fund_ledger.h"
#include "fund/fund_manager.h"
#include "port/prompter.h"

using namespace varneth;

namespace {

struct Book {
    Book() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "varneth-bench-XXXXXX").string();
        dir = mkdtemp(tmpl.data());
        app::createProgramDirectory(dir / "p", app::findDataDir(dir), true);
        login = std::make_unique<app::Login>(engine, dir / "p", prompter, clock);
        login->start();
        session = login->enter("我的帐户", "");
        session->curr().execute("DELETE FROM \"TZLX.db\"");
        session->curr().execute(
            "WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < 7) "
            "INSERT INTO \"TZLX.db\" (Xabc, Note, C5, E9, E10, C2, E3, E4, C3, E5, E6, C1, E1, E2, C9, E12) "
            "SELECT CASE i WHEN 0 THEN 'y' ELSE char(97 + i) END, 't', i % 2, 5, 50, 1, 8, 20, i % 3 = 0, "
            "12, 10, "
            "i % 4 = 1, 0.01, 3.65, i % 2, 0.5 FROM seq");
        session->kvt().execute(
            "WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < 99999) "
            "INSERT INTO \"Fund2.DB\" (DT, Num, PYCODE, NAME, INPUT, XABC, UNIT, PRICE, CZXH, B1) "
            "SELECT date('2000-01-01', '+' || (i / 10) || ' days'), i + 2, printf('i%04d', i % 1000), 'n', "
            "CASE WHEN i >= 99000 THEN -50.0 ELSE 1000.0 END, CASE WHEN i % 8 = 0 THEN 'y' ELSE char(97 + i "
            "% 8) END, "
            "CASE WHEN i >= 99000 THEN -40.0 ELSE 800.0 END, 1.25, 0, CASE WHEN i >= 99000 THEN 's' ELSE 'b' "
            "END "
            "FROM seq");
        fund = std::make_unique<fund::FundLedger>(
            engine, [] { return std::optional<float>(); }, prompter, clock);
        manager = std::make_unique<fund::FundManager>(engine, *fund, prompter, clock);
    }
    std::filesystem::path dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 15, 30, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
    std::unique_ptr<fund::FundLedger> fund;
    std::unique_ptr<fund::FundManager> manager;
};

void Valuation(benchmark::State& state) {
    Book book;
    for (auto _ : state) book.manager->calc();
}
BENCHMARK(Valuation)->Unit(benchmark::kMillisecond)->Iterations(3);

void Withdrawals(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Book book;
        book.manager->calc();
        state.ResumeTiming();
        benchmark::DoNotOptimize(book.manager->withdrawals());
    }
}
BENCHMARK(Withdrawals)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
