// The statistics window on a 10,000-row ledger, drawn offscreen: showing it (the pending valuation,
// both queries, the grid and a chart of every row) and switching between kinds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>

#include "book.h"
#include "stats/portfolio_window.h"

using namespace varneth;

namespace {

QApplication& application() {
    static char name[] = "varneth_bench", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    static int argc = 3;
    static QApplication app(argc, argv);
    return app;
}

QRadioButton* choice(QWidget& window, const char* group, int i) {
    for (auto* box : window.findChildren<QGroupBox*>())
        if (box->title() == QString::fromUtf8(group)) return box->findChildren<QRadioButton*>().at(i);
    return nullptr;
}

// A fresh session each time, so that showing the window values the book first, as after a login.
void ShowWindow(benchmark::State& state) {
    application();
    bench::Book book;
    for (auto _ : state) {
        state.PauseTiming();
        book.session.reset();
        book.session = book.login->enter("我的帐户", "");
        gui::PortfolioWindow window(*book.session);
        state.ResumeTiming();
        window.show();
        QApplication::processEvents();
        state.PauseTiming();
        window.close();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(ShowWindow)->Unit(benchmark::kMillisecond);

// From the trade history (no chart) to a kind and content: queries, grid and chart redrawn.
void SwitchKind(benchmark::State& state) {
    application();
    bench::Book book;
    gui::PortfolioWindow window(*book.session);
    window.show();
    const int content = static_cast<int>(state.range(0));
    choice(window, "选显示内容和方式", content)->click();
    for (auto _ : state) {
        choice(window, "选显示种类", 2)->click();
        choice(window, "选显示种类", 0)->click();
        QApplication::processEvents();
    }
    state.counters["bars"] = static_cast<double>(window.stats().chart().bars.size());
}
BENCHMARK(SwitchKind)->DenseRange(0, 3)->ArgName("content")->Unit(benchmark::kMillisecond);

}  // namespace
