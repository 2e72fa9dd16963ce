#include "app/session.h"

namespace varneth::app {

Session::Session(storage::Engine& engine, std::filesystem::path programDir, std::string accountName,
                 std::filesystem::path accountDir, port::Prompter& prompter, port::Clock& clock)
    : engine_(engine),
      programDir_(std::move(programDir)),
      accountName_(std::move(accountName)),
      accountDir_(std::move(accountDir)),
      prompter_(prompter),
      clock_(clock),
      prices_(std::make_unique<reference::GeneralPrices>(curr())),
      lookups_(std::make_unique<reference::Lookups>(curr(), kvt(), *prices_, prompter)),
      holdings_(std::make_unique<ledger::Holdings>(engine, *lookups_, prompter, clock)) {}

Session::~Session() = default;

fund::FundLedger& Session::fund() {
    if (!fund_)
        fund_ = std::make_unique<fund::FundLedger>(engine_, fund::valuationOf(*holdings_), prompter_, clock_);
    return *fund_;
}

}  // namespace varneth::app
