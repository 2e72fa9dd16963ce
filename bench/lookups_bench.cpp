// 100,000 mixed reference lookups over tables of realistic size: 5,000 codes in the general price
// table, 500 in the holdings price list, 30 types, 50 code rules, 20 cash accounts.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "book.h"

using namespace varneth;

namespace {

constexpr int kLookups = 100000;

std::string code(int i) {
    return std::to_string(600000 + i);
}

struct Reference : bench::LoggedIn {
    Reference() {
        using bench::add;
        storage::Action action(engine);
        auto& l = session->lookups();
        for (int i = 0; i < 5000; ++i)
            add(session->prices().table(), {{"CODE", code(i)}, {"NAME", "股票"}, {"PRICE", 10.0}});
        for (int i = 0; i < 500; ++i)
            add(l.holdingsPrices(), {{"code", code(i * 10)}, {"name", "持仓"}, {"price2", 9.0}});
        for (int i = 0; i < 30; ++i)
            add(l.types(), {{"Lx", "t" + std::to_string(i)},
                            {"Lxm", "类型"},
                            {"Zk_rate", 0.9},
                            {"Sxf_rate", 0.003},
                            {"Yhs_rate", 0.001},
                            {"Bzj_rate", i < 5 ? 0.1 : 1.0}});
        for (int i = 0; i < 50; ++i)
            add(l.rules(), {{"Order", i},
                            {"Code1", code(i * 100)},
                            {"Code2", code(i * 100 + 99)},
                            {"Lx", "t" + std::to_string(i % 30)}});
        add(l.currencies(), {{"Code", "rmb"}, {"Rate", 1.0}, {"Now", true}});
        add(l.currencies(), {{"Code", "hkd"}, {"Rate", 0.92}});
        for (int i = 0; i < 5; ++i) add(l.brokers(), {{"Qsdm", "q" + std::to_string(i)}, {"Qs", "券商"}});
        for (int i = 0; i < 20; ++i)
            add(l.accountCurrencies(), {{"Qsdm", "q" + std::to_string(i % 5)},
                                        {"Zjzh", std::to_string(1000 + i)},
                                        {"Bicode", i % 2 ? "HKD" : "rmb"}});
    }
};

void MixedLookups(benchmark::State& state) {
    Reference ref;
    auto& l = ref.session->lookups();
    std::vector<std::string> codes, types, brokers, accounts;
    for (int i = 0; i < 997; ++i) codes.push_back(code((i * 37) % 5000));
    for (int i = 0; i < 30; ++i) types.push_back("t" + std::to_string(i));
    for (int i = 0; i < 20; ++i) {
        brokers.push_back("q" + std::to_string(i % 5));
        accounts.push_back(std::to_string(1000 + i));
    }
    for (auto _ : state) {
        for (int i = 0; i < kLookups; ++i) {
            const std::string& c = codes[static_cast<std::size_t>(i) % codes.size()];
            const std::string& t = types[static_cast<std::size_t>(i) % types.size()];
            std::size_t a = static_cast<std::size_t>(i) % accounts.size();
            switch (i % 10) {
                case 0:
                    benchmark::DoNotOptimize(l.code_to_name(c));
                    break;
                case 1:
                    benchmark::DoNotOptimize(l.code_to_lx(c));
                    break;
                case 2:
                    benchmark::DoNotOptimize(l.qsdm_to_qs(brokers[a]));
                    break;
                case 3:
                    benchmark::DoNotOptimize(l.lx_to_lxm(t));
                    break;
                case 4:
                    benchmark::DoNotOptimize(l.lx_to_zk_rate(t));
                    break;
                case 5:
                    benchmark::DoNotOptimize(l.lx_bzj_rate(t));
                    break;
                case 6:
                    benchmark::DoNotOptimize(l.lx_to_sxf_rate(t));
                    break;
                case 7:
                    benchmark::DoNotOptimize(l.lx_to_yhs_rate(t));
                    break;
                case 8:
                    benchmark::DoNotOptimize(l.zjzh_to_birate(brokers[a], accounts[a]));
                    break;
                default:
                    benchmark::DoNotOptimize(l.zjzh_to_bi(brokers[a], accounts[a]));
                    break;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(MixedLookups)->Unit(benchmark::kMillisecond);

}  // namespace
