#include "prices/exchange_quotes.h"

#include <fstream>

#include "prices/exchange_files.h"
#include "reference/settings_fixture.h"
#include "support/dbf_writer.h"

using namespace varneth;
using prices::ExchangeQuotes;
using testsupport::writeDbf;

namespace {

using Strings = std::vector<std::string>;

class ExchangeQuotesTest : public testsupport::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        std::filesystem::create_directories(from());
        // Index and bond records head the Shanghai file; the first code from "5" ends the head.
        writeDbf(from() / "show2003.dbf", {{"s1", 'C'}, {"S2", 'C'}, {"s10", 'N'}},
                 {{"000001", "上证指数", "3912.35"},
                  {"010107", "国债", "101"},
                  {"600000", "浦发银行", "13.5"},
                  {"000300", "沪深300", "4000"},  // after the head: taken whatever its code
                  {"600036", "招商银行", "0"},
                  {"601318", "中国平安", "0"}});
        writeDbf(from() / "SJSHQ.DBF", {{"HQZQDM", 'C'}, {"HQZQJC", 'C'}, {"HQZJCJ", 'N'}},
                 {{"000002", "万科A", "7.5"}, {"600000", "两地", "14"}});
        general("601318", "中国平安", 52.3);
        quotes = std::make_unique<ExchangeQuotes>(engine, *settings, prompter);
        quotes->setStatus([this](const std::string& text, bool final) {
            if (final) status.push_back(text);
        });
    }
    std::filesystem::path from() const { return dir / "downloads"; }
    double price(const char* code) {
        storage::Cursor c(engine.database(storage::Alias::Curr), "allstocks.DBF");
        EXPECT_TRUE(c.locate("CODE", {code})) << code;
        return c.number("PRICE");
    }
    int rows() { return storage::Cursor(engine.database(storage::Alias::Curr), "allstocks.DBF").count(); }

    std::unique_ptr<ExchangeQuotes> quotes;
    Strings status;
};

TEST_F(ExchangeQuotesTest, BothFilesLoadIntoTheGeneralTableAndOnIntoTheHoldingsList) {
    listed("000002", 6);
    ASSERT_TRUE(quotes->update(from()));
    EXPECT_EQ(status, (Strings{ExchangeQuotes::shanghaiStatus(4), ExchangeQuotes::shenzhenStatus(2),
                               ExchangeQuotes::kDone}));
    EXPECT_EQ(status[0], "请等，上海已处理4个记录         ");
    storage::Cursor all(engine.database(storage::Alias::Curr), "allstocks.DBF");
    EXPECT_FALSE(all.locate("CODE", {"000001"}));  // the head is skipped
    EXPECT_FALSE(all.locate("CODE", {"010107"}));
    EXPECT_EQ(price("000300"), 4000);
    EXPECT_EQ(price("600000"), 14);    // Shenzhen comes last
    EXPECT_EQ(price("600036"), 0);     // a new code comes in even at 0
    EXPECT_EQ(price("601318"), 52.3);  // a zero never replaces a price
    ASSERT_TRUE(all.locate("CODE", {"000002"}));
    EXPECT_EQ(all.text("NAME"), "万科A");
    // "据总表更新价格" followed.
    ASSERT_TRUE(session->lookups().holdingsPrices().locate("code", {"000002"}));
    EXPECT_EQ(session->lookups().holdingsPrices().number("price2"), 7.5);

    const int count = rows();
    ASSERT_TRUE(quotes->update(from()));
    EXPECT_EQ(rows(), count);  // no duplicate codes on a second run
    EXPECT_TRUE(prompter.said.empty());
}

TEST_F(ExchangeQuotesTest, AMissingOrTruncatedFileStopsBeforeAnythingIsWritten) {
    std::filesystem::remove(*prices::findFileAnyCase(from(), "SJSHQ.DBF"));
    EXPECT_FALSE(quotes->update(from()));
    EXPECT_EQ(prompter.messages, Strings{"找不到文件SJSHQ.DBF,请检查!"});
    EXPECT_EQ(rows(), 1);

    // A download cut off in the middle of the records.
    const auto file = from() / "show2003.dbf";
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 40);
    writeDbf(from() / "sjshq.dbf", {{"HQZQDM", 'C'}, {"HQZQJC", 'C'}, {"HQZJCJ", 'N'}},
             {{"000002", "万科A", "7.5"}});
    EXPECT_FALSE(quotes->update(from()));
    EXPECT_EQ(prompter.messages.back(), "文件SHOW2003.DBF已损坏,请检查!");
    EXPECT_EQ(rows(), 1);

    // Not a dBASE table at all, and a table without the fields used.
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "<html>not found</html>";
    EXPECT_FALSE(quotes->update(from()));
    writeDbf(file, {{"CODE", 'C'}, {"PRICE", 'N'}}, {{"600000", "1"}});
    EXPECT_FALSE(quotes->update(from()));
    EXPECT_EQ(prompter.messages.size(), 4u);
    EXPECT_EQ(prompter.messages.back(), "文件SHOW2003.DBF已损坏,请检查!");
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(status.empty());
}

TEST_F(ExchangeQuotesTest, LocationsComeFromTheListFileAndAMissingOneIsEmpty) {
    EXPECT_TRUE(ExchangeQuotes::locations(dir.path()).empty());
    std::ofstream(dir / "sjlj.txt") << "http://a.example/q\r\n\r\nhttp://b.example/d  \n";
    EXPECT_EQ(ExchangeQuotes::locations(dir.path()), (Strings{"http://a.example/q", "http://b.example/d"}));
    EXPECT_EQ(ExchangeQuotes::links("http://a.example/q"),
              (Strings{"http://a.example/q/SHOW2003.DBF", "http://a.example/q/SJSHQ.DBF"}));
}

}  // namespace
