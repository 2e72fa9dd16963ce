#include "ledger/records.h"

#include <algorithm>
#include <cstdio>

namespace varneth::ledger {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "P" and the ten digits of yyyymmddhh; "PA" or "P999999" are typed order numbers, not marks.
bool isClosedOutMark(std::string_view wth) {
    return wth.size() == 11 && wth.starts_with(kClosedOutPrefix) &&
           std::all_of(wth.begin() + 1, wth.end(), isDigit);
}

}  // namespace

RecordKind recordKind(std::string_view wth, std::string_view code, std::string_view lx) {
    if (code == kMarketTotalCode || lx == kMarketTotalCode) return RecordKind::MarketValueTotal;
    if (code == kDiscountTotalCode || lx == kDiscountTotalCode) return RecordKind::DiscountedValueTotal;
    const bool cash = code == kCashCode || lx == kCashCode;
    if (wth.empty()) return cash ? RecordKind::Cash : RecordKind::Holding;
    if (wth == kManualMark) return RecordKind::NotAtBroker;
    if (wth == kRemainderMark) return RecordKind::OversoldRemainder;
    if (wth == kManualSellNewMark) return RecordKind::ManualSellNew;
    if (wth == kManualSellChosenMark) return RecordKind::ManualSellChosen;
    if (isClosedOutMark(wth)) return RecordKind::ClosedOut;
    return cash ? RecordKind::FrozenCash : RecordKind::UnconfirmedOrder;
}

std::string buyOrderNumber(const port::DateTime& now, int running) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d%02d%02d%d", now.year % 100, now.month, now.day, now.hour,
                  now.minute, running);
    return buf;
}

std::string sellOrderNumber(const port::DateTime& now) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d%02d%02d", now.month, now.day, now.hour, now.minute,
                  now.second);
    return buf;
}

std::string closedOutMark(const port::DateTime& tradeTime) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "P%04d%02d%02d%02d", tradeTime.year, tradeTime.month, tradeTime.day,
                  tradeTime.hour);
    return buf;
}

}  // namespace varneth::ledger
