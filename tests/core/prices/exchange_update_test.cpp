// A "dbf" source: the exchanges' own quote tables, written here as dBASE files.
#include "prices/prices_fixture.h"
#include "support/dbf_writer.h"

namespace varneth::prices {
namespace {

using Strings = std::vector<std::string>;

using testsupport::writeDbf;

class ExchangeUpdateTest : public testsupport::PricesFixture {
protected:
    void SetUp() override {
        PricesFixture::SetUp();
        use("dbf");
        // File and field names in another case than the program writes them.
        writeDbf(quotes() / "Z_HQ.DBF", {{"FZQDM", 'C'}, {"FZJCJ", 'N'}},
                 {{"0002", "7.5"}, {"0063", "0"}, {"0999", "0"}, {"0998", "12.34"}});
        writeDbf(quotes() / "z_zs.dbf", {{"fzsmc", 'C'}, {"fzjzs", 'N'}},
                 {{"深证综合指数", "2100.1"}, {"深证成份指数", "12500.5"}});
        writeDbf(quotes() / "z_zqxx.dbf", {{"fzqdm", 'C'}, {"fzqjc", 'C'}}, {{"0998", "新深股  "}});
        writeDbf(quotes() / "show128.dbf", {{"s1", 'C'}, {"s2", 'C'}, {"s8", 'N'}},
                 {{"600000", "浦发银行", "13.5"},
                  {"601318", "中国平安", "0"},
                  {"600036", "招商银行", "43.21"},
                  {"000008", "综合指数", "3913.5"}});
        addHolding("0002", 6.0);
        addHolding("0063", 5.0);
    }
    void addHolding(const char* code, double price) {
        storage::Cursor c(engine.database(storage::Alias::Kvt), "tr2.DBF");
        c.append();
        c.setValue("QSDM", "htzq");
        c.setValue("ZJZH", "10086601");
        c.setValue("CODE", code);
        c.setValue("PRICE2", price);
        c.post();
    }
    bool hasCode(const char* code) {
        return storage::Cursor(engine.database(storage::Alias::Curr), "allstocks.DBF").locate("CODE", {code});
    }
};

TEST_F(ExchangeUpdateTest, GeneralTableTakesPricesAndNewCodesButNoZeroOverAPrice) {
    {
        storage::Cursor c(engine.database(storage::Alias::Curr), "allstocks.DBF");
        c.append();
        c.setValue("CODE", "0063");
        c.setValue("PRICE", 4.4);
        c.post();
    }
    ASSERT_TRUE(update->updateAll(DisplayMode::Both));
    EXPECT_EQ(prompter.messages, (Strings{"股票代码价格表更新完毕,补充了4个股票.", PriceUpdate::kDbfDone}));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(general("0063"), 4.4);
    EXPECT_EQ(general("0999"), 0.0);  // a new code comes in even at 0
    EXPECT_EQ(general("0998"), 12.34);
    EXPECT_EQ(general("600000"), 13.5);
    EXPECT_EQ(general("601318"), 52.3);
    EXPECT_EQ(general("600036"), 43.21);
    storage::Cursor c(engine.database(storage::Alias::Curr), "allstocks.DBF");
    ASSERT_TRUE(c.locate("CODE", {"0998"}));
    EXPECT_EQ(c.text("NAME"), "新深股");
}

TEST_F(ExchangeUpdateTest, HoldingsAndIndexLevelsOnTodaysMarketRow) {
    ASSERT_TRUE(update->updateMine(DisplayMode::Both));
    EXPECT_EQ(prompter.messages, (Strings{"价格已更新!", "深市成份指数已更新!", "沪市综合指数已更新!"}));
    EXPECT_EQ(held("0002"), 7.5);
    EXPECT_EQ(held("0063"), 5.0);  // a Shenzhen zero is no price either
    EXPECT_EQ(held("600036"), 43.21);
    EXPECT_EQ(held("601318"), 52.3);
    storage::Cursor book(engine.database(storage::Alias::Kvt), "tr2.DBF");
    ASSERT_TRUE(book.locate("CODE", {"600000"}));  // only closed out: keeps its sell price
    EXPECT_EQ(book.number("PRICE2"), 11.2);
    EXPECT_EQ(fundLast("SZ").toDouble(), 12500);  // whole numbers, halves to even
    EXPECT_EQ(fundLast("SHZ").toDouble(), 3914);
}

TEST_F(ExchangeUpdateTest, AnOlderMarketRowLeavesTheFundLedgerAlone) {
    clock.set({2026, 12, 5, 17, 0, 0});
    ASSERT_TRUE(update->updateMine(DisplayMode::Both));
    EXPECT_EQ(prompter.messages, (Strings{"价格已更新!", PriceUpdate::kNoMarketRowToday}));
    EXPECT_EQ(fundLast("SZ").toDouble(), 12416);
    EXPECT_EQ(fundLast("SHZ").toDouble(), 3912);
}

TEST_F(ExchangeUpdateTest, AMissingFileStopsBeforeAnythingIsWritten) {
    EXPECT_TRUE(update->checkExchangeFiles());
    std::filesystem::remove(quotes() / "show128.dbf");
    EXPECT_FALSE(update->checkExchangeFiles());
    EXPECT_FALSE(update->updateAll(DisplayMode::Both));
    EXPECT_FALSE(update->updateMine(DisplayMode::Both));
    const std::string missing = "找不到文件" + (quotes() / "show128.dbf").string() + ",请检查!";
    EXPECT_EQ(prompter.messages, (Strings{missing, missing, missing}));
    EXPECT_FALSE(hasCode("0998"));
    EXPECT_EQ(held("0002"), 6.0);
}

TEST_F(ExchangeUpdateTest, ATableCutShortIsReportedAndNothingWritten) {
    const auto file = quotes() / "show128.dbf";
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 10);
    EXPECT_FALSE(update->checkExchangeFiles());
    EXPECT_FALSE(update->updateAll(DisplayMode::Both));
    EXPECT_EQ(prompter.messages.size(), 2u);
    for (const auto& m : prompter.messages) EXPECT_NE(m.find(file.string()), std::string::npos) << m;
    EXPECT_FALSE(hasCode("0998"));
    EXPECT_EQ(held("0002"), 6.0);
}

}  // namespace
}  // namespace varneth::prices
