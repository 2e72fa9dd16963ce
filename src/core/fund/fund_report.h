#pragma once

#include <string>

#include "fund/paged_listing.h"
#include "port/clock.h"
#include "port/report_sink.h"
#include "storage/cursor.h"

namespace varneth::fund {

inline constexpr const char* kReportQuestion =
    "本操作自选定记录往下打印资金进出记录,唯选最下面的记录将打印一页最新内容。继续吗？";

// The capital in/out report: the fund ledger's rows from `start` to the end, 50 to a page, each
// page closed by a rule and blank lines as a line printer pages. Reads rows without moving the
// cursor.
void writeCapitalReport(const storage::Cursor& ledger, int start, const port::DateTime& printed,
                        port::ReportSink& sink);

}  // namespace varneth::fund
