#include "app/main_actions.h"

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

const std::vector<const char*>& wordPadPrograms() {
#if defined(_WIN32)
    static const std::vector<const char*> programs = {"c:\\windows\\write.exe"};
#elif defined(__APPLE__)
    static const std::vector<const char*> programs = {
        "/System/Applications/TextEdit.app/Contents/MacOS/TextEdit",
        "/Applications/TextEdit.app/Contents/MacOS/TextEdit"};
#else
    // No desktop names a default editor to start without a file: the common ones, by search path.
    static const std::vector<const char*> programs = {
        "gnome-text-editor", "gedit", "kwrite", "kate", "mousepad", "pluma", "xed", "featherpad", "leafpad"};
#endif
    return programs;
}

void editReportInWordPad(port::Launcher& launcher, port::Prompter& prompter) {
    prompter.message(kWordPadNotice);
    auto result = port::LaunchResult::FileNotFound;
    for (const char* program : wordPadPrograms()) {
        result = launcher.startProgram(program, "", port::ShowMode::Normal);
        if (result != port::LaunchResult::FileNotFound) break;
    }
    if (result == port::LaunchResult::FileNotFound)
        prompter.message(kWordPadMissing);
    else if (result == port::LaunchResult::Failed)
        prompter.message(kWordPadFailed);
}

}  // namespace varneth::app
