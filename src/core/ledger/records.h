#pragma once

#include <string>
#include <string_view>

#include "port/clock.h"

// How the ledger "tr2.DBF" tells its kinds of rows apart: all kinds share the table and are
// recognised by marker values in WTH, CODE and LX. Closed-out rows are marked "P" + yyyymmddhh.
namespace varneth::ledger {

inline constexpr std::string_view kCashCode = "xj";  // CODE and LX of cash and frozen-cash rows
inline constexpr std::string_view kCashName = "现金";
inline constexpr std::string_view kFrozenCashMark = "冻结资金";  // CJ_DH of a frozen-cash row
inline constexpr std::string_view kMarketTotalCode = "zzc";      // LX, QSDM and CODE of the total rows
inline constexpr std::string_view kDiscountTotalCode = "zzz";
inline constexpr std::string_view kMarketTotalName = "市价总值";
inline constexpr std::string_view kDiscountTotalName = "折扣总值";
inline constexpr std::string_view kManualMark = "###";      // WTH: not at the broker, and the total rows
inline constexpr std::string_view kRemainderMark = "0???";  // WTH: the part of a sell that found no holding

// SQL conditions over "tr2.dbf"; the texts are byte-exact because the views compare markers by bytes.
// Everything but closed-out rows, for the catalog views.
inline constexpr std::string_view kCatalogPredicate = "where (wth>'PA' or wth<'P' or wth='')";
// Detail rows of a code or cash account, except closed-out rows.
inline constexpr std::string_view kDetailPredicate = "Where (wth<'P' or wth>='P999999' or wth='')";
// Unconfirmed orders, with the oversold remainders; frozen cash is kept out by its code.
inline constexpr std::string_view kUnconfirmedPredicate =
    "Where (wth<'999999' and  wth>'0') and (code='' or code<>'xj')";
// Open holdings and cash.
inline constexpr std::string_view kFundReportPredicate = "where  wth='' ";
// Holdings, cash and unconfirmed orders without the total rows.
inline constexpr std::string_view kOptimiserPredicate =
    "where (wth='' or (wth>'0' and wth<'999999')) and lx<>'zzc' and lx<>'zzz'";
inline constexpr std::string_view kClosedOutCondition = "wth>'P' and wth<'PA'";
// Open, manual and closed-out rows with a positive quantity.
inline constexpr std::string_view kStatisticsPredicate =
    "where (wth='' or  wth='###' or wth>'P' and wth<'PA') and amt>0";

// A buy's order number: "yymmddhhnn" and the running number of buys since the order window was made.
std::string buyOrderNumber(const port::DateTime& now, int running);
// A sell's order number: "mmddhhnnss".
std::string sellOrderNumber(const port::DateTime& now);
// The WTH of closed-out rows: "P" + yyyymmddhh of the trade.
std::string closedOutMark(const port::DateTime& tradeTime);

}  // namespace varneth::ledger
