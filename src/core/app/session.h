#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "fund/fund_ledger.h"
#include "ledger/holdings.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "reference/general_prices.h"
#include "reference/lookups.h"
#include "storage/engine.h"

namespace varneth::app {

// What a login gives every window until logout: the two aliases, the account and the ports.
// Later subsystems hang their long-lived objects here. Making one opens the reference tables
// (storage::Error when one is missing).
class Session {
public:
    Session(storage::Engine& engine, std::filesystem::path programDir, std::string accountName,
            std::filesystem::path accountDir, port::Prompter& prompter, port::Clock& clock);
    ~Session();

    storage::Engine& engine() { return engine_; }
    storage::Database& kvt() { return engine_.database(storage::Alias::Kvt); }
    storage::Database& curr() { return engine_.database(storage::Alias::Curr); }
    const std::filesystem::path& programDir() const { return programDir_; }
    const std::string& accountName() const { return accountName_; }
    const std::filesystem::path& accountDir() const { return accountDir_; }
    port::Prompter& prompter() { return prompter_; }
    port::Clock& clock() { return clock_; }

    // The code lookup module and the settings module's lookups, open until logout.
    reference::GeneralPrices& prices() { return *prices_; }
    reference::Lookups& lookups() { return *lookups_; }
    // The holdings module: the ledger every window writes through and its valuation.
    ledger::Holdings& holdings() { return *holdings_; }
    // The fund module, opened on first use: opening it ensures the fund ledger's manager row.
    fund::FundLedger& fund();

private:
    storage::Engine& engine_;
    std::filesystem::path programDir_;
    std::string accountName_;
    std::filesystem::path accountDir_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    std::unique_ptr<reference::GeneralPrices> prices_;
    std::unique_ptr<reference::Lookups> lookups_;
    std::unique_ptr<ledger::Holdings> holdings_;
    std::unique_ptr<fund::FundLedger> fund_;
};

}  // namespace varneth::app
