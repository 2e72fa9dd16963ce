#pragma once

namespace varneth::ledger {

// What a box may hold before anything is booked. Quantities live in 32-bit working records, which
// hold whole numbers exactly only up to 2^24; money beyond a trillion is a typing slip, never a trade.
inline constexpr double kMaxQuantity = 16777216;
inline constexpr double kMaxAmount = 1e12;

inline constexpr const char* kBadQuantity = "数量必须大于0且不超过16777216";
inline constexpr const char* kBadTransferAmount = "金额必须大于0且不超过1000000000000";
inline constexpr const char* kBadSignedAmount = "金额不能为0且绝对值不超过1000000000000";

// A quantity to buy or sell: above 0 and at most kMaxQuantity.
bool quantityAllowed(double quantity);
// Money moved between two cash accounts: above 0 and at most kMaxAmount.
bool transferAmountAllowed(double amount);
// Money in or out, signed: not 0 and at most kMaxAmount in size.
bool signedAmountAllowed(double amount);

}  // namespace varneth::ledger
