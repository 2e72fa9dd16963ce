// The fund management window and the capital in/out window headless: each command opens the
// window as showing it does (the valuation first) and acts as the window's buttons.
#include <algorithm>
#include <memory>
#include <sstream>

#include "command.h"
#include "fund/capital_entry.h"
#include "fund/fund_manager.h"
#include "investor_report_commands.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "tsv.h"

namespace varneth::cli {

namespace {

using fund::FundManager;

std::unique_ptr<FundManager> openManager(Context& ctx) {
    auto m = std::make_unique<FundManager>(ctx.engine, ctx.session->fund(), ctx.prompter, ctx.clock);
    return m;
}

FundManager::Display displayOption(const Context& ctx) {
    const std::string given = ctx.option("show").value_or("1");
    if (given == "1") return FundManager::Display::Live;
    if (given == "2") return FundManager::Display::WithSettled;
    if (given == "3") return FundManager::Display::All;
    throw UsageError("--show 只能是 1、2 或 3：" + given, ctx.call.command);
}

std::string required(const Context& ctx, const char* name) {
    const auto v = ctx.option(name);
    if (!v || v->empty()) throw UsageError(std::string("缺少 --") + name, ctx.call.command);
    return *v;
}

// The window shown, the display choice made and, when asked, the investor selected in the grid.
bool openOn(Context& ctx, FundManager& m, const std::optional<std::string>& pycode) {
    m.show();
    if (ctx.call.command->findOption("show")) m.setDisplay(displayOption(ctx));
    if (pycode && !m.findInvestor(*pycode)) {
        ctx.prompter.message("投资人代码" + *pycode + "不存在,放弃操作。");
        return false;
    }
    return true;
}

void expectArgs(const Context& ctx, std::size_t n, const std::string& what) {
    if (ctx.call.args.size() != n) throw UsageError("investors " + what + " 的参数不对", ctx.call.command);
}

// A grid under the window's own column names: the rows as `writeTsv` gives them, its header replaced.
void writeGrid(std::ostream& out, const char* header, const storage::Cursor& grid) {
    std::ostringstream rows;
    writeTsv(rows, grid);
    const std::string text = rows.str();
    out << header << '\n' << text.substr(std::min(text.size(), text.find('\n') + 1));
}

int typesCommand(Context& ctx, FundManager& m) {
    if (ctx.call.args.size() < 2) throw UsageError("investors types 需要操作", ctx.call.command);
    const std::string& action = ctx.arg(1);
    fund::InvestmentTypes& types = m.types();
    const auto select = [&]() {
        const std::string code = required(ctx, "xabc");
        if (types.table().findKey({storage::Value(code)})) return true;
        ctx.prompter.message("投资类型" + code + "没有定义,放弃操作。");
        return false;
    };
    if (action == "check") {
        expectArgs(ctx, 2, "types check");
        if (!select()) return 1;
        types.check();
        return 0;
    }
    if (action == "set") {
        if (!select()) return 1;
        for (std::size_t i = 2; i < ctx.call.args.size(); ++i) {
            const std::string& pair = ctx.arg(i);
            const auto eq = pair.find('=');
            if (eq == std::string::npos) throw UsageError("应为 名称=值：" + pair, ctx.call.command);
            if (!types.setField(pair.substr(0, eq), pair.substr(eq + 1))) return 1;
        }
        return 0;
    }
    if (action == "insert") {
        expectArgs(ctx, 2, "types insert");
        types.insertType();
        return 0;
    }
    if (action == "delete") {
        expectArgs(ctx, 2, "types delete");
        if (!select()) return 1;
        types.removeCurrent();
        return 0;
    }
    if (action == "leave") {
        expectArgs(ctx, 2, "types leave");
        types.leave();
        return 0;
    }
    throw UsageError("investors types 没有这个操作：" + action, ctx.call.command);
}

int commissionCommand(Context& ctx, FundManager& m) {
    if (ctx.call.args.size() != 2) throw UsageError("investors commission 需要一个操作", ctx.call.command);
    const std::string& action = ctx.arg(1);
    if (action == "search") return m.searchCommission() ? 0 : 1;
    if (action == "draw-all") return m.drawAll() ? 0 : 1;
    if (action != "draw") throw UsageError("investors commission 没有这个操作：" + action, ctx.call.command);
    const std::string pycode = required(ctx, "pycode"), xabc = required(ctx, "xabc");
    storage::Cursor& c = m.candidates();
    int row = -1;
    for (int i = 0; i < c.count() && row < 0; ++i) {
        c.moveTo(i);
        if (c.text("PYCODE") == pycode && c.text("XABC") == xabc && c.value("Czxh").toInt() == 0) row = i;
    }
    if (row < 0) {
        ctx.prompter.message(FundManager::kNoRecord);
        return 1;
    }
    return m.drawSelected(row) ? 0 : 1;
}

int investorsCommand(Context& ctx) {
    const std::string& action = ctx.arg(0);
    auto m = openManager(ctx);
    if (action == "value") {
        expectArgs(ctx, 1, action);
        openOn(ctx, *m, std::nullopt);
        writeGrid(ctx.out, "pycode\tname\txabc\tinput\tasset\tunit\ta_price\tzzl\tdmoney", m->investors());
        return 0;
    }
    if (action == "detail") {
        expectArgs(ctx, 1, action);
        if (!openOn(ctx, *m, required(ctx, "pycode"))) return 1;
        writeGrid(ctx.out,
                  "dt\tpycode\tname\txabc\tinput\tasset\tunit\tprice\tl_"
                  "price\tzzl\tdmoney\tczxh\tsz\tshz\tnote\tqsdm\tzjzh",
                  m->details());
        return 0;
    }
    m->show();
    if (action == "withdrawals") {
        expectArgs(ctx, 1, action);
        m->withdrawals();
        return 0;
    }
    if (action == "commission") return commissionCommand(ctx, *m);
    if (action == "types") return typesCommand(ctx, *m);
    if (action == "report") return investorReportCommand(ctx, *m);
    if (action == "accounts") return cashAccountsCommand(ctx);
    throw UsageError("investors 没有这个操作：" + action, ctx.call.command);
}

void printForm(std::ostream& out, const fund::CapitalForm& f) {
    out << "投资人代码\t" << f.pycode << "\n姓名\t" << f.name << "\n券商代码\t" << f.qsdm << "\n券商\t"
        << f.qs << "\n资金帐号\t" << f.zjzh << "\n投入日期\t" << f.date << "\n投资类型\t" << f.xabc
        << "\n投入资金(元)\t" << f.amount << "\n可取日期\t" << f.available << '\n'
        << f.unitsCaption << '\t' << text::shortestText(f.units) << '\n'
        << fund::CapitalEntry::kCurrentCaption << '\t' << text::shortestText(f.current) << '\n'
        << fund::CapitalEntry::kMaturityCaption << '\t' << text::shortestText(f.maturity) << '\n';
}

int inoutCommand(Context& ctx) {
    const bool showOnly = !ctx.call.args.empty();
    if (showOnly && ctx.arg(0) != "show")
        throw UsageError("inout 没有这个操作：" + ctx.arg(0), ctx.call.command);
    const std::string choice = ctx.option("choice").value_or("one");
    if (choice != "one" && choice != "all")
        throw UsageError("--choice 只能是 one 或 all：" + choice, ctx.call.command);
    auto m = openManager(ctx);
    if (!openOn(ctx, *m, required(ctx, "pycode"))) return 1;
    storage::Cursor& rows = m->details();
    const std::string given = ctx.option("row").value_or("1");
    const auto n = text::parseInteger(given);
    if (!n || *n < 1 || *n > rows.count())
        throw UsageError("--row 不在明细的 1 到 " + std::to_string(rows.count()) + " 行之内：" + given,
                         ctx.call.command);
    rows.moveTo(static_cast<int>(*n - 1));
    fund::CapitalEntry entry(ctx.engine, *m, ctx.session->fund(), ctx.session->lookups(), ctx.prompter,
                             ctx.clock);
    fund::CapitalForm form = entry.show(choice == "all");
    if (showOnly) {
        printForm(ctx.out, form);
        return 0;
    }
    if (auto v = ctx.option("name")) form.name = *v;
    if (auto v = ctx.option("qsdm")) entry.chooseBroker(form, *v);
    if (auto v = ctx.option("zjzh")) form.zjzh = *v;
    if (auto v = ctx.option("xabc")) form.xabc = *v;
    if (auto v = ctx.option("date")) form.date = *v;
    if (auto v = ctx.option("amount")) form.amount = *v;
    return entry.confirm(form) ? 0 : 1;
}

}  // namespace

std::vector<Command> investorsCommands() {
    return {
        {"investors",
         "value [--show 1|2|3] | detail --pycode P [--show 1|2|3] | withdrawals | commission search | "
         "commission draw --pycode P --xabc T | commission draw-all | types check --xabc T | "
         "types set --xabc T NAME=VALUE... | types insert | types delete --xabc T | types leave | "
         "report voucher --pycode P [--row N] [--show S] [--out FILE] [--fund-name T] | "
         "report stage --pycode P [--xabc T] [--show S] [--title T] [--no-all-records] [--brief FILE] [--out "
         "FILE] "
         "[--fund-name T] | report total [--show S] [--out FILE] [--fund-name T] | "
         "report account --qsdm Q --zjzh Z [--no-details] [--out FILE] [--fund-name T] | accounts --qsdm Q "
         "--zjzh Z",
         1,
         64,
         {{"show", true},
          {"pycode", true},
          {"xabc", true},
          {"row", true},
          {"out", true},
          {"fund-name", true},
          {"title", true},
          {"no-all-records", false},
          {"brief", true},
          {"no-details", false},
          {"qsdm", true},
          {"zjzh", true}},
         true,
         investorsCommand},
        {"inout",
         "[show] --pycode P [--row N] [--choice one|all] [--name N] [--qsdm Q] [--zjzh Z] [--date D] [--xabc "
         "T] "
         "[--amount A]",
         0,
         1,
         {{"pycode", true},
          {"row", true},
          {"choice", true},
          {"name", true},
          {"qsdm", true},
          {"zjzh", true},
          {"date", true},
          {"xabc", true},
          {"amount", true}},
         true,
         inoutCommand},
    };
}

}  // namespace varneth::cli
