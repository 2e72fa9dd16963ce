#include "optimiser/grouping.h"

#include <set>
#include <utility>

#include "ledger/holdings.h"
#include "ledger/records.h"
#include "text/numbers.h"

namespace varneth::optimiser {

namespace {

bool isTotalType(const std::string& lx) {
    return lx == ledger::kMarketTotalCode || lx == ledger::kDiscountTotalCode;
}

// Grids show a pass once, at its end.
class Suspended {
public:
    explicit Suspended(storage::Cursor& c) : c_(c) { c_.suspendDisplay(); }
    ~Suspended() { c_.resumeDisplay(); }
    Suspended(const Suspended&) = delete;
    Suspended& operator=(const Suspended&) = delete;

private:
    storage::Cursor& c_;
};

}  // namespace

Grouping::Grouping(storage::Engine& engine, reference::Lookups& lookups, port::Prompter& prompter)
    : engine_(engine),
      lookups_(lookups),
      prompter_(prompter),
      book_(engine.databaseFor(ledger::Holdings::kTable), ledger::Holdings::kTable),
      groups_(engine.databaseFor("groups.db"), "groups.db"),
      divisions_(engine.databaseFor("devision.DB"), "devision.DB") {
    book_.setOrdering(ledger::Holdings::kHoldingsOrdering);
}

bool Grouping::marginTraded(std::string_view lx) {
    return lookups_.lx_bzj_rate(lx) < 1.0f;
}

template <typename Visit>
void Grouping::forEachHolding(Visit&& visit) {
    book_.refresh();
    for (book_.first(); !book_.eof(); book_.next())
        if (!isTotalType(book_.text("LX"))) visit();
}

void Grouping::open() {
    storage::Action action(engine_);
    groups_.refresh();
    const Suspended quiet(groups_);
    std::set<std::string> held;
    forEachHolding([&] {
        const std::string code = book_.text("CODE");
        held.insert(code);
        if (groups_.locate("Code", {code})) return;
        groups_.append();
        groups_.setValue("Code", code);
        groups_.setValue("Lx", book_.text("LX"));
        groups_.setValue("Name", book_.text("NAME"));
        groups_.setValue("Group", kDefaultGroup);
        groups_.post();
    });
    for (groups_.first(); !groups_.eof();) {
        if (held.count(groups_.text("Code")))
            groups_.next();
        else
            groups_.remove();
    }
    groups_.first();
}

void Grouping::rebuild() {
    storage::Action action(engine_);
    divisions_.refresh();
    const Suspended quiet(divisions_);
    std::set<std::pair<std::string, std::string>> contracts;
    std::set<std::string> types;
    forEachHolding([&] {
        const std::string lx = book_.text("LX"), code = book_.text("CODE");
        types.insert(lx);
        contracts.emplace(lx, code);
        const bool perContract = marginTraded(lx);
        if (perContract ? divisions_.locate("Lx;Code", {lx, code}) : divisions_.locate("Lx", {lx})) return;
        divisions_.append();
        divisions_.setValue("Lx", lx);
        divisions_.setValue("Lxm", book_.text("LXM"));
        if (perContract) {
            divisions_.setValue("Code", code);
            divisions_.setValue("Name", book_.text("NAME"));
        }
        divisions_.setValue("Group", kDefaultGroup);
        divisions_.post();
    });
    for (divisions_.first(); !divisions_.eof();) {
        const std::string lx = divisions_.text("Lx");
        const bool kept =
            marginTraded(lx) ? contracts.count({lx, divisions_.text("Code")}) > 0 : types.count(lx) > 0;
        if (kept)
            divisions_.next();
        else
            divisions_.remove();
    }
    divisions_.first();
}

bool Grouping::apply() {
    if (!prompter_.ask(kApplyQuestion)) return false;
    storage::Action action(engine_);
    groups_.refresh();
    divisions_.refresh();
    const Suspended quiet(groups_);
    for (groups_.first(); !groups_.eof(); groups_.next()) {
        const std::string lx = groups_.text("Lx");
        if (!divisions_.locate("Lx;Code", {lx, groups_.text("Code")}) && !divisions_.locate("Lx", {lx}))
            continue;
        groups_.setValue("Group", divisions_.value("Group"));
        groups_.post();
    }
    groups_.first();
    return true;
}

std::optional<int> Grouping::readGroup(std::string_view text) {
    const auto n = text::parseInteger(text);
    if (!n || *n < 0 || *n > 3) {
        prompter_.message(kBadGroup);
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

bool Grouping::setGroup(std::string_view code, std::string_view group) {
    const auto n = readGroup(group);
    if (!n) return false;
    storage::Action action(engine_);
    groups_.refresh();
    if (!groups_.locate("Code", {std::string(code)})) {
        prompter_.message("分组表中没有代码" + std::string(code));
        return false;
    }
    groups_.setValue("Group", *n);
    groups_.post();
    return true;
}

bool Grouping::setDivisionGroup(std::string_view lx, std::string_view code, std::string_view group) {
    const auto n = readGroup(group);
    if (!n) return false;
    storage::Action action(engine_);
    divisions_.refresh();
    if (!divisions_.locate("Lx;Code", {std::string(lx), std::string(code)})) {
        prompter_.message("划分表中没有类型" + std::string(lx) +
                          (code.empty() ? "" : "、代码" + std::string(code)) + "的行");
        return false;
    }
    divisions_.setValue("Group", *n);
    divisions_.post();
    return true;
}

}  // namespace varneth::optimiser
