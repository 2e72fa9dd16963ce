// The fund price over a fund ledger of 100,000 rows (20,000 days of a transfer, a market row, the
// manager and two investors): recomputation from the first row, and the daily "重算基金价格".
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "app/login.h"
#include "app/program_directory.h"
#include "fund/fund_ledger.h"
#include "ledger/holdings.h"
#include "port/prompter.h"
#include "storage/cursor.h"

using namespace varneth;

namespace {

class Ledger {
public:
    static Ledger& get() {
        static Ledger ledger;
        return ledger;
    }

    fund::FundLedger& fund() { return *fund_; }
    storage::Engine& engine() { return engine_; }
    storage::Cursor& book() { return *book_; }
    bool quiet() const { return prompter_.messages.empty() && prompter_.unexpected.empty(); }
    std::string said() const { return prompter_.said.empty() ? "" : prompter_.said.front(); }

private:
    Ledger() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "varneth-bench-XXXXXX").string();
        dir_ = mkdtemp(tmpl.data());
        app::createProgramDirectory(dir_ / "p", app::findDataDir(dir_), true);
        login_ = std::make_unique<app::Login>(engine_, dir_ / "p", prompter_, clock_);
        login_->start();
        session_ = login_->enter("我的帐户", "");
        storage::Database& kvt = session_->kvt();
        kvt.execute(
            "INSERT INTO \"Fund2.DB\" (DT, Num, PYCODE, NAME, INPUT, XABC, UNIT, FUND, PRICE, CZXH) "
            "VALUES ('1969-12-31', 1, '@@@', '管理人', 0.0, 'y', 0.0, 0.0, 1.0, 0)");
        kvt.execute(
            "WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < 99998) "
            "INSERT INTO \"Fund2.DB\" (DT, Num, PYCODE, INPUT, XABC, CZXH) "
            "SELECT date('1970-01-01', '+' || (i / 5) || ' days'), CASE i % 5 WHEN 1 THEN NULL ELSE i + 2 "
            "END, "
            "CASE i % 5 WHEN 0 THEN '$1001' WHEN 1 THEN '***' WHEN 2 THEN '@@@' WHEN 3 THEN 'abc' ELSE 'xyz' "
            "END, "
            "CASE i % 5 WHEN 0 THEN 5000.0 WHEN 1 THEN ((i * 7919) % 2001 - 1000) / 100.0 WHEN 2 THEN 0.0 "
            "WHEN 3 THEN 1000.0 + i % 500 ELSE -1.0 * (i % 300) END, 'y', 0 FROM seq");
        book_ = std::make_unique<storage::Cursor>(kvt, "tr2.DBF");
        book_->append();
        for (const auto& [f, v] : {std::pair<const char*, storage::Value>{"QSDM", "q1"},
                                   {"QS", "券商"},
                                   {"ZJZH", "1001"},
                                   {"CODE", "xj"},
                                   {"NAME", "现金"},
                                   {"LX", "xj"},
                                   {"LXM", "现金"},
                                   {"AMT", 150000000.0},
                                   {"PRICE1", 1.0},
                                   {"PRICE2", 1.0},
                                   {"BIRATE", 1.0},
                                   {"ZK_RATE", 1.0}})
            book_->setValue(f, v);
        book_->post();
        fund_ = std::make_unique<fund::FundLedger>(engine_, fund::valuationOf(session_->holdings()),
                                                   prompter_, clock_);
        fund_->table().first();
        fund_->recompute();  // every row computed once, today's market row made
    }
    ~Ledger() {
        fund_.reset();
        book_.reset();
        session_.reset();
        login_.reset();
        engine_.unbind(storage::Alias::Kvt);
        engine_.unbind(storage::Alias::Curr);
        std::filesystem::remove_all(dir_);
    }

    std::filesystem::path dir_;
    storage::Engine engine_;
    port::ScriptedPrompter prompter_;
    port::FixedClock clock_{port::DateTime{2026, 12, 7, 15, 0, 0}};
    std::unique_ptr<app::Login> login_;
    std::unique_ptr<app::Session> session_;
    std::unique_ptr<storage::Cursor> book_;
    std::unique_ptr<fund::FundLedger> fund_;
};

// A new starting price makes every row's price and units change: each pass rewrites the whole ledger.
void BM_RecomputeFromFirstRow(benchmark::State& state) {
    Ledger& l = Ledger::get();
    double start = 1.0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            storage::Action action(l.engine());
            storage::Cursor& t = l.fund().table();
            t.first();
            start = start == 1.0 ? 1.5 : 1.0;
            t.setValue("PRICE", start);
            t.post();
        }
        state.ResumeTiming();
        l.fund().table().first();
        l.fund().recompute();
    }
    if (!l.quiet()) state.SkipWithError(l.said().c_str());
}
BENCHMARK(BM_RecomputeFromFirstRow)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The day's prices moved the book: today's market row and the tail change.
void BM_DailyButton(benchmark::State& state) {
    Ledger& l = Ledger::get();
    double step = 1000;
    for (auto _ : state) {
        state.PauseTiming();
        {
            storage::Action action(l.engine());
            storage::Cursor& b = l.book();
            b.locate("CODE", {"xj"});
            step = -step;
            b.setValue("AMT", b.number("AMT") + step);
            b.post();
        }
        state.ResumeTiming();
        l.fund().show();
    }
    if (!l.quiet()) state.SkipWithError(l.said().c_str());
    // The timing means something only if each press really brought today's market row to the book's
    // value (give or take the 32-bit rounding of the fund value it is added to).
    storage::Cursor& t = l.fund().table();
    t.last();
    if (t.text("PYCODE") != "***" || t.date("DT") != "2026-12-07" ||
        std::abs(t.number("FUND") - l.book().number("AMT")) > 100)
        state.SkipWithError("the market row does not follow the book");
}
BENCHMARK(BM_DailyButton)->Unit(benchmark::kMillisecond);

// The same press with the journal off: what the journal costs the daily button.
void BM_DailyButtonWithoutJournal(benchmark::State& state) {
    Ledger& l = Ledger::get();
    l.engine().setJournalling(false);
    BM_DailyButton(state);
    l.engine().setJournalling(true);
}
BENCHMARK(BM_DailyButtonWithoutJournal)->Unit(benchmark::kMillisecond);

}  // namespace
