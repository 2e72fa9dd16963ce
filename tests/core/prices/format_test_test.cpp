#include "prices/format_test.h"

#include "prices/prices_fixture.h"

namespace varneth::prices {
namespace {

using Strings = std::vector<std::string>;
using testsupport::dayRecord;
using testsupport::intBits;

class FormatTestTest : public testsupport::PricesFixture {
protected:
    void SetUp() override {
        PricesFixture::SetUp();
        ASSERT_TRUE(sources->toCurrent());  // tdx: 32, type 2
    }
    bool run(const std::string& bytes) {
        testsupport::writeBytes(dir / "k.day", bytes);
        return FormatTest(engine, *sources, prompter).run(dir / "k.day");
    }
    std::string stored(const char* field) {
        storage::Cursor c(engine.database(storage::Alias::Curr), "hq_path.DBF");
        EXPECT_TRUE(c.locate("HQCODE", {"tdx"}));
        return c.value(field).toString();
    }
    // n No answers, then Yes.
    void yesAfter(int n) {
        for (int i = 0; i < n; ++i) prompter.expectAnswers({false});
        prompter.expectAnswers({true});
    }
};

TEST_F(FormatTestTest, PlainDateOfLength45ThenThousandthsAfterTheMeaninglessFloat) {
    const std::string bytes =
        dayRecord(20261203, intBits(10000), 45) + dayRecord(20261204, intBits(12345), 45);
    yesAfter(45 - 24);  // the date question at 45 is the 22nd
    yesAfter(1);        // the float is refused, thousandths taken
    ASSERT_TRUE(run(bytes));
    EXPECT_EQ(prompter.questions.front(), std::to_string(0) + "这是最近日期吗? 请仔细回答!");
    EXPECT_EQ(prompter.questions[21], "20261204这是最近日期吗? 请仔细回答!");
    EXPECT_EQ(prompter.questions[22], "   这是最近价格吗? 请仔细回答!");  // a denormal shows as nothing
    EXPECT_EQ(prompter.questions[23], "12.345这是最近价格吗?");
    EXPECT_EQ(prompter.messages, (Strings{"记录长度是45", "价格数据类型是3,和钱龙相同"}));
    EXPECT_EQ(stored("LENGTH"), "45");
    EXPECT_EQ(stored("TYPE"), "3");
}

TEST_F(FormatTestTest, ComplementedDatesOnlyAfterEveryPlainLength) {
    const std::string bytes =
        dayRecord(~20261203, intBits(~10000), 32) + dayRecord(~20261204, intBits(~12345), 32);
    yesAfter(22 + 8);  // all 22 plain lengths refused; the complemented one at 32
    yesAfter(3);
    ASSERT_TRUE(run(bytes));
    EXPECT_EQ(prompter.questions[21].find("  这是"), std::string::npos);
    EXPECT_EQ(prompter.questions[30], "20261204  这是最近日期吗? 请仔细回答!");
    EXPECT_EQ(prompter.questions[34], "12.345这是最近价格吗?");
    EXPECT_EQ(prompter.messages, (Strings{"记录长度是32;可能是胜龙格式.", "价格数据类型是1, 和胜龙相同"}));
    EXPECT_EQ(stored("TYPE"), "1");
}

TEST_F(FormatTestTest, GivingUpKeepsTheTypeAndAShortFileWritesNothing) {
    const std::string bytes = dayRecord(20261204, testsupport::floatBits(10.125f), 32);
    yesAfter(8);
    for (int i = 0; i < 4; ++i) prompter.expectAnswers({false});
    EXPECT_FALSE(run(bytes));
    EXPECT_EQ(prompter.questions[9], "10.13   这是最近价格吗? 请仔细回答!");
    EXPECT_EQ(prompter.messages.back(), FormatTest::kGiveUp);
    EXPECT_EQ(stored("TYPE"), "2");

    prompter.messages.clear();
    prompter.questions.clear();
    EXPECT_FALSE(run(std::string(23, '\1')));
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(prompter.messages, Strings{FormatTest::kTooShort});

    // A 30-byte file is asked about lengths 24 to 30 only, then the complemented ones.
    prompter.messages.clear();
    for (int i = 0; i < 14; ++i) prompter.expectAnswers({false});
    EXPECT_FALSE(run(std::string(30, '\1')));
    EXPECT_EQ(prompter.questions.size(), 14u);
    EXPECT_EQ(prompter.messages, Strings{FormatTest::kNoDate});
    EXPECT_EQ(stored("LENGTH"), "32");
}

TEST(FormatTestText, PatternAndGeneralForms) {
    EXPECT_EQ(FormatTest::patternText(0.5f), ".5");
    EXPECT_EQ(FormatTest::patternText(12.0f), "12");
    EXPECT_EQ(FormatTest::patternText(-3.25f), "-3.25");
    EXPECT_EQ(FormatTest::patternText(1e-41f), "");
    EXPECT_EQ(FormatTest::generalText(12345 * 0.001), "12.345");
    EXPECT_EQ(FormatTest::generalText(-10001 * 0.001), "-10.001");
    EXPECT_EQ(FormatTest::generalText(0.000015), "1.5E-5");
}

}  // namespace
}  // namespace varneth::prices
