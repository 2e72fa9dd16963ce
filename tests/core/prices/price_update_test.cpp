#include "prices/price_update.h"

#include "prices/prices_fixture.h"
#include "text/gbk.h"

namespace varneth::prices {
namespace {

using Strings = std::vector<std::string>;

class PriceUpdateTest : public testsupport::PricesFixture {};

TEST_F(PriceUpdateTest, AllPricesInCodeOrderZeroNeverOverwritesDamagedToldOnce) {
    tdx("sz", "000002", 700);
    tdx("sh", "600000", 0);       // shown, not written
    tdx("sh", "113050", 126805);  // a bond in thousandths: 126.805 goes to the even cent
    tdx("sh", "510050", 3125);    // a fund in thousandths: an exact half to the even cent
    testsupport::writeBytes(quotes() / "vipdoc/sz/lday/sz000063.day", std::string(20, '\1'));
    testsupport::writeBytes(quotes() / "vipdoc/sz/lday/sz000069.day", std::string(31, '\1'));

    ASSERT_TRUE(update->updateAll(DisplayMode::Both));
    EXPECT_EQ(shown, (Strings{"000002:7.00", "113050:126.80", "510050:3.12", "600000:0.00"}));
    EXPECT_EQ(general("000002"), static_cast<double>(7.0f));
    EXPECT_EQ(general("113050"), static_cast<double>(126.8f));
    EXPECT_EQ(general("510050"), static_cast<double>(3.12f));
    EXPECT_EQ(general("600000"), 11.62);
    EXPECT_EQ(prompter.messages, Strings{"有2个日K线文件不完整或已损坏,已跳过:" +
                                         (quotes() / "vipdoc/sz/lday/sz000063.day").string()});
    EXPECT_EQ(lastProgress.first, lastProgress.second);
    EXPECT_EQ(lastProgress.second, generalCount());
}

TEST_F(PriceUpdateTest, ShowOnlyWritesNoSecurityPriceButTheIndexLevels) {
    tdx("sz", "000001", 1200);
    tdx("sz", "399001", 1250065);  // the float nearest 12500.65 lies above the half: 12500.7
    tdx("sh", "000001", 391235);   // 699001 is read from sh000001

    ASSERT_TRUE(update->updateMine(DisplayMode::ShowOnly));
    EXPECT_EQ(shown, (Strings{"000001:12.00"}));
    EXPECT_EQ(held("000001"), 11.62);
    EXPECT_NEAR(fundLast("SZ").toDouble(), 12500.7, 1e-9);
    EXPECT_NEAR(fundLast("SHZ").toDouble(), 3912.4, 1e-9);
    EXPECT_EQ(reopened, 1);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(PriceUpdateTest, MinePricesTheHoldingsOnlyAndKeepsStoredLevelsOnZero) {
    tdx("sz", "000001", 1200);
    tdx("sh", "600000", 1300);  // held only as closed-out rows: their sell price stays
    tdx("sz", "399001", 0);

    ASSERT_TRUE(update->updateMine(DisplayMode::UpdateOnly));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(held("000001"), static_cast<double>(12.0f));
    storage::Cursor book(engine.database(storage::Alias::Kvt), "tr2.DBF");
    for (book.first(); !book.eof(); book.next())
        if (book.text("WTH").starts_with("P")) {
            EXPECT_NE(book.number("PRICE2"), static_cast<double>(13.0f));
        }
    EXPECT_EQ(fundLast("SZ").toDouble(), 12416);
    EXPECT_EQ(fundLast("SHZ").toDouble(), 3912);
}

TEST_F(PriceUpdateTest, EmptyFundLedgerGetsNoRowForTheLevels) {
    {
        storage::Cursor fund(engine.database(storage::Alias::Kvt), "Fund2.DB");
        while (!fund.isEmpty()) fund.remove();
    }
    tdx("sz", "399001", 1250000);
    ASSERT_TRUE(update->updateMine(DisplayMode::Both));
    EXPECT_TRUE(storage::Cursor(engine.database(storage::Alias::Kvt), "Fund2.DB").isEmpty());
}

TEST_F(PriceUpdateTest, PathChecksStopBeforeAnythingIsRead) {
    sources->table().setValue("PATH", "");
    sources->table().post();
    EXPECT_FALSE(update->updateAll(DisplayMode::Both));
    ASSERT_TRUE(sources->setPath(dir / "gone"));
    EXPECT_FALSE(update->updateMine(DisplayMode::Both));
    EXPECT_FALSE(update->updateCodes(DisplayMode::Both));
    EXPECT_EQ(prompter.messages, (Strings{"不能用!", "设置的路径不存在！", "设置的路径不存在！"}));
}

TEST_F(PriceUpdateTest, ChoosingASourceMarksItAlone) {
    ASSERT_TRUE(sources->choose("qlong"));
    EXPECT_FALSE(sources->choose("nosuch"));
    storage::Cursor c(engine.database(storage::Alias::Curr), "hq_path.DBF");
    Strings now;
    for (c.first(); !c.eof(); c.next())
        if (c.logical("NOW")) now.push_back(c.text("HQCODE"));
    EXPECT_EQ(now, Strings{"qlong"});
    EXPECT_FALSE(sources->setPath(std::string(61, 'a')));
}

// Code tables of a package of the user's own: both markets, Shenzhen first.
class CodeTableTest : public testsupport::PricesFixture {
protected:
    void generic(int szLen, int shLen) {
        use(sources->choose("mine") ? "mine" : "hjin");
        storage::Cursor& row = sources->table();
        row.setValue("HQCODE", "mine");
        for (const auto& [f, v] :
             std::vector<std::pair<const char*, storage::Value>>{{"SZSUBTAB", "\\tab"},
                                                                 {"SZCODEFILE", "sz.txt"},
                                                                 {"SZLEN", szLen},
                                                                 {"SZC1", 1},
                                                                 {"SZCLEN", 6},
                                                                 {"SZN1", 7},
                                                                 {"SZNLEN", 8},
                                                                 {"SHSUBTAB", "\\tab"},
                                                                 {"SHCODEFILE", "sh.txt"},
                                                                 {"SHLEN", shLen},
                                                                 {"SHC1", 3},
                                                                 {"SHCLEN", 6},
                                                                 {"SHN1", 10},
                                                                 {"SHNLEN", 8}})
            row.setValue(f, v);
        row.post();
    }
    static std::string gbk(const char* utf8) { return text::utf8ToGbk(utf8); }
};

TEST_F(CodeTableTest, BothFilesAreReadEachCodeAddedOnceLettersIgnored) {
    generic(16, 20);
    testsupport::writeBytes(quotes() / "tab/sz.txt",
                            testsupport::codeRecord(16, 1, "000002", 7, gbk("万科A")) +
                                testsupport::codeRecord(16, 1, "001999", 7, gbk("新股甲")) +
                                testsupport::codeRecord(16, 1, "A00001", 7, gbk("字母")) +
                                "12345");  // a trailing part record
    testsupport::writeBytes(quotes() / "tab/sh.txt",
                            testsupport::codeRecord(20, 3, "688999", 10, gbk("新股乙")) +
                                testsupport::codeRecord(20, 3, "001999", 10, gbk("重复")));
    const int before = generalCount();
    ASSERT_TRUE(update->updateCodes(DisplayMode::Both));
    EXPECT_EQ(shown, (Strings{"001999-新股甲", "688999-新股乙"}));
    EXPECT_EQ(generalCount(), before + 2);
    storage::Cursor c(engine.database(storage::Alias::Curr), "allstocks.DBF");
    ASSERT_TRUE(c.locate("CODE", {"001999"}));
    EXPECT_EQ(c.text("NAME"), "新股甲");
    EXPECT_TRUE(c.value("PRICE").isNull());

    shown.clear();
    ASSERT_TRUE(update->updateCodes(DisplayMode::Both));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(generalCount(), before + 2);
}

TEST_F(CodeTableTest, ShowOnlyAddsNothingBadLayoutAndMissingFileAreTold) {
    generic(0, 20);
    testsupport::writeBytes(quotes() / "tab/sz.txt",
                            testsupport::codeRecord(16, 1, "001999", 7, gbk("新股甲")));
    const int before = generalCount();
    ASSERT_TRUE(update->updateCodes(DisplayMode::ShowOnly));
    EXPECT_EQ(prompter.messages,
              (Strings{PriceUpdate::kBadLayout, PriceUpdate::missingFile(quotes() / "tab/sh.txt")}));
    EXPECT_EQ(generalCount(), before);

    prompter.messages.clear();
    generic(16, 20);
    ASSERT_TRUE(update->updateCodes(DisplayMode::ShowOnly));
    EXPECT_EQ(shown, Strings{"001999-新股甲"});
    EXPECT_EQ(generalCount(), before);
}

TEST_F(CodeTableTest, PackagesWithoutAReadableTableSaySo) {
    use("tdx");
    EXPECT_FALSE(update->updateCodes(DisplayMode::Both));
    use("eye98");
    EXPECT_FALSE(update->updateCodes(DisplayMode::Both));
    use("qlong");
    EXPECT_FALSE(update->updateCodes(DisplayMode::Both));
    EXPECT_EQ(prompter.messages, (Strings{"暂不能读！", "暂不能读！", "没有相应文件，放弃补充."}));
}

TEST_F(CodeTableTest, BuiltInLayoutOfHjin) {
    use("hjin");
    testsupport::writeBytes(quotes() / "sz.cod", testsupport::codeRecord(20, 3, "002999", 10, gbk("深新")));
    testsupport::writeBytes(quotes() / "sh.cod", testsupport::codeRecord(20, 3, "603999", 10, gbk("沪新")));
    ASSERT_TRUE(update->updateCodes(DisplayMode::Both));
    EXPECT_EQ(shown, (Strings{"002999-深新", "603999-沪新"}));
}

}  // namespace
}  // namespace varneth::prices
