#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ledger/holdings.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "port/report_sink.h"

namespace varneth::ledger {

// "打印报告" of the holdings editor: the main fields of the view showing, 50 rows a page, in plain
// text columns. The holdings view prints every record; the closed view prints from the current
// record down without the sell rows (negative amounts), or, from its last record, the latest page.
class HoldingsReport {
public:
    enum class Target { Printer, File };

    static constexpr int kRowsPerPage = 50;
    static constexpr const char* kTargetQuestion = "打印到打印机(按Yes)还是文件中(按No)？";
    static constexpr const char* kStarNote = "带*的是委托号字段非空的记录";
    static std::string question(Holdings::View view);

    // Where the lines go once the user has chosen; nullptr when the user gave up (a save dialog
    // cancelled).
    using OpenSink = std::function<std::unique_ptr<port::ReportSink>(Target)>;

    HoldingsReport(Holdings& holdings, port::Prompter& prompter, port::Clock& clock);

    // Asks, counts, asks where to (unless `target` is given) and writes. False when the user
    // declined or gave up, or the sink could not deliver. The ledger's cursor stays where it was.
    bool print(const OpenSink& open, std::optional<Target> target = std::nullopt);

    // The positions in the view that the report prints, in order.
    std::vector<int> rowsToPrint() const;
    // The report's lines, page by page, for those rows.
    void write(port::ReportSink& sink, const std::vector<int>& rows) const;

private:
    std::string heading() const;
    std::string rowText(int position) const;

    Holdings& holdings_;
    port::Prompter& prompter_;
    port::Clock& clock_;
};

// "hold" + today's date + ".txt" in the folder "report" of the account directory, which is made
// when missing.
std::filesystem::path defaultReportFile(const std::filesystem::path& accountDir, const port::DateTime& today);

}  // namespace varneth::ledger
