#pragma once

#include "port/told_report_file.h"

namespace varneth::cli {

using ReportFile = port::ToldReportFile;

}  // namespace varneth::cli
