#include "app/main_actions.h"

#include <string>
#include <system_error>

namespace varneth::app {

bool mayAdministerAccounts(std::string_view accountName, port::Prompter& prompter) {
    if (accountName == kAdministratorAccount) return true;
    prompter.message(kAdministrationRefused);
    return false;
}

std::optional<ledger::DetailRow> rowForOrderWindow(MainViews& views, port::Prompter& prompter) {
    if (auto row = views.currentDetail()) return row;
    prompter.message(kEmptyDetail);
    views.setDisplayChoice(MainViews::kByCode);
    return std::nullopt;
}

std::optional<std::filesystem::path> newestReport(const std::filesystem::path& accountDir) {
    std::error_code error;
    std::optional<std::filesystem::path> newest;
    std::filesystem::file_time_type newestTime;
    for (const auto& entry : std::filesystem::directory_iterator(accountDir / "report", error)) {
        if (!entry.is_regular_file(error)) continue;
        const auto time = entry.last_write_time(error);
        if (error) continue;
        if (!newest || time > newestTime) {
            newest = entry.path();
            newestTime = time;
        }
    }
    return newest;
}

void editReportInWordPad(port::Launcher& launcher, port::Prompter& prompter,
                         const std::filesystem::path& accountDir) {
    prompter.message(kWordPadNotice);
    // The desktop opens a file with the editor its user chose for that kind of file.
    const auto report = newestReport(accountDir);
    const auto result = report ? launcher.openLink(report->string()) : port::LaunchResult::FileNotFound;
    if (result == port::LaunchResult::FileNotFound)
        prompter.message(std::string(kNoReportFile) + (accountDir / "report").string());
    else if (result == port::LaunchResult::Failed)
        prompter.message(kWordPadFailed);
}

}  // namespace varneth::app
