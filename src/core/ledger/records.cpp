#include "ledger/records.h"

#include <cstdio>

namespace varneth::ledger {

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
