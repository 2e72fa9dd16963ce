// The fund window's actions and the capital transfer window's two groups, headless.
#include <memory>

#include "command.h"
#include "fund/fund_ledger.h"
#include "ledger/capital_transfer.h"
#include "report_file.h"
#include "text/numbers.h"

namespace varneth::cli {

namespace {

// The fund module as a login creates it: the ledger open, a manager row ensured, the last row current.
fund::FundLedger& openFund(Context& ctx) {
    return ctx.session->fund();
}

// "--from-row N": the N-th row of the ledger in its key order, as the grid numbers it. False (told)
// when the ledger has no such row.
bool moveToRow(Context& ctx, fund::FundLedger& fund) {
    const auto given = ctx.option("from-row");
    if (!given) return true;
    const auto n = text::parseInteger(*given);
    if (!n) throw UsageError("--from-row 应为行号：" + *given, ctx.call.command);
    storage::Cursor& t = fund.table();
    if (*n < 1 || *n > t.count()) {
        ctx.prompter.message("资金进出文件没有第" + *given + "行（共" + std::to_string(t.count()) + "行）");
        return false;
    }
    t.moveTo(static_cast<int>(*n - 1));
    return true;
}

int fundCommand(Context& ctx) {
    const std::string& action = ctx.arg(0);
    const bool takesRow = action == "recompute" || action == "report";
    if (!takesRow && ctx.option("from-row"))
        throw UsageError("fund " + action + " 不带 --from-row", ctx.call.command);
    if (action != "report" && ctx.option("out"))
        throw UsageError("只有 fund report 带 --out", ctx.call.command);
    if (action != "recompute" && action != "compress" && action != "fillnum" && action != "report")
        throw UsageError("fund 没有这个操作：" + action, ctx.call.command);
    const auto out = ctx.option("out");
    if (action == "report" && (!out || out->empty()))
        throw UsageError("fund report 需要 --out 文件", ctx.call.command);

    fund::FundLedger& fund = openFund(ctx);
    if (!moveToRow(ctx, fund)) return 1;
    if (action == "recompute") return fund.recompute() ? 0 : 1;
    if (action == "compress") return fund.compress() ? 0 : 1;
    if (action == "fillnum") return fund.fillnum() ? 0 : 1;
    ReportFile file(*out, ctx.prompter);
    return fund.report(file) ? 0 : 1;
}

std::unique_ptr<ledger::CapitalTransfer> openTransfer(Context& ctx) {
    return std::make_unique<ledger::CapitalTransfer>(ctx.engine, ctx.session->lookups(), openFund(ctx),
                                                     ctx.prompter, ctx.clock);
}

std::string required(Context& ctx, const char* name) {
    const auto v = ctx.option(name);
    if (!v) throw UsageError(std::string("缺少 --") + name, ctx.call.command);
    return *v;
}

int transferCommand(Context& ctx) {
    const std::string amount = required(ctx, "amount");
    return openTransfer(ctx)->transfer(ctx.option("from").value_or(""), ctx.option("to").value_or(""), amount)
               ? 0
               : 1;
}

int investCommand(Context& ctx) {
    ledger::Investment form;
    form.amount = required(ctx, "amount");
    form.pycode = ctx.option("pycode").value_or("");
    form.name = ctx.option("name").value_or("");
    form.zjzh = ctx.option("zjzh").value_or("");
    form.qsdm = ctx.option("qsdm").value_or("");
    form.xabc = ctx.option("xabc").value_or("");
    form.note = ctx.option("note").value_or("");
    return openTransfer(ctx)->invest(form) ? 0 : 1;
}

}  // namespace

std::vector<Command> fundCommands() {
    return {
        {"fund",
         "recompute [--from-row N] | compress | fillnum | report --out FILE [--from-row N]",
         1,
         1,
         {{"from-row", true}, {"out", true}},
         true,
         fundCommand},
        {"transfer",
         "--from ZJZH --to ZJZH --amount A",
         0,
         0,
         {{"from", true}, {"to", true}, {"amount", true}},
         true,
         transferCommand},
        {"invest",
         "--pycode P --name N --zjzh Z --qsdm Q --amount A --xabc T [--note S]",
         0,
         0,
         {{"pycode", true},
          {"name", true},
          {"zjzh", true},
          {"qsdm", true},
          {"amount", true},
          {"xabc", true},
          {"note", true}},
         true,
         investCommand},
    };
}

}  // namespace varneth::cli
