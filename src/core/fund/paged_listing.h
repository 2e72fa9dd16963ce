#pragma once

#include <functional>
#include <string>

#include "port/clock.h"
#include "port/report_sink.h"

namespace varneth::fund {

inline constexpr int kRowsPerPage = 50;

// The rule that frames a report's heading: 49 dashes.
std::string reportRule();

// A listing paged as a line printer pages it: each page opens with the title, a blank line, the
// page line ("第n页， 共m页" and the time printed) and the heading between rules, holds up to 50 rows
// and closes with a rule; a page followed by another is padded with 9 blank lines. A listing
// without rows still prints its one page of headings.
void writePagedListing(const std::string& title, const std::string& heading, int rows,
                       const std::function<std::string(int row)>& line, const port::DateTime& printed,
                       port::ReportSink& sink);

}  // namespace varneth::fund
