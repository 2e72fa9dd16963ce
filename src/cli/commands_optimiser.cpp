// The grouping, optimisation and game windows' actions, headless. Every command opens the windows
// as the main window does: grouping first, then the optimisation with its default file and the
// current portfolio.
#include <QImage>
#include <chrono>
#include <memory>
#include <thread>

#include "command.h"
#include "offscreen.h"
#include "optimiser/game.h"
#include "optimiser/game_chart.h"
#include "optimiser/game_painter.h"
#include "optimiser/grouping.h"
#include "optimiser/optimisation.h"
#include "text/numbers.h"

namespace varneth::cli {

namespace {

using optimiser::Game;
using optimiser::Optimisation;

// Stops the command with a message (exit status 1), as a refused box would.
struct Refused {};

std::unique_ptr<optimiser::Grouping> openGrouping(Context& ctx) {
    auto grouping = std::make_unique<optimiser::Grouping>(ctx.engine, ctx.session->lookups(), ctx.prompter);
    grouping->open();
    return grouping;
}

std::unique_ptr<Optimisation> openOptimisation(Context& ctx) {
    openGrouping(ctx);
    auto opt = std::make_unique<Optimisation>(ctx.engine, ctx.prompter, ctx.session->programDir());
    if (!opt->open()) throw Refused{};
    return opt;
}

void refuse(Context& ctx, const std::string& message) {
    ctx.prompter.message(message);
    throw Refused{};
}

std::vector<std::string> split(const std::string& list) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const auto comma = list.find(',', from);
        parts.push_back(list.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos) return parts;
        from = comma + 1;
    }
}

std::vector<std::string> listOption(Context& ctx, const std::string& name, std::size_t count) {
    auto parts = split(*ctx.option(name));
    if (parts.size() != count)
        refuse(ctx, "--" + name + " 应有" + std::to_string(count) + "个值，以逗号分开：" + *ctx.option(name));
    return parts;
}

double number(Context& ctx, const std::string& text, const std::string& what) {
    const auto v = text::parseNumber(text);
    if (!v) refuse(ctx, "'" + text + "'不是有效的数值（" + what + "）");
    return *v;
}

int whole(Context& ctx, const std::string& text, const std::string& what) {
    const auto v = text::parseInteger(text);
    if (!v || *v < -1000000 || *v > 1000000) refuse(ctx, "'" + text + "'不是有效的整数（" + what + "）");
    return static_cast<int>(*v);
}

std::array<double, 4> row(Context& ctx, const std::string& option, const std::string& list) {
    const auto parts = split(list);
    if (parts.size() != 4) refuse(ctx, option + " 应有4个值，以逗号分开：" + list);
    std::array<double, 4> r{};
    for (std::size_t i = 0; i < 4; ++i) r[i] = number(ctx, parts[i], option);
    return r;
}

// r12, r23 and r13 as the user picks them: r12 and r23 rebuild the r13 list.
void setCorrelations(Context& ctx, Optimisation& opt) {
    for (const char* name : {"r12", "r23"}) {
        const auto given = ctx.option(name);
        if (!given) continue;
        const double r = number(ctx, *given, std::string("--") + name);
        if (!optimiser::isCorrelationChoice(r)) refuse(ctx, "相关系数只能是-1,-0.5,0,0.5,1");
        std::string(name) == "r12" ? opt.setR12(r) : opt.setR23(r);
    }
    if (const auto r13 = ctx.option("r13"); r13 && !opt.setR13(number(ctx, *r13, "--r13"))) throw Refused{};
}

// The boxes of the optimisation window as the user would fill them, in the order they stand.
void setBoxes(Context& ctx, Optimisation& opt) {
    if (const auto prd = ctx.option("prd"); prd && !opt.loadcs(*prd)) throw Refused{};
    if (ctx.option("ini")) {
        const auto v = listOption(ctx, "ini", 3);
        for (int k = 1; k <= 3; ++k)
            opt.setInitialPrice(k, whole(ctx, v[static_cast<std::size_t>(k - 1)], "--ini"));
    }
    if (ctx.option("e")) {
        const auto v = listOption(ctx, "e", 4);
        for (int k = 0; k <= 3; ++k) opt.setExpectation(k, whole(ctx, v[static_cast<std::size_t>(k)], "--e"));
    }
    if (ctx.option("d")) {
        const auto v = listOption(ctx, "d", 3);
        for (int k = 1; k <= 3; ++k)
            if (!opt.setDeviation(k, whole(ctx, v[static_cast<std::size_t>(k - 1)], "--d"))) throw Refused{};
    }
    if (ctx.option("cost")) {
        const auto v = listOption(ctx, "cost", 3);
        for (int k = 1; k <= 3; ++k) opt.setCost(k, v[static_cast<std::size_t>(k - 1)]);
    }
    if (ctx.option("margin")) {
        const auto v = listOption(ctx, "margin", 3);
        for (int k = 1; k <= 3; ++k) opt.setMargin(k, v[static_cast<std::size_t>(k - 1)]);
    }
    setCorrelations(ctx, opt);
    // The file holds one value a line.
    for (const char* name : {"overdraft-ratio", "overdraft-rate"})
        if (const auto t = ctx.option(name); t && t->find_first_of("\r\n") != std::string::npos)
            refuse(ctx, std::string("--") + name + " 不能含换行");
    if (const auto t = ctx.option("overdraft-ratio")) opt.setOverdraftRatio(*t);
    if (const auto t = ctx.option("overdraft-rate")) opt.setOverdraftRate(*t);
    for (int j = 0; j < Optimisation::kPlayers; ++j)
        if (const auto r = ctx.option("p" + std::to_string(j + 1)))
            opt.setPlayer(j, row(ctx, "--p" + std::to_string(j + 1), *r));
}

