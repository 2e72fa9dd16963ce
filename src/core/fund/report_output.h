#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "port/clock.h"
#include "storage/cursor.h"

namespace varneth::fund {

// Every fund report first asks where it goes.
inline constexpr const char* kPrintOrFile = "打印到打印机(按Yes)还是文件中(按No)？";
inline constexpr const char* kSaveCaption = "打印还是存文件选择";

// The account's "report" folder, made when missing.
std::filesystem::path reportFolder(const std::filesystem::path& accountDir);
// The name a report file is offered under: the prefix, the investor's name where there is one and
// today's date, in the account's report folder (made when missing).
std::filesystem::path proposedReportFile(const std::filesystem::path& accountDir, std::string_view prefix,
                                         std::string_view name, const port::DateTime& today);

// The fund's name that heads every report: the note of the investment type marked "Now" (the
// first such type), empty when none is marked.
std::string currentFundName(const storage::Cursor& types);

}  // namespace varneth::fund
