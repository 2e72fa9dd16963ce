#include "ledger/cash_account.h"

#include <cmath>

#include "ledger/records.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::ledger {

CashAccount::CashAccount(storage::Engine& engine, reference::Lookups& lookups, port::Prompter& prompter)
    : engine_(engine),
      lookups_(lookups),
      prompter_(prompter),
      ledger_(engine.database(storage::Alias::Kvt), "tr2.DBF") {}

std::vector<std::string> CashAccount::brokerCodes() {
    std::vector<std::string> codes;
    storage::Cursor& brokers = lookups_.brokers();
    codes.reserve(static_cast<std::size_t>(brokers.count()));
    for (int p = 0; p < brokers.count(); ++p)
        codes.push_back(brokers.valueAt(p, brokers.fieldIndex("Qsdm")).toString());
    return codes;
}

std::vector<std::pair<std::string, std::string>> CashAccount::currencies() {
    std::vector<std::pair<std::string, std::string>> list;
    storage::Cursor& bi = lookups_.currencies();
    const int code = bi.fieldIndex("Code"), name = bi.fieldIndex("Name");
    list.reserve(static_cast<std::size_t>(bi.count()));
    for (int p = 0; p < bi.count(); ++p)
        list.emplace_back(bi.valueAt(p, code).toString(), bi.valueAt(p, name).toString());
    return list;
}

void CashAccount::brokerPicked(const std::string& qsdm) {
    form_.qsdm = qsdm;
    form_.qs = lookups_.qsdm_to_qs(qsdm);
}

bool CashAccount::create() {
    const std::string qsdm = text::trim(form_.qsdm), qs = text::trim(form_.qs), zjzh = text::trim(form_.zjzh),
                      bi = text::trim(form_.bi), amtText = text::trim(form_.amt);
    const auto refuse = [this](const char* why) {
        prompter_.message(why);
        return false;
    };
    if (qsdm.empty()) return refuse(kNoBrokerCode);
    if (qs.empty()) return refuse(kNoBrokerName);
    if (zjzh.empty()) return refuse(kNoAccount);
    // The drop-down offers only the currency table's codes; a code from elsewhere is none of them.
    if (bi.empty() || !lookups_.currencies().locate("Code", {bi})) return refuse(kNoCurrency);
    if (ledger_.locate("QSDM;ZJZH", {qsdm, zjzh})) return refuse(kExists);
    double amt = 0;
    if (!amtText.empty()) {
        const auto read = text::parseNumber(amtText);
        if (!read || !std::isfinite(*read)) return refuse(kBadAmount);
        amt = *read;
    }

    storage::Action action(engine_);
    // A currency row left behind by an account no longer in the ledger takes the new choice.
    storage::Cursor& accounts = lookups_.accountCurrencies();
    if (!accounts.locate("Qsdm;Zjzh", {qsdm, zjzh})) {
        accounts.append();
        accounts.setValue("Qsdm", qsdm);
        accounts.setValue("Zjzh", zjzh);
    }
    accounts.setValue("Bicode", bi);
    accounts.post();

    ledger_.append();
    ledger_.setValue("QSDM", qsdm);
    ledger_.setValue("QS", qs);
    ledger_.setValue("ZJZH", zjzh);
    ledger_.setValue("AMT", amt);
    ledger_.setValue("BIRATE", static_cast<double>(lookups_.zjzh_to_birate(qsdm, zjzh)));
    ledger_.setValue("LX", kCashCode);
    ledger_.setValue("LXM", kCashName);
    ledger_.setValue("CODE", kCashCode);
    ledger_.setValue("NAME", kCashName);
    ledger_.post();
    prompter_.message(kCreated);
    return true;
}

}  // namespace varneth::ledger