template <typename Values>
void printLine(Context& ctx, const std::string& name, const Values& values) {
    ctx.out << name;
    for (const auto& v : values) ctx.out << '\t' << text::shortestText(static_cast<double>(v));
    ctx.out << '\n';
}

void printResult(Context& ctx, const Optimisation& opt) {
    ctx.out << "labels";
    for (const auto& l : opt.labels()) ctx.out << '\t' << l;
    ctx.out << '\n';
    ctx.out << "total\t" << text::shortestText(opt.total()) << '\n';
    printLine(ctx, "p1", opt.player(0));
    printLine(ctx, "y", opt.result().y);
    printLine(ctx, "z", opt.suggestedChange());
    printLine(ctx, "j", opt.suggestedAmount());
    printLine(ctx, "x", opt.result().x);
    ctx.out << "growth\t" << text::shortestText(opt.result().growth) << '\n';
}

int optimiseRun(Context& ctx) {
    auto opt = openOptimisation(ctx);
    setBoxes(ctx, *opt);
    if (!opt->optimise()) return 1;
    if (const auto save = ctx.option("save"); save && !opt->savecs(*save)) return 1;
    printResult(ctx, *opt);
    return 0;
}

int optimiseCommand(Context& ctx) {
    try {
        if (ctx.call.args.empty()) return optimiseRun(ctx);
        const std::string& what = ctx.arg(0);
        if (what == "normalise") {
            if (ctx.call.args.size() != 2)
                throw UsageError("optimise normalise 需要一行四个值", ctx.call.command);
            auto values = row(ctx, "optimise normalise", ctx.arg(1));
            openOptimisation(ctx);
            optimiser::inp_ratio(values);
            for (std::size_t i = 0; i < 4; ++i) ctx.out << (i ? "\t" : "") << text::shortestText(values[i]);
            ctx.out << '\n';
            return 0;
        }
        if (ctx.call.args.size() != 1) throw UsageError("多余的参数：" + ctx.arg(1), ctx.call.command);
        if (what != "scenario" && what != "r13")
            throw UsageError("optimise 没有这个操作：" + what, ctx.call.command);
        for (const auto& [name, value] : ctx.call.options)
            if (name != "r12" && name != "r23" && (name != "r13" || what == "r13"))
                throw UsageError("optimise " + what + " 不带 --" + std::string(name), ctx.call.command);
        auto opt = openOptimisation(ctx);
        setCorrelations(ctx, *opt);
        if (what == "r13") {
            for (double r : opt->r13List()) ctx.out << text::shortestText(r) << '\n';
            return 0;
        }
        const auto p = optimiser::calcp123(opt->parameters().r);
        for (std::size_t a = 0; a < 3; ++a)
            for (std::size_t b = 0; b < 3; ++b)
                for (std::size_t c = 0; c < 3; ++c)
                    ctx.out << a << '\t' << b << '\t' << c << '\t' << text::shortestText(p[a][b][c]) << '\n';
        return 0;
    } catch (const Refused&) {
        return 1;
    }
}

