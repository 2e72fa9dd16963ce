#include "fund/report_output.h"

namespace varneth::fund {

std::filesystem::path reportFolder(const std::filesystem::path& accountDir) {
    const std::filesystem::path folder = accountDir / "report";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

std::filesystem::path proposedReportFile(const std::filesystem::path& accountDir, std::string_view prefix,
                                         std::string_view name, const port::DateTime& today) {
    // Paths hold UTF-8 on the platforms the program runs on.
    return reportFolder(accountDir) / (std::string(prefix) + std::string(name) + today.isoDate() + ".txt");
}

std::string currentFundName(const storage::Cursor& types) {
    const int now = types.fieldIndex("Now"), note = types.fieldIndex("Note");
    for (int i = 0; i < types.count(); ++i)
        if (types.valueAt(i, now).toInt() != 0) return types.valueAt(i, note).toString();
    return {};
}

}  // namespace varneth::fund
