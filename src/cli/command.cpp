#include "command.h"

#include <algorithm>

#include "app/program_directory.h"

namespace varneth::cli {

std::filesystem::path programDirectory(const GlobalOptions& global, const std::filesystem::path& exeDir) {
    namespace fs = std::filesystem;
    // Absolute, so that the account directory the login reports reads the same from anywhere.
    fs::path dir = fs::absolute(global.dir ? *global.dir : app::defaultProgramDir(exeDir)).lexically_normal();
    if (!dir.has_filename() && dir.has_parent_path() && dir != dir.root_path()) dir = dir.parent_path();
    return dir;
}

std::filesystem::path Context::programDir() const {
    return programDirectory(call.global, exeDir);
}

std::optional<std::string> Context::option(const std::string& name) const {
    auto it = call.options.find(name);
    if (it == call.options.end()) return std::nullopt;
    return it->second;
}

const OptionSpec* Command::findOption(std::string_view name) const {
    for (const auto& o : options)
        if (o.name == name) return &o;
    return nullptr;
}

const std::vector<Command>& commands() {
    static const std::vector<Command> all = [] {
        std::vector<Command> list = baseCommands();
        for (auto* more :
             {referenceCommands, ledgerCommands, orderCommands, viewCommands, accountCommands, linkCommands,
              fundCommands, performanceCommands, statsCommands, pricesCommands, optimiserCommands,
              settingsCommands, historyCommands, investorsCommands, fundReportCommands, dailyCommands})
            for (auto& c : more()) list.push_back(std::move(c));
        std::sort(list.begin(), list.end(),
                  [](const Command& a, const Command& b) { return a.name < b.name; });
        return list;
    }();
    return all;
}

const Command* findCommand(std::string_view name) {
    for (const auto& c : commands())
        if (c.name == name) return &c;
    return nullptr;
}

}  // namespace varneth::cli