std::uint64_t seedOf(Context& ctx) {
    if (const auto seed = ctx.option("seed")) {
        const auto v = text::parseInteger(*seed);
        if (!v) refuse(ctx, "'" + *seed + "'不是有效的整数（--seed）");
        return static_cast<std::uint64_t>(*v);
    }
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

optimiser::GameRules rulesOf(Context& ctx) {
    optimiser::GameRules rules;
    if (ctx.option("turns") && ctx.option("target"))
        throw UsageError("--turns 与 --target 只能选一个", ctx.call.command);
    if (const auto turns = ctx.option("turns")) {
        rules.turns = whole(ctx, *turns, "--turns");
        if (rules.turns < 10 || rules.turns > Game::kMaxTurns) refuse(ctx, "较量回合次数只能在10到1000之间");
    }
    if (const auto target = ctx.option("target")) {
        rules.end = optimiser::GameRules::End::Target;
        rules.target = number(ctx, *target, "--target");
        if (!(rules.target > 0)) refuse(ctx, "终级总金额必须大于0");
    }
    rules.linear = ctx.flag("linear");
    return rules;
}

// The replay of the game window, drawn into an image: one turn after another with the delay.
bool drawGame(Context& ctx, const Game& game, double delay, const std::string& file) {
    const auto app = offscreenApplication();
    optimiser::GameChart chart(game.linear());
    bool drawn = true;
    for (int t = 0; t <= game.lastTurn() && drawn; ++t) {
        drawn = chart.show(game.series(), t);
        if (delay > 0) std::this_thread::sleep_for(std::chrono::duration<double>(delay));
    }
    if (!drawn) ctx.prompter.message(optimiser::GameChart::kTooLarge);
    if (!gui::gameChartImage(game, chart).save(QString::fromStdString(file), "PNG")) {
        ctx.prompter.message("图形文件写不成：" + file);
        return false;
    }
    return true;
}

int simulateCommand(Context& ctx) {
    try {
        const auto rules = rulesOf(ctx);
        const double delay = ctx.option("delay") ? number(ctx, *ctx.option("delay"), "--delay") : 0;
        if (delay < 0 || delay > 60) refuse(ctx, "延迟时间只能在0到60秒之间");
        auto opt = openOptimisation(ctx);
        port::Random random(seedOf(ctx));
        setBoxes(ctx, *opt);
        if (!opt->prepareGame()) return 1;
        Game game({opt->forecast(), opt->participants()}, random);
        game.play(rules);
        ctx.out << "turns\t" << game.lastTurn() << '\n';
        printLine(ctx, "wealth", game.wealth());
        printLine(ctx, "price", game.priceIndex());
        for (const auto& line : game.leaderboard()) ctx.out << line << '\n';
        if (const auto png = ctx.option("png"); png && !drawGame(ctx, game, delay, *png)) return 1;
        return 0;
    } catch (const Refused&) {
        return 1;
    }
}

int groupsCommand(Context& ctx) {
    const std::string& what = ctx.arg(0);
    const bool setting = what == "set" || what == "set-division";
    if (!setting && !ctx.call.options.empty())
        throw UsageError("groups " + what + " 不带选项", ctx.call.command);
    if (!setting && what != "open" && what != "rebuild" && what != "apply")
        throw UsageError("groups 没有这个操作：" + what, ctx.call.command);
    const auto group = ctx.option("group");
    if (setting && !group) throw UsageError("缺少 --group", ctx.call.command);
    auto grouping = openGrouping(ctx);
    if (what == "rebuild") grouping->rebuild();
    if (what == "apply") grouping->apply();
    if (what == "set") {
        const auto code = ctx.option("code");
        if (!code || ctx.option("lx"))
            throw UsageError("groups set 需要 --code，不带 --lx", ctx.call.command);
        return grouping->setGroup(*code, *group) ? 0 : 1;
    }
    if (what == "set-division") {
        const auto lx = ctx.option("lx");
        if (!lx) throw UsageError("缺少 --lx", ctx.call.command);
        return grouping->setDivisionGroup(*lx, ctx.option("code").value_or(""), *group) ? 0 : 1;
    }
    return 0;
}

const std::vector<OptionSpec> kBoxOptions{
    {"prd", true},
    {"ini", true},
    {"e", true},
    {"d", true},
    {"cost", true},
    {"margin", true},
    {"r12", true},
    {"r23", true},
    {"r13", true},
    {"p1", true},
    {"overdraft-ratio", true},
    {"overdraft-rate", true},
};

std::vector<OptionSpec> withBoxes(std::vector<OptionSpec> more) {
    more.insert(more.begin(), kBoxOptions.begin(), kBoxOptions.end());
    return more;
}

}  // namespace

std::vector<Command> optimiserCommands() {
    return {
        {"groups",
         "open | rebuild | apply | set --code C --group N | set-division --lx LX [--code C] --group N",
         1,
         1,
         {{"code", true}, {"lx", true}, {"group", true}},
         true,
         groupsCommand},
        {"optimise",
         "[--prd FILE] [--ini a,b,c] [--e a,b,c,d] [--d a,b,c] [--cost a,b,c] [--margin a,b,c] [--r12 X] "
         "[--r23 Y] "
         "[--r13 Z] [--overdraft-ratio T] [--overdraft-rate T] [--p1 a,b,c,d] [--save FILE] | scenario "
         "[--r12 X "
         "--r23 Y --r13 Z] | r13 [--r12 X --r23 Y] | normalise a,b,c,d",
         0, 2, withBoxes({{"save", true}}), true, optimiseCommand},
        {"simulate",
         "[optimise 的选项] [--p2 a,b,c,d] [--p3 a,b,c,d] [--seed N] [--turns N | --target T] [--linear] "
         "[--delay S] "
         "[--png FILE]",
         0, 0,
         withBoxes({{"p2", true},
                    {"p3", true},
                    {"seed", true},
                    {"turns", true},
                    {"target", true},
                    {"linear", false},
                    {"delay", true},
                    {"png", true}}),
         true, simulateCommand},
    };
}

}  // namespace varneth::cli
