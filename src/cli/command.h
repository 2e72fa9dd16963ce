#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/session.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/engine.h"

namespace varneth::cli {

struct Command;

// A command line that does not read: exit status 2, the usage on stderr.
class UsageError : public std::runtime_error {
public:
    UsageError(const std::string& what, const Command* command = nullptr)
        : std::runtime_error(what), command(command) {}
    const Command* command;  // the command whose usage to show; nullptr for the general one
};

// Options that stand before or after the command.
struct GlobalOptions {
    std::optional<std::filesystem::path> dir;  // none: the default program directory
    std::optional<std::string> account;
    std::optional<std::string> password;
    std::optional<port::DateTime> now;
    std::string answers;  // y/n, used in order
    bool yes = false;     // the answer once `answers` is used up
};

// The program directory a command works in, absolute: --dir, else the one the window would use
// (the user's own when installed, the current directory otherwise).
std::filesystem::path programDirectory(const GlobalOptions& global, const std::filesystem::path& exeDir);

// One parsed command line.
struct Invocation {
    GlobalOptions global;
    const Command* command = nullptr;
    std::map<std::string, std::string> options;  // command options by name without "--"; flags map to ""
    std::vector<std::string> args;
    std::string commandText;  // the whole line, passwords hidden, as the journal names the action
};

// What a command runs with. `session` is set for every command that runs logged in.
struct Context {
    const Invocation& call;
    storage::Engine& engine;
    app::Session* session;
    port::Prompter& prompter;
    port::Clock& clock;
    std::ostream& out;
    std::filesystem::path exeDir;

    const std::string& arg(std::size_t i) const { return call.args.at(i); }
    std::filesystem::path programDir() const;
    std::optional<std::string> option(const std::string& name) const;
    bool flag(const std::string& name) const { return call.options.count(name) > 0; }
};

struct OptionSpec {
    std::string name;  // without "--"
    bool takesValue = false;
};

// A command of the table: its handler returns the exit status (0 done, 1 refused with a message)
// and may throw UsageError for arguments that do not read.
struct Command {
    std::string name;
    std::string usage;  // the arguments after the name, e.g. "TABLE [--order NAME]"
    std::size_t minArgs = 0;
    std::size_t maxArgs = 0;
    std::vector<OptionSpec> options;
    bool needsLogin = true;
    std::function<int(Context&)> run;
    // How the command's action holds the databases: most may write, so they take the write lock
    // first; a few only read (they also serve a read-only directory); whole-file copies run
    // outside any action.
    enum class Access { Write, Read, Files };
    Access access = Access::Write;

    const OptionSpec* findOption(std::string_view name) const;
};

// Each file of commands offers its own list; `commands()` gathers them, sorted by name.
std::vector<Command> baseCommands();
std::vector<Command> referenceCommands();
std::vector<Command> ledgerCommands();       // value, report
std::vector<Command> orderCommands();        // buy, sell, cancel, confirm, new-cash-account
std::vector<Command> viewCommands();         // view
std::vector<Command> accountCommands();      // account, backup
std::vector<Command> linkCommands();         // link, corporate-action
std::vector<Command> fundCommands();         // fund, transfer, invest
std::vector<Command> performanceCommands();  // performance
std::vector<Command> statsCommands();        // stats
std::vector<Command> pricesCommands();       // prices
std::vector<Command> optimiserCommands();    // groups, optimise, simulate
std::vector<Command> settingsCommands();     // settings, margin, exchange
std::vector<Command> historyCommands();      // history, undo
std::vector<Command> investorsCommands();    // investors, inout
std::vector<Command> fundReportCommands();   // commission-stats, addr
std::vector<Command> dailyCommands();        // daily
const std::vector<Command>& commands();
const Command* findCommand(std::string_view name);

}  // namespace varneth::cli
