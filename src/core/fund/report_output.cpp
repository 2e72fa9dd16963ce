#include "fund/report_output.h"

#include "fund/investment_types.h"
#include "text/gbk.h"

namespace varneth::fund {

std::filesystem::path reportFolder(const std::filesystem::path& accountDir) {
    std::filesystem::path folder = accountDir / "report";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

std::filesystem::path proposedReportFile(const std::filesystem::path& accountDir, std::string_view prefix,
                                         std::string_view name, const port::DateTime& today) {
    std::string file = std::string(prefix) + text::trim(name) + today.isoDate() + ".txt";
    // A name is the user's text: it must not lead the file out of the report folder.
    for (char& ch : file)
        if (ch == '/' || ch == '\\' || ch == ':') ch = '_';
    return reportFolder(accountDir) / std::filesystem::path(file);
}

bool deliverReport(port::Prompter& prompter, const OpenReport& open, std::optional<ReportTarget> target,
                   const std::function<void(port::ReportSink&)>& write) {
    if (!target) target = prompter.ask(kPrintOrFile) ? ReportTarget::Printer : ReportTarget::File;
    std::unique_ptr<port::ReportSink> sink = open(*target);
    if (!sink) return false;
    write(*sink);
    return sink->finish();
}

std::string currentFundName(storage::Engine& engine) {
    storage::Cursor types(engine.database(storage::Alias::Curr), InvestmentTypes::kTable);
    for (int i = 0; i < types.count(); ++i) {
        types.moveTo(i);
        if (types.logical("Now")) return text::trim(types.text("Note"));
    }
    return {};
}

}  // namespace varneth::fund
