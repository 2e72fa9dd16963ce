#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "port/clock.h"
#include "port/prompter.h"
#include "port/report_sink.h"
#include "storage/engine.h"

namespace varneth::fund {

// Every fund report first asks where it goes.
inline constexpr const char* kPrintOrFile = "打印到打印机(按Yes)还是文件中(按No)？";
inline constexpr const char* kSaveCaption = "打印还是存文件选择";

// The account's "report" folder, made when missing.
std::filesystem::path reportFolder(const std::filesystem::path& accountDir);
// The name a report file is offered under: the prefix, the investor's name where there is one and
// today's date, in the account's report folder (made when missing). The name never leads out
// of that folder.
std::filesystem::path proposedReportFile(const std::filesystem::path& accountDir, std::string_view prefix,
                                         std::string_view name, const port::DateTime& today);

// The fund's name that heads every report: the note of the investment type marked "Now" (the
// first such type), empty when none is marked.
std::string currentFundName(storage::Engine& engine);

enum class ReportTarget { Printer, File };
// Where a report's lines go once the user has chosen; nullptr when the user gave up.
using OpenReport = std::function<std::unique_ptr<port::ReportSink>(ReportTarget)>;
// Asks printer or file unless `target` is given, opens the sink, writes and finishes it. False
// when the user gave up or the output failed.
bool deliverReport(port::Prompter& prompter, const OpenReport& open, std::optional<ReportTarget> target,
                   const std::function<void(port::ReportSink&)>& write);

}  // namespace varneth::fund
