#include "fund/paged_listing.h"

#include <algorithm>

namespace varneth::fund {

std::string reportRule() {
    std::string r;
    for (int i = 0; i < 49; ++i) r += "—";
    return r;
}

void writePagedListing(const std::string& title, const std::string& heading, int rows,
                       const std::function<std::string(int row)>& line, const port::DateTime& printed,
                       port::ReportSink& sink) {
    const int pages = std::max(1, (rows + kRowsPerPage - 1) / kRowsPerPage);
    int row = 0;
    for (int page = 1; page <= pages; ++page) {
        sink.line(title);
        sink.line("  ");
        sink.line("                         第" + std::to_string(page) + "页， 共" + std::to_string(pages) +
                  "页   打印时间:" + printed.iso());
        sink.line(reportRule());
        sink.line(heading);
        sink.line(reportRule());
        for (int n = 0; n < kRowsPerPage && row < rows; ++n, ++row) sink.line(line(row));
        sink.line(reportRule());
        if (page == pages) return;
        for (int i = 0; i < 9; ++i) sink.line("   ");
        sink.newPage();
    }
}

}  // namespace varneth::fund
