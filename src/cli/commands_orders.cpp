// The order window's actions: orders entered by hand, cancelled or confirmed, and new cash accounts.
#include <algorithm>
#include <functional>

#include "command.h"
#include "ledger/book_views.h"
#include "ledger/cash_account.h"
#include "ledger/order_desk.h"
#include "ledger/settlement.h"
#include "storage/cursor.h"
#include "storage/table.h"
#include "text/dates.h"

namespace varneth::cli {

namespace {

using ledger::DetailRow;

// No main window: nothing to rebuild or move; its current detail row is the one the command names.
class NoViews : public ledger::BookViews {
public:
    explicit NoViews(std::optional<DetailRow> detail = std::nullopt) : detail_(std::move(detail)) {}
    int displayChoice() const override { return 0; }
    void up_open() override {}
    void reopen() override {}
    void moveCatalogToCode(std::string_view) override {}
    void moveCatalogToAccount(std::string_view) override {}
    void moveDetailTo(std::string_view, std::string_view) override {}
    std::optional<DetailRow> currentDetail() const override { return detail_; }

private:
    std::optional<DetailRow> detail_;
};

std::function<void()> valuation(app::Session& session) {
    return [&session] { session.holdings().up_calc(); };
}

ledger::OrderDesk makeDesk(Context& ctx, ledger::BookViews& views) {
    app::Session& s = *ctx.session;
    return ledger::OrderDesk(ctx.engine, s.lookups(), s.prices(), ctx.prompter, ctx.clock, views,
                             valuation(s));
}

// The boxes in the order a user fills them, each change followed as the window follows it.
int enterOrder(Context& ctx, bool isBuy) {
    NoViews views;
    ledger::OrderDesk desk = makeDesk(ctx, views);
    ledger::OrderForm& f = desk.form();
    desk.set_mm();
    if (auto v = ctx.option("qsdm")) {
        f.qsdm = *v;
        desk.brokerChanged();
    }
    if (auto v = ctx.option("zjzh")) {
        f.zjzh = *v;
        desk.accountChanged();
    }
    if (auto v = ctx.option("gddm")) f.gddm = *v;
    if (auto v = ctx.option("code")) {
        f.code = *v;
        desk.codeChanged();
    }
    if (auto v = ctx.option("lx")) desk.typePicked(*v);
    if (auto v = ctx.option("price")) {
        f.price = *v;
        desk.priceChanged();
    }
    if (auto v = ctx.option("amt")) f.amt = *v;
    if (auto v = ctx.option("date")) f.tradeDate = *v;
    if (auto v = ctx.option("wth")) f.wth = *v;
    if (ctx.flag("short")) {
        desk.longShortChanged(true);
        if (!f.shortSale) return 1;  // refused for the type: no long order in its place
    }
    if (!(isBuy ? desk.buy() : desk.sell())) return 1;
    // As stored: a typed number longer than the field is cut to it.
    const std::string number =
        storage::Table::fit(storage::findTable("tr2.DBF")->field("WTH"), storage::Value(desk.record().wth))
            .text();
    desk.closed();
    ctx.out << number << '\n';
    return 0;
}

// The detail row the main window would show for the order: not closed out, not frozen cash.
std::optional<DetailRow> findDetail(app::Session& s, const std::string& wth, const std::string& qsdm,
                                    const std::optional<std::string>& date1) {
    storage::Cursor c(s.kvt(), "tr2.DBF");
    std::optional<DetailRow> found;
    for (c.first(); !c.eof(); c.next()) {
        const std::string w = c.text("WTH"), code = c.text("CODE");
        const bool detail = w < "P" || w >= "P999999" || w.empty();
        if (!detail || code == "xj" || w != wth || c.text("QSDM") != qsdm || c.date("DATE1") != date1)
            continue;
        if (found && found->code <= code) continue;  // the detail list is ordered by code within an order
        DetailRow d;
        d.wth = w;
        d.qsdm = c.text("QSDM");
        d.qs = c.text("QS");
        d.zjzh = c.text("ZJZH");
        d.gddm = c.text("GDDM");
        d.lx = c.text("LX");
        d.lxm = c.text("LXM");
        d.code = code;
        d.name = c.text("NAME");
        d.bs = static_cast<int>(c.integer("BS"));
        d.amt = c.number("AMT");
        d.price1 = c.number("PRICE1");
        d.date1 = c.date("DATE1");
        d.price2 = c.number("PRICE2");
        d.date2 = c.date("DATE2");
        d.inc = c.number("INC");
        found = std::move(d);
    }
    return found;
}

int settle(Context& ctx, bool confirm) {
    const std::string wth = ctx.option("wth").value_or(""), qsdm = ctx.option("qsdm").value_or("");
    std::optional<std::string> date1;
    if (auto v = ctx.option("date")) {
        const auto d = text::Date::parse(*v);
        if (!d) throw UsageError("--date 不是日期：" + *v, ctx.call.command);
        date1 = d->iso();
    }
    const auto detail = findDetail(*ctx.session, wth, qsdm, date1);
    // Without such a row the boxes keep what was given, and the product's own message says why.
    DetailRow selected;
    if (detail) {
        selected = *detail;
    } else {
        selected.wth = wth;
        selected.qsdm = qsdm;
        selected.date1 = date1;
    }
    NoViews views(selected);
    ledger::OrderDesk desk = makeDesk(ctx, views);
    ledger::OrderForm& f = desk.form();
    if (detail) {
        desk.fillFrom(*detail);
    } else {
        f.wth = wth;
        f.qsdm = qsdm;
        f.tradeDate = date1.value_or("");
    }
    if (auto v = ctx.option("amt")) f.amt = *v;
    if (auto v = ctx.option("price")) f.price = *v;
    if (auto v = ctx.option("lx")) desk.typePicked(*v);

    ledger::Settlement settlement(desk);
    int status = 1;
    bool closes = false;
    if (confirm) {
        const auto result = settlement.confirm();
        closes = result != ledger::Settlement::Result::Invalid;
        if (result == ledger::Settlement::Result::Settled || result == ledger::Settlement::Result::Cancelled)
            status = 0;
    } else {
        closes = settlement.cancel();
        if (closes) status = 0;
    }
    if (closes) desk.closed();
    return status;
}

int newCashAccount(Context& ctx) {
    ledger::CashAccount account(ctx.engine, ctx.session->lookups(), ctx.prompter);
    ledger::CashAccountForm& f = account.form();
    if (auto v = ctx.option("qsdm")) {
        // A code of the broker table is picked from the drop-down, which brings its name; another is typed.
        const auto codes = account.brokerCodes();
        if (std::find(codes.begin(), codes.end(), *v) != codes.end())
            account.brokerPicked(*v);
        else
            f.qsdm = *v;
    }
    if (auto v = ctx.option("qs")) f.qs = *v;
    if (auto v = ctx.option("zjzh")) f.zjzh = *v;
    if (auto v = ctx.option("amt")) f.amt = *v;
    if (auto v = ctx.option("bi")) f.bi = *v;
    return account.create() ? 0 : 1;
}

std::vector<OptionSpec> valued(std::initializer_list<const char*> names) {
    std::vector<OptionSpec> out;
    for (const char* n : names) out.push_back({n, true});
    return out;
}

}  // namespace

std::vector<Command> orderCommands() {
    auto orderOptions = valued({"wth", "qsdm", "zjzh", "gddm", "code", "lx", "amt", "price", "date"});
    orderOptions.push_back({"short", false});
    const auto settleOptions = valued({"wth", "qsdm", "date", "amt", "price", "lx"});
    const char* orderUsage =
        "--code CODE --amt N [--price P] [--qsdm QSDM] [--zjzh ZJZH] [--gddm GDDM] [--lx LX] [--date "
        "yyyy-mm-dd] "
        "[--wth WTH] [--short]";
    const char* settleUsage = "--wth WTH --qsdm QSDM --date yyyy-mm-dd [--amt N] [--price P] [--lx LX]";
    return {
        {"buy", orderUsage, 0, 0, orderOptions, true, [](Context& ctx) { return enterOrder(ctx, true); }},
        {"sell", orderUsage, 0, 0, orderOptions, true, [](Context& ctx) { return enterOrder(ctx, false); }},
        {"cancel", settleUsage, 0, 0, settleOptions, true, [](Context& ctx) { return settle(ctx, false); }},
        {"confirm", settleUsage, 0, 0, settleOptions, true, [](Context& ctx) { return settle(ctx, true); }},
        {"new-cash-account", "--qsdm QSDM [--qs QS] --zjzh ZJZH [--amt N] --bi CODE", 0, 0,
         valued({"qsdm", "qs", "zjzh", "amt", "bi"}), true, newCashAccount},
    };
}

}  // namespace varneth::cli
