#pragma once

#include "command.h"
#include "fund/fund_manager.h"

namespace varneth::cli {

// `investors report voucher|stage|total|account` and `investors accounts`, on the window as shown.
int investorReportCommand(Context& ctx, fund::FundManager& manager);
int cashAccountsCommand(Context& ctx);

}  // namespace varneth::cli
