// The valuation (`calc`) of a 10,000-row ledger (200 codes, 5 brokers, 20 cash accounts, both total
// rows) after every price moved, beside a raw SQLite loop that reads the same rows in the same order
// and writes the same fields. Moving the prices is not timed.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <map>
#include <string>

#include "book.h"

using namespace varneth;

namespace {

using bench::Book;
using bench::kRows;
using bench::kTypes;
using bench::margin;
using bench::type;

void Calc(benchmark::State& state) {
    Book book;
    auto& holdings = book.session->holdings();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        book.movePrices(++round);
        state.ResumeTiming();
        if (!holdings.calc()) state.SkipWithError("the valuation stopped");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(Calc)->Unit(benchmark::kMillisecond);

// The two passes by hand: rates from memory, rows read in the holdings order, each pass's fields
// written by prepared statements in one transaction.
void CalcRawSqlite(benchmark::State& state) {
    Book book;
    sqlite3* db = book.db();
    std::map<std::string, double> bzj, sxf, yhs;
    bzj["xj"] = 1, sxf["xj"] = yhs["xj"] = 0;
    for (int t = 0; t < kTypes; ++t) {
        bzj[type(t)] = static_cast<float>(margin(t));
        sxf[type(t)] = 0.003f;
        yhs[type(t)] = 0.001f;
    }
    sqlite3_stmt *read1, *write1, *read2, *write2;
    const char* order =
        " FROM \"tr2.DBF\" WHERE NOT ((wth>'P' AND wth<'PA') OR wth='0\?\?\?') ORDER BY QSDM, ZJZH, GDDM";
    sqlite3_prepare_v2(
        db, (std::string("SELECT rowid, AMT, PRICE1, PRICE2, BS, LX, BIRATE, ZK_RATE") + order).c_str(), -1,
        &read1, nullptr);
    sqlite3_prepare_v2(db, "UPDATE \"tr2.DBF\" SET COST1=?, COST2=? WHERE rowid=?", -1, &write1, nullptr);
    sqlite3_prepare_v2(db, (std::string("SELECT rowid, LX, COST1, COST2, BIRATE") + order).c_str(), -1,
                       &read2, nullptr);
    sqlite3_prepare_v2(db, "UPDATE \"tr2.DBF\" SET SXF=?, YHS=?, INCOME=?, INC=?, PER=? WHERE rowid=?", -1,
                       &write2, nullptr);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        book.movePrices(++round);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        float s1 = 0, s2 = 0, s3 = 0;
        while (sqlite3_step(read1) == SQLITE_ROW) {
            const std::string lx = reinterpret_cast<const char*>(sqlite3_column_text(read1, 5));
            if (lx == "zzc" || lx == "zzz") continue;
            const double a = sqlite3_column_double(read1, 1), p1 = sqlite3_column_double(read1, 2),
                         p2 = sqlite3_column_double(read1, 3), bs = sqlite3_column_double(read1, 4),
                         r = sqlite3_column_double(read1, 6), zk = sqlite3_column_double(read1, 7);
            const double cost1 = a * p1 * bzj[lx];
            const double cost2 = std::nearbyint(bs * a * (p2 - p1) + cost1);
            sqlite3_bind_double(write1, 1, cost1);
            sqlite3_bind_double(write1, 2, cost2);
            sqlite3_bind_int64(write1, 3, sqlite3_column_int64(read1, 0));
            sqlite3_step(write1);
            sqlite3_reset(write1);
            s1 = static_cast<float>(s1 + cost1 * r);
            s2 = static_cast<float>(s2 + cost2 * r);
            s3 = static_cast<float>(s3 + (cost2 > 0 ? cost2 * zk * r : cost2 * r));
        }
        sqlite3_reset(read1);
        while (sqlite3_step(read2) == SQLITE_ROW) {
            const std::string lx = reinterpret_cast<const char*>(sqlite3_column_text(read2, 1));
            const double cost1 = sqlite3_column_double(read2, 2), cost2 = sqlite3_column_double(read2, 3),
                         r = sqlite3_column_double(read2, 4);
            const double fee = std::fabs(cost1) * sxf[lx], duty = std::fabs(cost1) * yhs[lx];
            const double income = cost2 - cost1 - fee - duty;
            sqlite3_bind_double(write2, 1, fee);
            sqlite3_bind_double(write2, 2, duty);
            sqlite3_bind_double(write2, 3, income);
            sqlite3_bind_double(write2, 4, std::nearbyint(cost1) != 0 ? income * 100 / cost1 : 9999.9);
            sqlite3_bind_double(write2, 5, std::nearbyint(cost2 * 10000 * r / s2) * 0.01);
            sqlite3_bind_int64(write2, 6, sqlite3_column_int64(read2, 0));
            sqlite3_step(write2);
            sqlite3_reset(write2);
        }
        sqlite3_reset(read2);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(s3);
    }
    for (auto* st : {read1, write1, read2, write2}) sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(CalcRawSqlite)->Unit(benchmark::kMillisecond);

}  // namespace
