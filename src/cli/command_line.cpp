#include "command_line.h"

#include <optional>

namespace varneth::cli {

namespace {

constexpr const char* kGeneralUsage =
    "用法：varneth-cli [--dir 程序目录] [--account 名称 --password 口令] [--now \"yyyy-mm-dd hh:nn:ss\"] "
    "[--yes|--no|--answers yn…] 命令 …";

class Parser {
public:
    explicit Parser(const std::vector<std::string>& argv) : argv_(argv) {}

    Invocation parse() {
        bool optionsEnded = false;
        for (i_ = 0; i_ < argv_.size(); ++i_) {
            const std::string& a = argv_[i_];
            if (!optionsEnded && a == "--") {
                optionsEnded = true;
            } else if (!optionsEnded && a.size() > 2 && a.starts_with("--")) {
                option(a);
            } else if (!inv_.command) {
                inv_.command = findCommand(a);
                if (!inv_.command) throw UsageError("未知命令：" + a);
            } else {
                inv_.args.push_back(a);
            }
        }
        check();
        return std::move(inv_);
    }

private:
    void option(const std::string& a) {
        auto eq = a.find('=');
        name_ = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        inlineValue_.reset();
        if (eq != std::string::npos) inlineValue_ = a.substr(eq + 1);

        GlobalOptions& g = inv_.global;
        if (name_ == "dir") {
            g.dir = value();
        } else if (name_ == "account") {
            g.account = value();
        } else if (name_ == "password") {
            g.password = value();
        } else if (name_ == "now") {
            now_ = value();
        } else if (name_ == "answers") {
            g.answers = value();
        } else if (name_ == "yes") {
            noValue();
            yes_ = true;
        } else if (name_ == "no") {
            noValue();
            no_ = true;
        } else if (const OptionSpec* option = inv_.command ? inv_.command->findOption(name_) : nullptr) {
            if (option->takesValue) {
                inv_.options[name_] = value();
            } else {
                noValue();
                inv_.options[name_] = "";
            }
        } else {
            throw UsageError("未知选项：--" + name_, inv_.command);
        }
    }

    std::string value() {
        if (inlineValue_) return *inlineValue_;
        if (i_ + 1 >= argv_.size()) throw UsageError("选项 --" + name_ + " 缺少参数", inv_.command);
        return argv_[++i_];
    }

    void noValue() const {
        if (inlineValue_) throw UsageError("选项 --" + name_ + " 不带参数", inv_.command);
    }

    void check() {
        const Command* c = inv_.command;
        if (!c) throw UsageError("缺少命令");
        if (inv_.args.size() < c->minArgs) throw UsageError("缺少参数", c);
        if (inv_.args.size() > c->maxArgs) throw UsageError("多余的参数：" + inv_.args[c->maxArgs], c);
        if (yes_ && no_) throw UsageError("--yes 与 --no 不能同时使用", c);
        inv_.global.yes = yes_;
        for (char ch : inv_.global.answers)
            if (ch != 'y' && ch != 'n' && ch != 'Y' && ch != 'N')
                throw UsageError("--answers 只能由 y 和 n 组成：" + inv_.global.answers, c);
        if (now_) {
            inv_.global.now = port::DateTime::parse(*now_);
            if (!inv_.global.now)
                throw UsageError("--now 的时间读不出（应为 yyyy-mm-dd hh:nn:ss）：" + *now_, c);
        }
    }

    const std::vector<std::string>& argv_;
    std::size_t i_ = 0;
    Invocation inv_;
    std::string name_;
    std::optional<std::string> inlineValue_;
    std::optional<std::string> now_;
    bool yes_ = false, no_ = false;
};

}  // namespace

Invocation parseCommandLine(const std::vector<std::string>& argv) {
    return Parser(argv).parse();
}

std::string usageText(const Command* command) {
    std::string out = std::string(kGeneralUsage) + "\n";
    auto line = [](const Command& c) { return c.usage.empty() ? c.name : c.name + " " + c.usage; };
    if (command) return out + "  varneth-cli … " + line(*command) + "\n";
    out += "命令：\n";
    for (const auto& c : commands()) out += "  " + line(c) + "\n";
    return out;
}

}  // namespace varneth::cli
