// The journal of actions: listing, the rows of one entry, its size limit, and undo.
#include <sstream>

#include "command.h"
#include "history/history.h"
#include "text/numbers.h"

namespace varneth::cli {

namespace {

std::int64_t positive(const Context& ctx, const std::string& given, const char* what) {
    const auto n = text::parseInteger(given);
    if (!n || *n <= 0) throw UsageError(std::string(what) + "应为正整数：" + given, ctx.call.command);
    return *n;
}

int listEntries(Context& ctx) {
    std::size_t limit = 0;
    if (auto given = ctx.option("limit")) limit = static_cast<std::size_t>(positive(ctx, *given, "--limit "));
    std::ostringstream tsv;
    tsv << "serial\ttime\taccount\taction\trows\n";
    for (const auto& e : history::History(ctx.engine).entries(limit))
        tsv << e.serial << '\t' << e.time << '\t' << e.account << '\t' << e.action << '\t' << e.rowsText()
            << '\n';
    ctx.out << tsv.str();
    return 0;
}

int showEntry(Context& ctx) {
    const std::int64_t serial = positive(ctx, ctx.arg(1), "操作序号");
    history::History history(ctx.engine);
    bool known = false;
    for (const auto& e : history.entries()) known = known || e.serial == serial;
    if (!known) {
        ctx.prompter.message("第" + std::to_string(serial) + "号操作不在操作历史中。");
        return 1;
    }
    std::ostringstream tsv;
    tsv << "table\tkey\tfield\told\tnew\n";
    for (const auto& c : history.changes(serial))
        tsv << c.table << '\t' << c.key << '\t' << c.field << '\t' << c.before << '\t' << c.after << '\n';
    ctx.out << tsv.str();
    return 0;
}

int historyCommand(Context& ctx) {
    if (ctx.call.args.empty()) return listEntries(ctx);
    const std::string& what = ctx.arg(0);
    if (ctx.call.args.size() != 2 || (what != "show" && what != "limit") || ctx.option("limit"))
        throw UsageError("history 后应为 show 序号 或 limit MB", ctx.call.command);
    if (what == "show") return showEntry(ctx);
    ctx.engine.setJournalLimitMb(positive(ctx, ctx.arg(1), "大小限制(MB)"));
    return 0;
}

int undoCommand(Context& ctx) {
    const std::int64_t serial = positive(ctx, ctx.arg(0), "操作序号");
    return history::undo(ctx.engine, serial, ctx.prompter) ? 0 : 1;
}

}  // namespace

std::vector<Command> historyCommands() {
    return {
        {"history", "[--limit N] | show 序号 | limit MB", 0, 2, {{"limit", true}}, true, historyCommand},
        {"undo", "序号", 1, 1, {}, true, undoCommand},
    };
}

}  // namespace varneth::cli
