#include "fund/fund_ledger.h"
#include "ledger/holdings.h"

namespace varneth::fund {

Valuation valuationOf(ledger::Holdings& holdings) {
    // The holdings view, whatever the editor shows: the closed-out rows alone would value the fund
    // at a fraction and book the rest as a loss.
    return [&holdings]() -> std::optional<float> {
        if (!holdings.up_calc()) return std::nullopt;
        return holdings.s3();
    };
}

}  // namespace varneth::fund
