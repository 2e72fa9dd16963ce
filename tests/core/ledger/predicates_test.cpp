// The ledger's record kinds are told apart by byte comparisons of markers in SQL; these checks run
// the product's predicates through the query layer over one row of every kind.
#include <gtest/gtest.h>

#include <set>

#include "ledger/records.h"
#include "storage/cursor.h"
#include "storage/engine.h"
#include "storage/query.h"
#include "support/temp_dir.h"

using namespace varneth;
using storage::Alias;

namespace {

class PredicatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.bind(Alias::Kvt, dir.path(), true);
        db().createTables(Alias::Kvt);
        storage::Cursor t(db(), "tr2.DBF");
        auto add = [&](const char* name, const char* wth, const char* code, const char* lx, const char* qsdm,
                       double amt) {
            t.append();
            t.setValue("NAME", name);
            t.setValue("WTH", wth);
            t.setValue("CODE", code);
            t.setValue("LX", lx);
            t.setValue("QSDM", qsdm);
            t.setValue("AMT", amt);
            t.post();
        };
        add("holding", "", "600000", "A", "01", 100);
        add("order", "2612070930", "600036", "A", "01", 200);
        add("frozen", "2612070930", "xj", "xj", "01", -2000);
        add("cash", "", "xj", "xj", "01", 5000);
        add("closed", "P2026010100", "600001", "A", "01", 100);
        add("sold", "P2026010100", "600001", "A", "01", -100);
        add("remains", "0???", "600002", "A", "01", -50);
        add("manual", "###", "730001", "A", "01", 1000);
        add("zzc", "###", "zzc", "zzc", "zzc", 1);
        add("zzz", "###", "zzz", "zzz", "zzz", 1);
    }
    storage::Database& db() { return engine.database(Alias::Kvt); }
    std::set<std::string> select(std::string_view where) {
        storage::Query q(db());
        q.setText(std::string("select name from \"tr2.dbf\" ") + std::string(where));
        auto& r = q.open();
        std::set<std::string> names;
        for (r.first(); !r.eof(); r.next()) names.insert(r.text("name"));
        return names;
    }

    testsupport::TempDir dir;
    storage::Engine engine;
};

using Names = std::set<std::string>;

TEST_F(PredicatesTest, EachPredicateSelectsExactlyTheKindsItNames) {
    EXPECT_EQ(select(ledger::kCatalogPredicate),
              (Names{"holding", "order", "frozen", "cash", "remains", "manual", "zzc", "zzz"}));
    EXPECT_EQ(select(ledger::kDetailPredicate), select(ledger::kCatalogPredicate));
    EXPECT_EQ(select(ledger::kUnconfirmedPredicate), (Names{"order", "remains"}));
    EXPECT_EQ(select(ledger::kFundReportPredicate), (Names{"holding", "cash"}));
    EXPECT_EQ(select(ledger::kOptimiserPredicate), (Names{"holding", "order", "frozen", "cash", "remains"}));
    EXPECT_EQ(select(ledger::kStatisticsPredicate), (Names{"holding", "cash", "closed", "manual", "zzc", "zzz"}));
}

TEST_F(PredicatesTest, TheNamedOrderingsSplitTheBookBetweenHoldingsAndClosedOut) {
    storage::Cursor t(db(), "tr2.DBF");
    t.setOrdering("For_PC");
    Names closed;
    for (t.first(); !t.eof(); t.next()) closed.insert(t.text("NAME"));
    EXPECT_EQ(closed, (Names{"closed", "sold", "remains"}));
    t.setOrdering("No_PC");
    EXPECT_EQ(t.count(), 7);
    EXPECT_EQ(t.text("QSDM"), "01");  // by broker first: the total rows come last
    t.last();
    EXPECT_EQ(t.text("QSDM"), "zzz");
}

}  // namespace
