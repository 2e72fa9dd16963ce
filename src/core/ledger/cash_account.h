#pragma once

#include <string>
#include <utility>
#include <vector>

#include "port/prompter.h"
#include "reference/lookups.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::ledger {

// The fields of the new cash account window.
struct CashAccountForm {
    std::string qsdm;       // "券商代码"
    std::string qs;         // "券商"
    std::string zjzh;       // "资金帐户"
    std::string amt = "0";  // "现金数量"
    std::string bi;         // "货币", a code of the currency table
};

// "新建资金帐户": a cash account at a broker is its currency in the account-currency table and a
// cash row in the ledger.
class CashAccount {
public:
    static constexpr const char* kNoBrokerCode = "券商代码没有填好或选好，退出重来!";
    static constexpr const char* kNoBrokerName = "券商名没有填好,退出重来!";
    static constexpr const char* kNoAccount = "资金帐号没有填好,退出重来!";
    static constexpr const char* kNoCurrency = "货币没有选好,退出重来!";
    static constexpr const char* kBadAmount = "现金数量不是有效的数字,退出重来!";
    static constexpr const char* kExists = "资金帐户已经存在，放弃建立。";
    static constexpr const char* kCreated = "资金帐户建立成功。";

    CashAccount(storage::Engine& engine, reference::Lookups& lookups, port::Prompter& prompter);

    CashAccountForm& form() { return form_; }
    // The broker codes of the broker table, and the currencies (code, name) of the currency table.
    std::vector<std::string> brokerCodes();
    std::vector<std::pair<std::string, std::string>> currencies();
    // A code picked from the drop-down: the code and its broker's name into the fields.
    void brokerPicked(const std::string& qsdm);

    // "OK". True when the account was made; the window stays open either way.
    bool create();

private:
    storage::Engine& engine_;
    reference::Lookups& lookups_;
    port::Prompter& prompter_;
    storage::Cursor ledger_;  // every row: an account with closed-out rows only exists too
    CashAccountForm form_;
};

}  // namespace varneth::ledger
