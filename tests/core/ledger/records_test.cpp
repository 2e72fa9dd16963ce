#include "ledger/records.h"

#include <gtest/gtest.h>

using namespace varneth::ledger;
using varneth::port::DateTime;

namespace {

TEST(RecordKind, FollowsTheMarkers) {
    struct Row {
        const char *wth, *code, *lx;
        RecordKind kind;
    };
    const Row rows[] = {
        {"", "600000", "A", RecordKind::Holding},
        {"", "xj", "xj", RecordKind::Cash},
        {"2612070930", "600036", "A", RecordKind::UnconfirmedOrder},
        {"2612070930", "xj", "xj", RecordKind::FrozenCash},
        {"P2026010100", "600001", "A", RecordKind::ClosedOut},
        {"PA", "600001", "A", RecordKind::UnconfirmedOrder},  // typed order numbers, not marks
        {"P999999", "600001", "A", RecordKind::UnconfirmedOrder},
        {"P20260101", "600001", "A", RecordKind::UnconfirmedOrder},
        {"0???", "600002", "A", RecordKind::OversoldRemainder},
        {"###", "730001", "A", RecordKind::NotAtBroker},
        {"b", "600000", "A", RecordKind::ManualSellNew},
        {"s", "600000", "A", RecordKind::ManualSellChosen},
        {"###", "zzc", "zzc", RecordKind::MarketValueTotal},
        {"###", "zzz", "zzz", RecordKind::DiscountedValueTotal},
        {"", "zzc", "zzc", RecordKind::MarketValueTotal},  // appended by the valuation, not yet marked
    };
    for (const auto& r : rows)
        EXPECT_EQ(recordKind(r.wth, r.code, r.lx), r.kind) << r.wth << " / " << r.code << " / " << r.lx;
}

TEST(OrderNumbers, HaveTheirFormsAndSortWhereThePredicatesLookForThem) {
    const DateTime t{2026, 12, 7, 9, 30, 5};
    EXPECT_EQ(buyOrderNumber(t, 1), "26120709301");
    EXPECT_EQ(buyOrderNumber(t, 12), "261207093012");
    EXPECT_EQ(sellOrderNumber(t), "1207093005");
    EXPECT_EQ(closedOutMark(t), "P2026120709");
    // Unconfirmed orders lie between "0" and "999999"; closed-out marks between "P" and "PA", below
    // "P999999"; the manual mark below "P".
    for (const std::string& n : {buyOrderNumber(t, 1), sellOrderNumber(DateTime{2026, 1, 1, 0, 0, 0})}) {
        EXPECT_TRUE(n > "0" && n < "999999") << n;
        EXPECT_EQ(recordKind(n, "600000", "A"), RecordKind::UnconfirmedOrder);
    }
    const std::string mark = closedOutMark(DateTime{2099, 12, 31, 23, 0, 0});
    EXPECT_TRUE(mark > "P" && mark < "PA" && mark < "P999999") << mark;
    EXPECT_EQ(recordKind(mark, "600000", "A"), RecordKind::ClosedOut);
    EXPECT_LT(std::string(kManualMark), "P");
}

}  // namespace
