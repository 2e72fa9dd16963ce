// The fund management window's reports headless. A report goes to --out, or to the name the save
// dialog proposes in the account's report folder; the printer-or-file question is never asked.
#include <fstream>
#include <memory>
#include <sstream>

#include "fund/cash_account_report.h"
#include "fund/investor_reports.h"
#include "investor_report_commands.h"
#include "report_file.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::cli {

namespace {

using fund::FundManager;
using fund::ReportTarget;

std::string required(const Context& ctx, const char* name) {
    const auto v = ctx.option(name);
    if (!v || v->empty()) throw UsageError(std::string("缺少 --") + name, ctx.call.command);
    return *v;
}

void refuseOptions(const Context& ctx, const std::string& action, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (ctx.option(name)) throw UsageError("investors " + action + " 不带 --" + name, ctx.call.command);
}

fund::ReportDefinition definition(const Context& ctx) {
    fund::ReportDefinition def;
    def.fundName = ctx.option("fund-name").value_or(fund::currentFundName(ctx.engine));
    return def;
}

// The sink of a report: --out, or the proposed name (told, since the user did not choose it).
fund::OpenReport fileFor(Context& ctx, const char* prefix, const std::string& name) {
    return [&ctx, prefix, name](ReportTarget) -> std::unique_ptr<port::ReportSink> {
        const auto out = ctx.option("out");
        std::filesystem::path file;
        if (out && !out->empty()) {
            file = std::filesystem::path(*out);
        } else {
            file = fund::proposedReportFile(ctx.session->accountDir(), prefix, name, ctx.clock.now());
            ctx.out << file.string() << '\n';
        }
        return std::make_unique<ReportFile>(file, ctx.prompter);
    };
}

bool unknownInvestor(Context& ctx, const std::string& pycode) {
    ctx.prompter.message("投资人代码" + pycode + "不存在,放弃操作。");
    return false;
}

// The shown window on the investor, with the display choice of --show.
bool openOn(Context& ctx, FundManager& m, const std::optional<std::string>& pycode) {
    if (const auto show = ctx.option("show")) {
        if (*show != "1" && *show != "2" && *show != "3")
            throw UsageError("--show 只能是 1、2 或 3：" + *show, ctx.call.command);
        m.setDisplay(static_cast<FundManager::Display>((*show)[0] - '1'));
    }
    if (pycode && !m.findInvestor(*pycode)) return unknownInvestor(ctx, *pycode);
    return true;
}

int voucher(Context& ctx, FundManager& m, fund::InvestorReports& reports) {
    refuseOptions(ctx, "report voucher",
                  {"xabc", "title", "no-all-records", "brief", "no-details", "qsdm", "zjzh"});
    const std::string pycode = required(ctx, "pycode");
    if (!openOn(ctx, m, pycode)) return 1;
    storage::Cursor& rows = m.details();
    const std::string given = ctx.option("row").value_or("1");
    const auto n = text::parseInteger(given);
    if (!n) throw UsageError("--row 应为行号：" + given, ctx.call.command);
    if (*n < 1 || *n > rows.count()) {
        ctx.prompter.message("明细中没有第" + given + "行,放弃操作。");
        return 1;
    }
    rows.moveTo(static_cast<int>(*n - 1));
    const std::string name = text::trim(rows.text("name"));
    return reports.voucher(definition(ctx), fileFor(ctx, "Receipt_", name), ReportTarget::File) ? 0 : 1;
}

int stage(Context& ctx, FundManager& m, fund::InvestorReports& reports) {
    refuseOptions(ctx, "report stage", {"row", "no-details", "qsdm", "zjzh"});
    const std::string pycode = required(ctx, "pycode");
    if (!openOn(ctx, m, pycode)) return 1;
    if (const auto xabc = ctx.option("xabc")) {
        if (!m.investors().locate("pycode;xabc", {storage::Value(pycode), storage::Value(*xabc)})) {
            ctx.prompter.message("投资人代码" + pycode + "没有类型" + *xabc + "的记录,放弃操作。");
            return 1;
        }
    }
    fund::ReportDefinition def = definition(ctx);
    if (const auto title = ctx.option("title")) def.title = *title;
    def.allRecords = !ctx.flag("no-all-records");
    if (const auto brief = ctx.option("brief")) {
        std::ifstream in(std::filesystem::path(*brief), std::ios::binary);
        if (!in) {
            ctx.prompter.message("不能读文件：" + *brief);
            return 1;
        }
        std::ostringstream memo;
        memo << in.rdbuf();
        def.brief = true;
        def.memo = memo.str();
    }
    const std::string name = text::trim(m.investors().text("name"));
    return reports.stage(def, fileFor(ctx, "Rep_", name), ReportTarget::File) ? 0 : 1;
}

}  // namespace

int investorReportCommand(Context& ctx, FundManager& m) {
    if (ctx.call.args.size() != 2)
        throw UsageError("investors report 需要 voucher、stage、total 或 account", ctx.call.command);
    const std::string& kind = ctx.arg(1);
    if (kind == "account") return cashAccountsCommand(ctx);
    fund::InvestorReports reports(ctx.engine, m, ctx.prompter, ctx.clock);
    if (kind == "voucher") return voucher(ctx, m, reports);
    if (kind == "stage") return stage(ctx, m, reports);
    if (kind != "total") throw UsageError("investors report 没有这种报告：" + kind, ctx.call.command);
    refuseOptions(
        ctx, "report total",
        {"pycode", "row", "xabc", "title", "no-all-records", "brief", "no-details", "qsdm", "zjzh"});
    if (!openOn(ctx, m, std::nullopt)) return 1;
    return reports.total(definition(ctx), fileFor(ctx, "Rep_for_all", ""), ReportTarget::File) ? 0 : 1;
}

int cashAccountsCommand(Context& ctx) {
    const bool report = ctx.arg(0) == "report";
    if (!report && ctx.call.args.size() != 1)
        throw UsageError("investors accounts 不带参数", ctx.call.command);
    refuseOptions(ctx, report ? "report account" : "accounts",
                  {"pycode", "row", "xabc", "title", "no-all-records", "brief", "show"});
    if (!report) refuseOptions(ctx, "accounts", {"out", "fund-name", "no-details"});
    const std::string qsdm = required(ctx, "qsdm"), zjzh = required(ctx, "zjzh");
    fund::CashAccounts accounts(ctx.engine, ctx.session->lookups(), ctx.prompter, ctx.clock);
    accounts.open();
    if (!accounts.select(qsdm, zjzh)) {
        ctx.prompter.message("资金帐户" + qsdm + "," + zjzh + "不存在,放弃操作。");
        return 1;
    }
    if (report)
        return accounts.print(definition(ctx).fundName, !ctx.flag("no-details"), fileFor(ctx, "Rep_", zjzh),
                              ReportTarget::File)
                   ? 0
                   : 1;
    const fund::AccountSummary s = accounts.selezj();
    ctx.out << "账户代码:" << s.code << "\n金额:" << s.amount << "\n持仓市值=" << s.value << '\n'
            << s.first << '\n'
            << s.second << '\n';
    return 0;
}

}  // namespace varneth::cli
