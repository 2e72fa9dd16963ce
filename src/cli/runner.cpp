#include "runner.h"

#include <exception>
#include <ios>
#include <memory>

#include "app/login.h"
#include "cli_prompter.h"
#include "command.h"
#include "command_line.h"
#include "port/report_sink.h"
#include "storage/engine.h"
#include "storage/file_error.h"
#include "text/gbk.h"

namespace varneth::cli {

namespace fs = std::filesystem;

namespace {

// The journal names an action by who ran which command line when.
void nameActions(storage::Engine& engine, port::Clock& clock, std::string account, std::string commandText) {
    engine.setLabeller([&clock, account = std::move(account), commandText = std::move(commandText)] {
        return storage::JournalLabel{clock.now().iso(), account, commandText};
    });
}

int runLoggedIn(const Invocation& call, storage::Engine& engine, port::Prompter& prompter, port::Clock& clock,
                std::ostream& out, const fs::path& exeDir) {
    app::Login login(engine, programDirectory(call.global, exeDir), prompter, clock);
    if (!login.start()) return 1;
    // As in the login window: without a typed name the pre-filled one is used.
    std::string name = call.global.account ? *call.global.account : login.lastPicked();
    auto session = login.enter(name, call.global.password.value_or(""));
    if (!session) return 1;
    nameActions(engine, clock, session->accountName(), call.commandText);
    Context ctx{call, engine, session.get(), prompter, clock, out, exeDir};
    if (call.command->access == Command::Access::Files) return call.command->run(ctx);
    storage::Action action(engine, call.command->access == Command::Access::Read
                                       ? storage::Action::Mode::Read
                                       : storage::Action::Mode::Write);
    return call.command->run(ctx);
}

// The command line as the journal keeps it: password values never leave the prompt.
std::string commandLineText(const std::vector<std::string>& argv) {
    static const std::vector<std::string> secret{"--password", "--new-password", "--its-password", "--old",
                                                 "--new"};
    std::string text = "varneth-cli";
    bool hideNext = false;
    for (const auto& a : argv) {
        std::string shown = hideNext ? "***" : a;
        hideNext = false;
        for (const auto& s : secret) {
            if (a == s)
                hideNext = true;
            else if (a.starts_with(s + "="))
                shown = s + "=***";
        }
        if (shown.empty() || shown.find_first_of(" \t") != std::string::npos) shown = "\"" + shown + "\"";
        text += " " + shown;
    }
    return text;
}

// Names the first option or argument that is not UTF-8 text (the tables hold only UTF-8); "" when
// all are. A directory path is the file system's business.
std::string notUtf8(const Invocation& call) {
    if (call.global.account && !text::isValidUtf8(*call.global.account)) return "--account";
    if (call.global.password && !text::isValidUtf8(*call.global.password)) return "--password";
    for (const auto& [name, value] : call.options)
        if (!text::isValidUtf8(value)) return "--" + name;
    for (std::size_t i = 0; i < call.args.size(); ++i)
        if (!text::isValidUtf8(call.args[i])) return "第" + std::to_string(i + 1) + "个参数";
    return {};
}

}  // namespace

int run(const std::vector<std::string>& argv, const fs::path& exeDir, std::ostream& out, std::ostream& err) {
    Invocation call;
    try {
        call = parseCommandLine(argv);
    } catch (const UsageError& e) {
        err << e.what() << '\n' << usageText(e.command);
        return 2;
    }
    std::unique_ptr<port::Clock> clock;
    if (call.global.now)
        clock = std::make_unique<port::FixedClock>(*call.global.now);
    else
        clock = std::make_unique<port::SystemClock>();
    CliPrompter prompter(out, call.global.answers, call.global.yes);
    if (const std::string bad = notUtf8(call); !bad.empty()) {
        prompter.message("命令行参数" + bad + "不是有效的UTF-8文字。");
        return 1;
    }
    // Every command names its output file --out, --png or --csv.
    for (const char* output : {"out", "png", "csv"}) {
        auto it = call.options.find(output);
        if (it != call.options.end() && port::isDataFile(it->second)) {
            prompter.message(port::kDataFileRefused);
            return 1;
        }
    }
    storage::Engine engine;
    call.commandText = commandLineText(argv);
    nameActions(engine, *clock, call.global.account.value_or(""), call.commandText);
    try {
        int status;
        if (call.command->needsLogin) {
            status = runLoggedIn(call, engine, prompter, *clock, out, exeDir);
        } else {
            Context ctx{call, engine, nullptr, prompter, *clock, out, exeDir};
            status = call.command->run(ctx);
        }
        return status == 0 && prompter.failureTold() ? 1 : status;
    } catch (const UsageError& e) {
        err << e.what() << '\n' << usageText(e.command);
        return 2;
    } catch (const std::filesystem::filesystem_error& e) {
        prompter.message(storage::describeFileError(e));
        return 1;
    } catch (const std::ios_base::failure&) {
        prompter.message("文件读写错误，操作未完成。");
        return 1;
    } catch (const std::exception& e) {
        // Engine failures, seed failures: the action stops with their text, as a message box would.
        prompter.message(e.what());
        return 1;
    }
}

}  // namespace varneth::cli
