// The price window's actions and its two setting windows, headless: the quote source in use, its
// path, the three updates and the day-file format test.
#include "command.h"
#include "prices/format_test.h"
#include "prices/price_update.h"
#include "prices/quote_source.h"

namespace varneth::cli {

namespace {

prices::DisplayMode displayMode(const Context& ctx) {
    const std::string mode = ctx.option("mode").value_or("2");
    if (mode == "0") return prices::DisplayMode::UpdateOnly;
    if (mode == "1") return prices::DisplayMode::ShowOnly;
    if (mode == "2") return prices::DisplayMode::Both;
    throw UsageError("--mode 只能是 0、1 或 2", ctx.call.command);
}

int update(Context& ctx, prices::QuoteSources& sources,
           bool (prices::PriceUpdate::*action)(prices::DisplayMode)) {
    const prices::DisplayMode mode = displayMode(ctx);
    prices::PriceUpdate update(ctx.engine, sources, ctx.prompter, ctx.clock);
    update.setHooks({[&ctx](const std::string& item) { ctx.out << item << '\n'; }, {}, {}});
    return (update.*action)(mode) ? 0 : 1;
}

int pricesCommand(Context& ctx) {
    const std::string& action = ctx.arg(0);
    const bool takesArg = action == "source" || action == "path" || action == "test-format";
    if (takesArg != (ctx.call.args.size() == 2))
        throw UsageError(takesArg ? "prices " + action + " 需要一个参数" : "prices " + action + " 不带参数",
                         ctx.call.command);
    const bool updates = action == "update-all" || action == "update-mine" || action == "update-codes";
    if (!updates && ctx.option("mode")) throw UsageError("只有 prices update-… 带 --mode", ctx.call.command);

    prices::QuoteSources sources(ctx.engine);
    if (action == "update-all") return update(ctx, sources, &prices::PriceUpdate::updateAll);
    if (action == "update-mine") return update(ctx, sources, &prices::PriceUpdate::updateMine);
    if (action == "update-codes") return update(ctx, sources, &prices::PriceUpdate::updateCodes);
    if (action == "source") {
        if (sources.choose(ctx.arg(1))) return 0;
        ctx.prompter.message("没有这个数据源：" + ctx.arg(1));
        return 1;
    }
    if (action != "path" && action != "test-format")
        throw UsageError("prices 没有这个操作：" + action, ctx.call.command);
    if (!sources.toCurrent()) {
        ctx.prompter.message(prices::PriceUpdate::kUnusable);
        return 1;
    }
    if (action == "test-format")
        return prices::FormatTest(ctx.engine, sources, ctx.prompter).run(ctx.arg(1)) ? 0 : 1;
    std::error_code ec;
    const auto dir = std::filesystem::absolute(ctx.arg(1), ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        ctx.prompter.message(prices::PriceUpdate::kNoDirectory);
        return 1;
    }
    if (sources.setPath(dir)) return 0;
    ctx.prompter.message(prices::QuoteSources::kPathTooLong);
    return 1;
}

}  // namespace

std::vector<Command> pricesCommands() {
    return {
        {"prices",
         "source HQCODE | path DIR | update-all|update-mine|update-codes [--mode 0|1|2] | test-format FILE",
         1,
         2,
         {{"mode", true}},
         true,
         pricesCommand},
    };
}

}  // namespace varneth::cli
