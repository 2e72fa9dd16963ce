// The seed under data/ is what every new program directory starts from: it must load whole, and
// the demonstration book must agree with its own fund ledger and currencies.
#include <gtest/gtest.h>

#include "app/program_directory.h"
#include "storage/cursor.h"
#include "storage/engine.h"
#include "support/temp_dir.h"

using namespace varneth;
using storage::Alias;

namespace {

class SeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(dir / "prog", app::findDataDir(dir.path()), /*bare=*/false);
        engine.bind(Alias::Curr, dir / "prog");
    }
    storage::Database& kvt(const std::string& subdir) {
        engine.bind(Alias::Kvt, dir / "prog" / subdir);
        return engine.database(Alias::Kvt);
    }
    testsupport::TempDir dir;
    storage::Engine engine;
};

TEST_F(SeedTest, EveryAccountHasOneSettlementCurrencyAtRateOne) {
    std::vector<std::string> subdirs;
    storage::Cursor z(engine.database(Alias::Curr), "z.db");
    for (z.first(); !z.eof(); z.next()) subdirs.push_back(z.text("Subdir"));
    EXPECT_EQ(subdirs.size(), 2u);
    subdirs.push_back("empty");
    for (const auto& s : subdirs) {
        storage::Cursor bi(kvt(s), "bi.db");
        int settlement = 0;
        for (bi.first(); !bi.eof(); bi.next())
            if (bi.logical("Now")) {
                ++settlement;
                EXPECT_EQ(bi.number("Rate"), 1.0) << s;
            }
        EXPECT_EQ(settlement, 1) << s;
    }
}

TEST_F(SeedTest, DemoBookMeetsItsFundLedgerAndCurrencies) {
    auto& db = kvt("demo");
    storage::Cursor book(db, "tr2.DBF"), fund(db, "Fund2.DB"), zh(db, "zh_bi.db"), bi(db, "bi.db");
    ASSERT_TRUE(book.locate("QSDM", {"zzz"}));
    fund.last();
    EXPECT_NEAR(fund.number("FUND"), book.number("COST2"), 1.0);
    EXPECT_EQ(fund.text("PYCODE"), "***");
    for (zh.first(); !zh.eof(); zh.next()) {
        ASSERT_TRUE(bi.locate("Code", {zh.text("Bicode")})) << zh.text("Bicode");
        for (book.first(); !book.eof(); book.next())
            if (book.text("QSDM") == zh.text("Qsdm") && book.text("ZJZH") == zh.text("Zjzh")) {
                EXPECT_EQ(book.number("BIRATE"), bi.number("Rate")) << book.text("CODE");
            }
    }
}

}  // namespace
