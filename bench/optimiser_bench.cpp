// "电脑优化" on the window's default forecast (P built, nine passes of 27 candidates over 27 cells),
// and a 1000-turn game of four participants without delay or drawing.
#include <benchmark/benchmark.h>

#include "optimiser/game.h"
#include "optimiser/model.h"
#include "optimiser/parameters.h"

using namespace varneth;
using namespace varneth::optimiser;

namespace {

Forecast defaultForecast() {
    Forecast f = forecastOf(Parameters{});
    f.p = {0, 0, 0.4, 0.6};
    f.c = {0, 0.001, 0.0025, 0.005};
    return f;
}

void BM_Optimise(benchmark::State& state) {
    const Forecast f = defaultForecast();
    for (auto _ : state) {
        const ScenarioTable p = calcp123(f.r);
        benchmark::DoNotOptimize(better(f, p));
    }
}
BENCHMARK(BM_Optimise)->Unit(benchmark::kMicrosecond);

void BM_Game1000Turns(benchmark::State& state) {
    GameSetup s;
    s.forecast = defaultForecast();
    s.x = {Proportions{0, 0, 0.4, 0.6}, Proportions{0.25, 0.25, 0.25, 0.25},
           Proportions{0, 0.334, 0.333, 0.333}, better(s.forecast, calcp123(s.forecast.r)).x};
    GameRules rules;
    rules.turns = 1000;
    rules.linear = true;  // the log chart may stop early once wealth passes 1e32
    port::Random random(1);
    for (auto _ : state) {
        Game game(s, random);
        game.play(rules);
        benchmark::DoNotOptimize(game.wealth());
    }
}
BENCHMARK(BM_Game1000Turns)->Unit(benchmark::kMicrosecond);

}  // namespace
