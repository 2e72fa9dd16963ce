// The linked order program (its settings and the link file) and the corporate actions of an account.
#include "accounts/linked_program.h"
#include "command.h"
#include "ledger/corporate_actions.h"
#include "text/numbers.h"

namespace varneth::cli {

namespace {

namespace fs = std::filesystem;

// Options belong to one sub-command each; one given to another is a usage error.
void onlyOptions(const Context& ctx, std::initializer_list<const char*> allowed) {
    for (const auto& [name, value] : ctx.call.options) {
        bool ok = false;
        for (const char* a : allowed) ok = ok || name == a;
        if (!ok) throw UsageError("选项 --" + name + " 不属于 " + ctx.arg(0), ctx.call.command);
    }
}

std::string required(const Context& ctx, const char* option) {
    auto v = ctx.option(option);
    if (!v || v->empty()) throw UsageError(ctx.arg(0) + " 需要 --" + option, ctx.call.command);
    return *v;
}

int link(Context& ctx) {
    app::Session& s = *ctx.session;
    accounts::LinkedProgram linked(s.engine(), s.programDir(), s.accountDir(), ctx.prompter, ctx.clock);
    if (ctx.arg(0) == "set") {
        onlyOptions(ctx, {"path", "name"});
        const std::string dir = fs::absolute(required(ctx, "path")).lexically_normal().string();
        return linked.setProgram(dir, required(ctx, "name")) ? 0 : 1;
    }
    if (ctx.arg(0) == "write") {
        onlyOptions(ctx, {});
        return linked.closing() ? 0 : 1;
    }
    throw UsageError("link 只有 set 和 write：" + ctx.arg(0), ctx.call.command);
}

int corporateAction(Context& ctx) {
    app::Session& s = *ctx.session;
    ledger::CorporateActions actions(s.engine(), s.prices(), ctx.prompter, s.programDir(), s.accountDir());
    if (ctx.arg(0) == "apply") {
        onlyOptions(ctx, {"row", "no-cash"});
        const auto row = text::parseInteger(required(ctx, "row"));
        if (!row) throw UsageError("--row 应是记录的序号", ctx.call.command);
        storage::Cursor& entries = actions.entries();
        if (*row < 1 || *row > entries.count()) {
            ctx.prompter.message("没有第" + std::to_string(*row) + "个记录(共" +
                                 std::to_string(entries.count()) + "个)。");
            return 1;
        }
        entries.moveTo(static_cast<int>(*row - 1));
        return actions.apply(!ctx.flag("no-cash")) ? 0 : 1;
    }
    if (ctx.arg(0) == "fetch") {
        onlyOptions(ctx, {});
        return actions.fetch() ? 0 : 1;
    }
    throw UsageError("corporate-action 只有 apply 和 fetch：" + ctx.arg(0), ctx.call.command);
}

}  // namespace

std::vector<Command> linkCommands() {
    return {
        {"link", "set --path DIR --name FILE | write", 1, 1, {{"path", true}, {"name", true}}, true, link},
        {"corporate-action",
         "apply --row N [--no-cash] | fetch",
         1,
         1,
         {{"row", true}, {"no-cash", false}},
         true,
         corporateAction},
    };
}

}  // namespace varneth::cli
