// The main window's two views of the ledger, as tab-separated tables.
#include <sstream>

#include "app/main_views.h"
#include "command.h"
#include "tsv.h"

namespace varneth::cli {

namespace {

void writeView(std::ostream& out, const char* caption, const storage::Cursor& c) {
    out << caption << '\n';
    writeTsv(out, c);
}

int view(Context& ctx) {
    const std::string& arg = ctx.arg(0);
    if (arg != "0" && arg != "1" && arg != "2")
        throw UsageError("显示选择只能是 0、1 或 2：" + arg, ctx.call.command);
    const int choice = arg[0] - '0';
    const auto code = ctx.option("code");
    const auto qsdm = ctx.option("qsdm");
    const auto zjzh = ctx.option("zjzh");
    if (code && choice == app::MainViews::kByAccount)
        throw UsageError("--code 只用于显示选择 0 和 2", ctx.call.command);
    if ((qsdm || zjzh) && choice != app::MainViews::kByAccount)
        throw UsageError("--qsdm 和 --zjzh 只用于显示选择 1", ctx.call.command);
    if (qsdm.has_value() != zjzh.has_value())
        throw UsageError("--qsdm 和 --zjzh 要一起给出", ctx.call.command);

    // As the main window comes up, then the choice; the unconfirmed orders keep the catalog by code.
    app::MainViews views(ctx.session->kvt());
    views.up_open();
    if (choice != app::MainViews::kByCode) views.setDisplayChoice(choice);
    if (code && !views.findInCatalog("CODE", {storage::Value(*code)})) {
        ctx.prompter.message("目录中没有代码 " + *code);
        return 1;
    }
    if (qsdm && !views.findInCatalog("qsdm;zjzh", {storage::Value(*qsdm), storage::Value(*zjzh)})) {
        ctx.prompter.message("目录中没有券商代码 " + *qsdm + " 资金帐号 " + *zjzh);
        return 1;
    }
    std::ostringstream tsv;
    writeView(tsv, "catalog", views.catalog());
    tsv << '\n';
    writeView(tsv, "detail", views.detail());
    ctx.out << tsv.str();
    return 0;
}

}  // namespace

std::vector<Command> viewCommands() {
    return {
        {"view",
         "0|1|2 [--code C | --qsdm Q --zjzh Z]",
         1,
         1,
         {{"code", true}, {"qsdm", true}, {"zjzh", true}},
         true,
         view,
         Command::Access::Read},
    };
}

}  // namespace varneth::cli
