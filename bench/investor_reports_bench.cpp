// The total investor report of 1,000 investors (100,000 fund-ledger rows) written to a text file.
#include <benchmark/benchmark.h>

#include <memory>

#include "book.h"
#include "fund/fund_ledger.h"
#include "fund/fund_manager.h"
#include "fund/investor_reports.h"

using namespace varneth;

namespace {

struct ReportBook : bench::LoggedIn {
    ReportBook() {
        session->kvt().execute(
            "WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < 99999) "
            "INSERT INTO \"Fund2.DB\" (DT, Num, PYCODE, NAME, INPUT, XABC, UNIT, PRICE, L_PRICE, DMONEY, "
            "CZXH, B1) "
            "SELECT date('2000-01-01', '+' || (i / 10) || ' days'), i + 2, printf('i%04d', i % 1000), "
            "'投资人', "
            "1000.0, 'y', 800.0, 1.25, 1.5, 1200.0, 0, 'b' FROM seq");
        fund = std::make_unique<fund::FundLedger>(
            engine, [] { return std::optional<float>(); }, prompter, clock);
        manager = std::make_unique<fund::FundManager>(engine, *fund, prompter, clock);
        manager->reopen();
        reports = std::make_unique<fund::InvestorReports>(engine, *manager, prompter, clock);
    }
    ~ReportBook() {
        reports.reset();
        manager.reset();
        fund.reset();
    }
    std::unique_ptr<fund::FundLedger> fund;
    std::unique_ptr<fund::FundManager> manager;
    std::unique_ptr<fund::InvestorReports> reports;
};

void TotalReportToFile(benchmark::State& state) {
    ReportBook book;
    const auto file = book.dir / "total.txt";
    fund::ReportDefinition def;
    def.fundName = "基金";
    for (auto _ : state) {
        const bool done = book.reports->total(
            def, [&](fund::ReportTarget) { return std::make_unique<port::TextFileReport>(file); },
            fund::ReportTarget::File);
        benchmark::DoNotOptimize(done);
    }
}
BENCHMARK(TotalReportToFile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
