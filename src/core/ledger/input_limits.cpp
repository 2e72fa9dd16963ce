#include "ledger/input_limits.h"

#include <cmath>

namespace varneth::ledger {

// Written so that NaN fails every test.
bool quantityAllowed(double quantity) {
    return quantity > 0 && quantity <= kMaxQuantity;
}

bool transferAmountAllowed(double amount) {
    return amount > 0 && amount <= kMaxAmount;
}

bool signedAmountAllowed(double amount) {
    return amount != 0 && std::fabs(amount) <= kMaxAmount;
}

}  // namespace varneth::ledger
