// The settings window's buttons, the margin calculator and the exchange quote window, headless:
// each action runs as the open window runs it, on the holdings view in its order.
#include <map>

#include "command.h"
#include "prices/exchange_quotes.h"
#include "reference/maintenance.h"
#include "reference/margin.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::cli {

namespace {

using reference::Maintenance;

reference::Maintenance maintenanceOf(Context& ctx) {
    app::Session& s = *ctx.session;
    return Maintenance(ctx.engine, s.holdings().ledger(), s.lookups(), s.prices(), ctx.prompter, ctx.clock);
}

// "settings TAB ACTION": the tab's button of that name.
int settings(Context& ctx) {
    using Action = std::function<int(Maintenance&, Context&)>;
    const auto done = [](auto f) {
        return Action([f](Maintenance& m, Context&) {
            (m.*f)();
            return 0;
        });
    };
    const auto checked = [](bool (Maintenance::*f)()) {
        return Action([f](Maintenance& m, Context&) { return (m.*f)() ? 0 : 1; });
    };
    static const std::map<std::pair<std::string, std::string>, Action> actions = {
        {{"types", "append"}, done(&Maintenance::appendTypes)},
        {{"types", "update"}, checked(&Maintenance::updateTypeNames)},
        {{"prices", "append"}, done(&Maintenance::appendPrices)},
        {{"prices", "regenerate"}, done(&Maintenance::regeneratePrices)},
        {{"prices", "from-general"}, done(&Maintenance::pricesFromGeneral)},
        {{"prices", "to-ledger"}, done(&Maintenance::pricesToLedger)},
        {{"brokers", "append"}, done(&Maintenance::appendBrokers)},
        {{"brokers", "regenerate"}, done(&Maintenance::regenerateBrokers)},
        {{"brokers", "fill-names"}, checked(&Maintenance::fillBrokerNames)},
        {{"rules", "append"}, done(&Maintenance::appendRuleTypes)},
        {{"rules", "apply"}, checked(&Maintenance::applyRules)},
        {{"currencies", "set-settlement"},
         [](Maintenance& m, Context& c) {
             storage::Cursor& bi = c.session->lookups().currencies();
             if (!bi.locate("Code", {storage::Value(*c.option("code"))})) {
                 c.prompter.message("没有此货币代码!");
                 return 1;
             }
             return m.setSettlement() ? 0 : 1;
         }},
        {{"currencies", "append-accounts"}, done(&Maintenance::appendAccounts)},
        {{"currencies", "regenerate"}, done(&Maintenance::regenerateAccounts)},
        {{"currencies", "update-rates"}, done(&Maintenance::updateRates)},
    };
    const auto it = actions.find({ctx.arg(0), ctx.arg(1)});
    if (it == actions.end())
        throw UsageError("settings 没有这个操作：" + ctx.arg(0) + " " + ctx.arg(1), ctx.call.command);
    const bool settlement = ctx.arg(1) == "set-settlement";
    if (settlement != ctx.option("code").has_value())
        throw UsageError(settlement ? "set-settlement 需要 --code" : "只有 set-settlement 带 --code",
                         ctx.call.command);
    Maintenance m = maintenanceOf(ctx);
    return it->second(m, ctx);
}

long long integerOption(Context& ctx, const std::string& name, long long fallback) {
    const auto text = ctx.option(name);
    if (!text) return fallback;
    const auto v = text::parseInteger(*text);
    if (!v) throw UsageError("--" + name + " 要一个整数：" + *text, ctx.call.command);
    return *v;
}

// The calculator's fields from the options; the ratio field's text is the last line printed.
int margin(Context& ctx) {
    using reference::MarginCalculator;
    const long long lot = integerOption(ctx, "lot", MarginCalculator::kDefaultMargin);
    const long long units = integerOption(ctx, "units", MarginCalculator::kDefaultUnits);
    const long long price = integerOption(ctx, "price", MarginCalculator::kDefaultPrice);
    MarginCalculator calc(ctx.engine, ctx.session->lookups(), ctx.prompter);
    const auto lx = ctx.option("apply");
    if (lx) {
        const auto type = calc.typeText(*lx);
        if (!type) {
            ctx.prompter.message("类型表中没有类型码" + *lx);
            return 1;
        }
        ctx.out << *type << '\n';
    }
    std::string field = MarginCalculator::kDefaultRatio;
    bool ok = true;
    if (const auto typed = ctx.option("ratio")) {
        field = *typed;
    } else if (const auto computed = calc.calculate(lot, units, price)) {
        field = *computed;
    } else {
        ok = false;
    }
    if (ok && lx) ok = calc.checkRatio(field).has_value();
    ctx.out << field << '\n';
    if (!ok) return 1;
    return lx && !calc.apply(*lx, field) ? 1 : 0;
}

int exchange(Context& ctx) {
    using prices::ExchangeQuotes;
    const std::string& action = ctx.arg(0);
    if (action == "links") {
        if (ctx.option("from")) throw UsageError("exchange links 不带 --from", ctx.call.command);
        const long long line = integerOption(ctx, "line", 1);
        const auto locations = ExchangeQuotes::locations(ctx.session->programDir());
        if (line < 1 || line > static_cast<long long>(locations.size())) {
            ctx.prompter.message(std::string(ExchangeQuotes::kLocationsFile) + "中没有第" +
                                 std::to_string(line) + "行");
            return 1;
        }
        for (const auto& link : ExchangeQuotes::links(locations[static_cast<std::size_t>(line - 1)]))
            ctx.out << link << '\n';
        return 0;
    }
    if (action != "import") throw UsageError("exchange 没有这个操作：" + action, ctx.call.command);
    if (ctx.option("line")) throw UsageError("exchange import 不带 --line", ctx.call.command);
    const std::filesystem::path from = ctx.option("from").value_or(ctx.session->programDir().string());
    Maintenance m = maintenanceOf(ctx);
    ExchangeQuotes quotes(ctx.engine, m, ctx.prompter);
    quotes.setStatus([&ctx](const std::string& status, bool final) {
        if (final) ctx.out << text::trimRight(status) << '\n';
    });
    return quotes.update(from) ? 0 : 1;
}

}  // namespace

std::vector<Command> settingsCommands() {
    return {
        {"settings",
         "types append|update | prices append|regenerate|from-general|to-ledger | "
         "brokers append|regenerate|fill-names | rules append|apply | "
         "currencies set-settlement --code C|append-accounts|regenerate|update-rates",
         2,
         2,
         {{"code", true}},
         true,
         settings},
        {"margin",
         "[--lot N] [--units N] [--price N] [--ratio TEXT] [--apply LX]",
         0,
         0,
         {{"lot", true}, {"units", true}, {"price", true}, {"ratio", true}, {"apply", true}},
         true,
         margin},
        {"exchange",
         "import [--from FOLDER] | links [--line N]",
         1,
         1,
         {{"from", true}, {"line", true}},
         true,
         exchange},
    };
}

}  // namespace varneth::cli
