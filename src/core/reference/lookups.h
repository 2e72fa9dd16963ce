#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "port/prompter.h"
#include "reference/general_prices.h"
#include "storage/cursor.h"
#include "storage/database.h"

namespace varneth::reference {

// The reference tables of the settings module, open for the whole login, and the lookups every
// ledger operation asks: names, types, rates and currencies. A lookup never fails: a missing row
// gives a default, some after a message. A lookup leaves its table on the row it found, so a grid
// showing that table follows it. Rates are 32-bit floats.
class Lookups {
public:
    static constexpr const char* kUnknown = "???";

    Lookups(storage::Database& curr, storage::Database& kvt, GeneralPrices& prices, port::Prompter& prompter);

    std::string code_to_name(std::string_view code);
    std::string code_to_lx(std::string_view code);
    std::string qsdm_to_qs(std::string_view qsdm);
    std::string lx_to_lxm(std::string_view lx);
    float lx_to_zk_rate(std::string_view lx);
    float lx_bzj_rate(std::string_view lx);
    float lx_to_sxf_rate(std::string_view lx);
    float lx_to_yhs_rate(std::string_view lx);
    float zjzh_to_birate(std::string_view qsdm, std::string_view zjzh);
    std::string zjzh_to_bi(std::string_view qsdm, std::string_view zjzh);

    // The type row of `lx`, for reading fields such as `Oversell`: true and the type table on it.
    bool findType(std::string_view lx);

    // The settlement currency (the `bi.db` row marked `Now`), read when the module is made.
    const std::string& settlementCode() const { return settlementCode_; }
    const std::string& settlementName() const { return settlementName_; }
    std::string settlementLabel() const;  // "当前结算货币为:" + code + name
    void readSettlementCurrency();

    storage::Cursor& types() { return types_; }  // lx.DB without the two total codes
    storage::Cursor& brokers() { return brokers_; }
    storage::Cursor& holdingsPrices() { return holdingsPrices_; }        // code_N_P.DBF
    storage::Cursor& rules() { return rules_; }                          // code_to_lx.DBF
    storage::Cursor& currencies() { return currencies_; }                // bi.db
    storage::Cursor& accountCurrencies() { return accountCurrencies_; }  // zh_bi.db

private:
    struct Rule {
        std::string code1, code2, lx;
    };
    const std::vector<Rule>& ruleList();
    bool findTypeRow(std::string_view lx);

    GeneralPrices& prices_;
    port::Prompter& prompter_;
    storage::Cursor types_, brokers_, holdingsPrices_, rules_, currencies_, accountCurrencies_;
    std::vector<int> typeKey_, brokerKey_, priceKey_, currencyKey_, accountKey_;
    std::vector<Rule> ruleCache_;
    std::uint64_t ruleVersion_ = ~0ull;
    std::string settlementCode_, settlementName_;
};

}  // namespace varneth::reference
