#include <gtest/gtest.h>

#include "fund/fund_ledger.h"
#include "fund_fixture.h"
#include "ledger/holdings.h"

using namespace varneth;

namespace {

// The market row from the holdings module's own valuation.
class FundValuationTest : public testsupport::FundFixture {
protected:
    void SetUp() override {
        FundFixture::SetUp();
        storage::Cursor types(session->curr(), "lx.DB");
        types.append();
        for (auto [f, v] : {std::pair<const char*, storage::Value>{"Lx", "A"}, {"Lxm", "沪A股"}, {"Zk_rate", 0.8},
                            {"Bzj_rate", 1.0}, {"Sxf_rate", 0.0}, {"Yhs_rate", 0.0}})
            types.setValue(f, v);
        types.post();
        storage::Cursor qs(session->curr(), "qs.db");
        qs.append();
        qs.setValue("Qsdm", "htzq");
        qs.setValue("Qs", "华泰");
        qs.post();
        book = std::make_unique<storage::Cursor>(session->kvt(), "tr2.DBF");
        row("xj", "xj", 5000, 1);
        row("600036", "A", 1000, 10, 12, 0.8);
        add("2026-12-01", "@@@", 0, {{"PRICE", 1.0}, {"Num", 1}, {"FUND", 0.0}});
        add("2026-12-02", "@@@", 10000);
        ledger = std::make_unique<fund::FundLedger>(engine, fund::valuationOf(session->holdings()), prompter, clock);
    }
    void row(const char* code, const char* lx, double amt, double p1, double p2 = 1, double zk = 1) {
        book->append();
        for (auto [f, v] : {std::pair<const char*, storage::Value>{"QSDM", "htzq"}, {"ZJZH", "10086601"},
                            {"GDDM", "A1"}, {"CODE", code}, {"NAME", code}, {"LX", lx}, {"AMT", amt},
                            {"PRICE1", p1}, {"PRICE2", p2}, {"BS", 1}, {"BIRATE", 1.0}, {"ZK_RATE", zk},
                            {"DATE1", "2026-11-02"}})
            book->setValue(f, v);
        book->post();
    }
    double marketInput() {
        EXPECT_TRUE(table().locate("PYCODE", {"***"}));
        return table().number("INPUT");
    }
    std::unique_ptr<storage::Cursor> book;
};

TEST_F(FundValuationTest, TheGainIsTheDiscountedTotalOverTheFundAndAStoppedValuationChangesNothing) {
    session->holdings().setView(ledger::Holdings::View::Closed);  // the editor showing closed rows
    fund().show();
    EXPECT_EQ(marketInput(), 4600);  // 5000 cash + 12000 × 0.8 - 10000
    EXPECT_EQ(at(count() - 1, "FUND"), 14600);

    ASSERT_TRUE(book->locate("CODE", {"600036"}));
    book->setValue("PRICE2", 13.0);
    book->post();
    row("600000", "", 100, 1);  // a row without a type stops the valuation
    prompter.messages.clear();
    fund().show();
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{ledger::Holdings::kNoType}));
    EXPECT_EQ(marketInput(), 4600);
    EXPECT_EQ(count(), 3);
}

}  // namespace
