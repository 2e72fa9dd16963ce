#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/session.h"
#include "fund/fund_ledger.h"
#include "reference/maintenance.h"

namespace varneth::app {

// The main window's price tool button (F8): today's fund price ("重算基金价格"), then the settings
// window's "据总表更新价格" and "改持仓文件价格". False when the fund price stopped with a message;
// the two after it are then not run, so no price moves under a fund ledger the user must mend first.
bool updatePrices(fund::FundLedger& fund, reference::Maintenance& maintenance);

// What a manager does each evening once the quote software has the day's data, in one go: both price
// updates of the price window from the source in use (writing, showing nothing), the price tool
// button, then a summary. Each step is its own action, so a window open on the same directory waits
// for one step at most, and a step that stops keeps what the steps before it wrote.
class EveningJob {
public:
    struct Line {
        std::string name;
        std::string value;
    };
    static constexpr const char* kNoFigure = "-";

    explicit EveningJob(Session& session) : session_(session) {}

    // The steps in order; false at the first that stopped with a message (told), the rest not run.
    bool run();
    // 日期, 基金价格, 涨跌幅(%), S1, S2, S3 and each comparison index's name with its level in the
    // last fund-ledger row. Values the book first; none when the valuation stopped with a message.
    std::optional<std::vector<Line>> summary();

    // The change in per cent from `before` to `after`, 2 decimals ("-" without a price before).
    static std::string change(double before, double after);

private:
    Session& session_;
};

}  // namespace varneth::app
