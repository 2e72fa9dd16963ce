// Walking, editing and posting every row of a 10,000-row ledger through a cursor, beside a raw
// SQLite loop doing the same updates in the same binary.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "storage/cursor.h"
#include "storage/engine.h"

using namespace varneth::storage;

namespace {

constexpr int kRows = 10000;

struct Ledger {
    Ledger() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "varneth-bench-XXXXXX").string();
        dir = mkdtemp(tmpl.data());
        engine.bind(Alias::Kvt, dir, true);
        engine.database(Alias::Kvt).createTables(Alias::Kvt);
        Action action(engine);
        Cursor c(engine.database(Alias::Kvt), "tr2.DBF");
        for (int i = 0; i < kRows; ++i) {
            c.append();
            c.setValue("QSDM", std::to_string(i % 5));
            c.setValue("ZJZH", std::to_string(1000 + i % 20));
            c.setValue("CODE", std::to_string(600000 + i % 200));
            c.setValue("NAME", "股票");
            c.setValue("AMT", 100.0 + i);
            c.setValue("PRICE1", 10.0);
            c.setValue("PRICE2", 11.0);
            c.post();
        }
    }
    ~Ledger() {
        engine.unbind(Alias::Kvt);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
    Engine engine;
};

void CursorWalkEditPost(benchmark::State& state) {
    Ledger ledger;
    Cursor c(ledger.engine.database(Alias::Kvt), "tr2.DBF");
    c.setOrdering("No_PC");
    double bump = 0;
    for (auto _ : state) {
        bump += 1;
        Action action(ledger.engine);
        for (c.first(); !c.eof(); c.next()) {
            double amt = c.number("AMT");
            c.setValue("COST1", amt * c.number("PRICE1"));
            c.setValue("COST2", amt * c.number("PRICE2") + bump);
            c.setValue("INCOME", c.number("COST2") - c.number("COST1"));
            c.post();
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(CursorWalkEditPost)->Unit(benchmark::kMillisecond);

void RawSqliteLoop(benchmark::State& state) {
    Ledger ledger;
    sqlite3* db = ledger.engine.database(Alias::Kvt).handle();
    sqlite3_stmt* read = nullptr;
    sqlite3_stmt* write = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid, AMT, PRICE1, PRICE2 FROM \"tr2.DBF\" ORDER BY QSDM, ZJZH, GDDM", -1,
                       &read, nullptr);
    sqlite3_prepare_v2(db, "UPDATE \"tr2.DBF\" SET COST1=?, COST2=?, INCOME=? WHERE rowid=?", -1, &write,
                       nullptr);
    double bump = 0;
    for (auto _ : state) {
        bump += 1;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        while (sqlite3_step(read) == SQLITE_ROW) {
            double amt = sqlite3_column_double(read, 1);
            double cost1 = amt * sqlite3_column_double(read, 2);
            double cost2 = amt * sqlite3_column_double(read, 3) + bump;
            sqlite3_bind_double(write, 1, cost1);
            sqlite3_bind_double(write, 2, cost2);
            sqlite3_bind_double(write, 3, cost2 - cost1);
            sqlite3_bind_int64(write, 4, sqlite3_column_int64(read, 0));
            sqlite3_step(write);
            sqlite3_reset(write);
        }
        sqlite3_reset(read);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(read);
    sqlite3_finalize(write);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(RawSqliteLoop)->Unit(benchmark::kMillisecond);

}  // namespace
