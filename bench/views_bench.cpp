// Rebuilding the main window's views (up_open) over a 10,000-row ledger of 200 codes at 5 brokers
// and 20 cash accounts, with unconfirmed orders, frozen cash, closed-out pairs and cash rows.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/main_views.h"
#include "storage/cursor.h"
#include "storage/engine.h"

using namespace varneth;
using storage::Alias;

namespace {

constexpr int kRows = 10000;

struct Ledger {
    Ledger() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "varneth-bench-XXXXXX").string();
        dir = mkdtemp(tmpl.data());
        engine.bind(Alias::Kvt, dir, true);
        engine.database(Alias::Kvt).createTables(Alias::Kvt);
        storage::Action action(engine);
        storage::Cursor c(engine.database(Alias::Kvt), "tr2.DBF");
        for (int i = 0; i < kRows; ++i) {
            const int account = i % 20;
            const bool cash = i < 20;
            std::string wth;
            if (!cash && i % 10 == 1) wth = std::to_string(26120400000LL + i);      // an order
            if (!cash && i % 10 == 2) wth = std::to_string(26120400000LL + i - 1);  // its frozen cash
            if (!cash && i % 10 >= 7) wth = "P2026091500";                          // closed out
            const bool xj = cash || i % 10 == 2;
            c.append();
            c.setValue("WTH", wth);
            c.setValue("QSDM", "qs" + std::to_string(account % 5));
            c.setValue("ZJZH", std::to_string(10000000 + account));
            c.setValue("GDDM", xj ? "xj" : "A123456789");
            c.setValue("CODE", xj ? "xj" : std::to_string(600000 + i / 10 % 200));
            c.setValue("NAME", xj ? "现金" : "股票");
            c.setValue("LX", xj ? "xj" : "ha");
            c.setValue("AMT", 100.0 + i);
            c.setValue("PRICE1", 10.0);
            c.setValue("DATE1", "2026-03-16");
            c.setValue("PRICE2", 11.0);
            c.setValue("COST1", (100.0 + i) * 10);
            c.setValue("COST2", (100.0 + i) * 11);
            c.setValue("SXF", 3.0);
            c.setValue("YHS", 1.0);
            c.setValue("PER", 0.01);
            c.setValue("BS", 1);
            c.post();
        }
    }
    ~Ledger() {
        engine.unbind(Alias::Kvt);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
    storage::Engine engine;
};

void UpOpen(benchmark::State& state) {
    Ledger ledger;
    app::MainViews views(ledger.engine.database(Alias::Kvt));
    views.up_open();
    views.setDisplayChoice(static_cast<int>(state.range(0)));
    for (auto _ : state) views.up_open();
    state.counters["catalog"] = views.catalog().count();
    state.counters["detail"] = views.detail().count();
}
BENCHMARK(UpOpen)->Arg(0)->Arg(1)->Arg(2)->ArgName("choice")->Unit(benchmark::kMillisecond);

// A step in the catalog by code re-runs the detail of the new row.
void CatalogStep(benchmark::State& state) {
    Ledger ledger;
    app::MainViews views(ledger.engine.database(Alias::Kvt));
    views.up_open();
    int p = 0;
    for (auto _ : state) {
        p = (p + 1) % views.catalog().count();
        views.catalog().moveTo(p);
    }
    state.counters["detail"] = views.detail().count();
}
BENCHMARK(CatalogStep)->Unit(benchmark::kMillisecond);

}  // namespace
