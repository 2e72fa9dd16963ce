#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fund/investor_reports.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "port/report_sink.h"
#include "reference/lookups.h"
#include "storage/engine.h"
#include "storage/query.h"

namespace varneth::fund {

// What the per cash account tab shows for the selected account.
struct AccountSummary {
    std::string code;           // "账户代码": "$" + zjzh, the code of the account's transfers elsewhere
    std::string amount;         // "金额": the rounded input sum
    std::string value;          // the third box: the account's discounted holdings in its own currency
    double held = 0;            // the same as a number, for a window to show for reading
    std::string first, second;  // the two result labels
};

// "各资金帐户报告": the money brought in per cash account, its movements and its holdings.
class CashAccounts {
public:
    static constexpr const char* kCashAccount = "stxj";
    static constexpr const char* kOverdrawn = "取出超过投入";

    CashAccounts(storage::Engine& engine, reference::Lookups& lookups, port::Prompter& prompter,
                 port::Clock& clock);

    storage::Cursor& accounts() { return accounts_.result(); }    // qsdm, zjzh, input
    storage::Cursor& movements() { return movements_.result(); }  // the selected account's rows
    storage::Cursor& holdings() { return holdings_.result(); }    // qsdm, zjzh, birate, cost2, cost3

    // All three grids reopened, the account grid on the account it was on, at first on "stxj".
    void open();
    // `selezj` on the account under the account grid's cursor: the movements follow.
    AccountSummary selezj();
    // Moves the account grid to that broker and account; false when it has no such row.
    bool select(std::string_view qsdm, std::string_view zjzh);
    // "打印报告" on the selected account; `details` is "打印左边详细记录".
    bool print(const std::string& fundName, bool details, const OpenReport& open,
               std::optional<ReportTarget> target = {});
    void write(const std::string& fundName, bool details, port::ReportSink& sink);

private:
    struct Held {
        double cost2 = 0, cost3 = 0, rate = 1;
    };
    Held held(std::string_view qsdm, std::string_view zjzh);

    reference::Lookups& lookups_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    storage::Query accounts_, movements_, holdings_;
};

}  // namespace varneth::fund
