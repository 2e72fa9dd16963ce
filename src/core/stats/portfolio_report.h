#pragma once

#include <string>
#include <vector>

#include "port/clock.h"
#include "port/prompter.h"
#include "port/report_sink.h"
#include "stats/portfolio_stats.h"

namespace varneth::stats {

// "打印报告" of the statistics window: the grid as it shows, 50 rows a page, in plain text columns.
// The grouped kinds print every row; the history kinds print from the grid's current row down, or,
// from its last row, the latest page.
class PortfolioReport {
public:
    static constexpr int kRowsPerPage = 50;
    static constexpr const char* kDetailRefused = "打印详细记录请进入手工编辑窗口！";
    static std::string question(const StatsChoice& choice);

    PortfolioReport(PortfolioStats& stats, port::Prompter& prompter, port::Clock& clock);

    // Refuses the detailed records, asks, then writes to `sink` and finishes it. False when refused,
    // declined, or the sink could not deliver. Nothing reaches the sink before the user agreed.
    bool print(port::ReportSink& sink);

    // The grid positions the report prints, in order.
    std::vector<int> rowsToPrint() const;
    void write(port::ReportSink& sink, const std::vector<int>& rows) const;

private:
    struct Column {
        int width;
        bool number;
    };
    std::vector<Column> layout() const;
    std::string title() const;

    PortfolioStats& stats_;
    port::Prompter& prompter_;
    port::Clock& clock_;
};

}  // namespace varneth::stats
