#include "ledger/capital_transfer.h"

#include <cmath>

#include "ledger/input_limits.h"
#include "ledger/records.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::ledger {

using storage::Value;

namespace {

std::string numberText(double x) {
    return text::plainText(x);
}

// Codes the system keeps for its own rows: the market's gains, and cash accounts standing in as
// investors.
bool reservedInvestorCode(std::string_view code) {
    return code == fund::FundLedger::kMarketCode || code.starts_with('$');
}

// An amount beyond what the book may take is told and refused: a transfer moves a positive amount, an
// investor's money may go either way.
bool refused(port::Prompter& prompter, double amount, bool signedAmount) {
    if (signedAmount ? signedAmountAllowed(amount) : transferAmountAllowed(amount)) return false;
    prompter.message(signedAmount ? kBadSignedAmount : kBadTransferAmount);
    return true;
}

}  // namespace

CapitalTransfer::CapitalTransfer(storage::Engine& engine, reference::Lookups& lookups, fund::FundLedger& fund,
                                 port::Prompter& prompter, port::Clock& clock)
    : engine_(engine),
      lookups_(lookups),
      fund_(fund),
      prompter_(prompter),
      clock_(clock),
      book_(engine.database(storage::Alias::Kvt), "tr2.DBF"),
      accounts_(engine.database(storage::Alias::Kvt)),
      investors_(engine.database(storage::Alias::Kvt)),
      types_(engine.database(storage::Alias::Curr), "TZLX.db") {
    book_.setOrdering("No_PC");
    accounts_.lines() = {"SELECT distinct wth,qsdm,ZJZH ", "FROM \"tr2.DBF\" ", "where wth<'P' or wth=''"};
    accounts_.open();
    // The table name is quoted: unquoted, SQLite reads fund2.db as table "db" of a database "fund2".
    investors_.lines() = {"select distinct pycode, name", "from \"fund2.db\"",
                          "where pycode<>'***' and not (pycode>'$' and pycode<'$zzzz')"};
    investors_.open();
}

std::optional<std::string> CapitalTransfer::brokerOf(std::string_view zjzh) {
    storage::Cursor& list = accounts();
    if (!list.locate("ZJZH", {Value(zjzh)})) return std::nullopt;
    return list.text("qsdm");
}

bool CapitalTransfer::findCashRow(std::string_view qsdm, std::string_view zjzh) {
    return book_.locate("WTH;QSDM;ZJZH;LX", {Value(""), Value(qsdm), Value(zjzh), Value(kCashCode)});
}

double CapitalTransfer::cashRate() {
    const double r = book_.number("BIRATE");
    return r == 0 ? 1.0 : r;
}

std::optional<double> CapitalTransfer::amountOf(std::string_view text, const char* box) {
    const auto a = text::parseNumber(text::trim(text));
    if (!a || !std::isfinite(*a)) {
        prompter_.message("'" + std::string(text) + "'不是有效的数值（" + box + "）");
        return std::nullopt;
    }
    return a;
}

bool CapitalTransfer::addFundRow(const std::string& pycode, const std::string& name, double input,
                                 const std::string& xabc, const std::string& note, const std::string& zjzh,
                                 const std::string& qsdm) {
    storage::Cursor& t = fund_.table();
    t.append();
    t.setValue("DT", Value(clock_.now().isoDate()));
    t.setValue("PYCODE", Value(pycode));
    t.setValue("NAME", Value(name));
    t.setValue("INPUT", Value(input));
    t.setValue("XABC", Value(xabc));
    t.setValue("NOTE", Value(note));
    t.setValue("ZJZH", Value(zjzh));
    t.setValue("QSDM", Value(qsdm));
    t.post();
    return fund_.fillnum();
}

bool CapitalTransfer::transfer(std::string_view fromText, std::string_view toText, std::string_view amount) {
    const std::string from = text::trim(fromText), to = text::trim(toText);
    if (from.empty()) {
        prompter_.message(kNoSource);
        return false;
    }
    if (to.empty()) {
        prompter_.message(kNoDestination);
        return false;
    }
    const auto a = amountOf(amount, "转移资金");
    if (!a || refused(prompter_, *a, false)) return false;
    // Both cash rows are found before either moves, so a transfer is booked whole or not at all.
    const auto fromBroker = brokerOf(from), toBroker = brokerOf(to);
    if (!fromBroker || !toBroker || !findCashRow(*fromBroker, from) || !findCashRow(*toBroker, to)) {
        prompter_.message(kNoCashRow);
        return false;
    }
    const std::string fromName = lookups_.qsdm_to_qs(*fromBroker);
    const std::string toName = lookups_.qsdm_to_qs(*toBroker);

    storage::Action action(engine_);
    try {
        findCashRow(*fromBroker, from);
        const double r1 = cashRate();
        book_.setValue("AMT", Value(book_.number("AMT") - *a));
        book_.post();
        const double v = text::roundHalfEven(*a * r1);
        prompter_.message("资金帐户" + from + "转出数额" + numberText(*a));

        findCashRow(*toBroker, to);
        const double r2 = cashRate();
        const double c = text::roundHalfEven(v / r2);
        book_.setValue("AMT", Value(book_.number("AMT") + c));
        book_.post();
        prompter_.message("资金帐户" + to + "转入数额" + numberText(c));

        // A renumbering that failed has said so; the transfer is then not reported as done.
        if (!addFundRow("$" + from, fromName, v, fund::FundLedger::kFeeFreeType,
                        "转出" + numberText(v) + "汇率" + numberText(r1), to, *toBroker) ||
            !addFundRow("$" + to, toName, -v, fund::FundLedger::kFeeFreeType,
                        "转入" + numberText(v) + "汇率" + numberText(r2), from, *fromBroker))
            return false;
        prompter_.message("资金进出文件添加记录成功,按结算货币计算金额是" + numberText(v));
    } catch (...) {
        book_.cancel();
        fund_.table().cancel();
        action.abandon();
        throw;
    }
    return true;
}

bool CapitalTransfer::invest(const Investment& form) {
    const std::string pycode = text::trim(form.pycode), zjzh = text::trim(form.zjzh);
    const std::string qsdm = text::trim(form.qsdm), xabc = text::trim(form.xabc);
    if (pycode.empty() || reservedInvestorCode(pycode)) {
        prompter_.message(kNoInvestor);
        return false;
    }
    if (zjzh.empty()) {
        prompter_.message(kNoAccount);
        return false;
    }
    if (xabc.empty() || !types_.findKey({Value(xabc)})) {
        prompter_.message(kNoType);
        return false;
    }
    const auto a = amountOf(form.amount, "转移数量(元)");
    if (!a || refused(prompter_, *a, true)) return false;

    storage::Action action(engine_);
    try {
        double r = 0;
        if (findCashRow(qsdm, zjzh)) {
            r = cashRate();
            book_.setValue("AMT", Value(book_.number("AMT") + *a));
            book_.post();
            prompter_.message("持仓文件相应资金帐户金额已经增加" + numberText(*a));
        } else {
            prompter_.message(kNoCashRow);
        }
        std::string name = text::trim(form.name);
        if (name.empty()) name = fund_.pycode_to_name(pycode);
        const double input = text::roundHalfEven(*a * r);
        if (!addFundRow(pycode, name, input, xabc, form.note, zjzh, qsdm)) return false;
        prompter_.message("资金进出文件添加记录成功,投资额折算成" + numberText(input));
    } catch (...) {
        book_.cancel();
        fund_.table().cancel();
        action.abandon();
        throw;
    }
    return true;
}

}  // namespace varneth::ledger
