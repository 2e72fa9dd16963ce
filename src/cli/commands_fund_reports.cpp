// The commission statistics window and the investor address book tab, headless. Both are reached
// from the fund management window; the command that reads its investor grid values them first.
#include <memory>

#include "command.h"
#include "fund/address_book.h"
#include "fund/commission_stats.h"
#include "fund/fund_manager.h"
#include "fund/investment_types.h"
#include "fund/report_output.h"
#include "report_file.h"
#include "text/numbers.h"
#include "tsv.h"

namespace varneth::cli {

namespace {

using fund::AddressBook;
using fund::CommissionStats;

std::unique_ptr<fund::FundManager> openManager(Context& ctx) {
    return std::make_unique<fund::FundManager>(ctx.engine, ctx.session->fund(), ctx.prompter, ctx.clock);
}

void noOptions(const Context& ctx, std::initializer_list<const char*> names, const std::string& what) {
    for (const char* n : names)
        if (ctx.option(n)) throw UsageError(what + " 不带 --" + n, ctx.call.command);
}

int commissionStats(Context& ctx) {
    auto manager = openManager(ctx);
    CommissionStats stats(ctx.engine, ctx.session->fund(), *manager, ctx.prompter, ctx.clock);
    if (!ctx.call.args.empty()) {
        if (ctx.arg(0) != "offsets")
            throw UsageError("commission-stats 没有这个操作：" + ctx.arg(0), ctx.call.command);
        noOptions(ctx, {"year", "month", "rate"}, "commission-stats offsets");
        const std::string given = ctx.option("czxh").value_or("");
        const auto n = text::parseInteger(given);
        if (!n) throw UsageError("--czxh 应为撤资序号：" + given, ctx.call.command);
        stats.showOffsets(*n);
        writeTsv(ctx.out, stats.offsets());
        return 0;
    }
    noOptions(ctx, {"czxh"}, "commission-stats");
    // Only settled rows are counted, which no valuation changes: the ledger is left as it is.
    stats.setLabelSink([&ctx](CommissionStats::Label, const std::string& text) { ctx.out << text << '\n'; });
    const auto totals = stats.run(ctx.option("rate").value_or(CommissionStats::kPresetRate),
                                  ctx.option("year").value_or(CommissionStats::kPresetYear),
                                  ctx.option("month").value_or(CommissionStats::kPresetMonth));
    return totals && totals->rows > 0 ? 0 : 1;
}

// The entry of --pycode made current; false (told) when the book has none.
bool selectEntry(Context& ctx, AddressBook& book) {
    const auto code = ctx.option("pycode");
    if (!code || code->empty()) throw UsageError("缺少 --pycode", ctx.call.command);
    return book.select(*code);
}

int printBook(Context& ctx, AddressBook& book) {
    const std::string order = ctx.option("order").value_or("pycode");
    if (order != "pycode" && order != "pcpy")
        throw UsageError("--order 只能是 pycode 或 pcpy：" + order, ctx.call.command);
    book.setOrder(order == "pycode" ? AddressBook::Order::Pycode : AddressBook::Order::Pcpy);
    const std::string fundName = ctx.option("fund-name").value_or(fund::currentFundName(ctx.engine));
    const auto out = ctx.option("out");
    const std::string file = out ? *out
                                 : fund::proposedReportFile(ctx.session->accountDir(),
                                                            AddressBook::kFilePrefix, "", ctx.clock.now())
                                       .string();
    ReportFile report(file, ctx.prompter);
    book.print(fundName, ctx.clock.now(), report);
    if (!report.finish()) return 1;
    ctx.out << file << '\n';
    return 0;
}

int addressBook(Context& ctx) {
    const std::string& action = ctx.arg(0);
    AddressBook book(ctx.engine, ctx.prompter);
    const bool printing = action == "print";
    if (!printing) noOptions(ctx, {"order", "out", "fund-name"}, "addr " + action);
    if (printing || action == "fill-from-investors") noOptions(ctx, {"pycode"}, "addr " + action);
    if (action == "fill-names") {
        if (!ctx.option("pycode")) {
            book.fillNames();
            return 0;
        }
        return selectEntry(ctx, book) && book.fillNamesOfCurrent() ? 0 : 1;
    }
    if (action == "fill-from-investors") {
        auto manager = openManager(ctx);
        manager->show();
        book.fillFromInvestors(manager->investors());
        return 0;
    }
    if (action == "delete") return selectEntry(ctx, book) && book.removeCurrent() ? 0 : 1;
    if (action == "copy") return selectEntry(ctx, book) && book.copyCurrent() ? 0 : 1;
    if (printing) return printBook(ctx, book);
    throw UsageError("addr 没有这个操作：" + action, ctx.call.command);
}

}  // namespace

std::vector<Command> fundReportCommands() {
    return {
        {"commission-stats",
         "[--year Y] [--month MM-01] [--rate R] | offsets --czxh N",
         0,
         1,
         {{"year", true}, {"month", true}, {"rate", true}, {"czxh", true}},
         true,
         commissionStats},
        {"addr",
         "fill-names [--pycode P] | fill-from-investors | delete --pycode P | copy --pycode P | "
         "print [--order pycode|pcpy] [--out FILE] [--fund-name T]",
         1,
         1,
         {{"pycode", true}, {"order", true}, {"out", true}, {"fund-name", true}},
         true,
         addressBook},
    };
}

}  // namespace varneth::cli
