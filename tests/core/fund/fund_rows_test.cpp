#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fund/fund_ledger.h"
#include "fund/fund_report.h"
#include "fund_fixture.h"
#include "text/dates.h"
#include "port/report_sink.h"

using namespace varneth;
using fund::FundLedger;

namespace {

class FundRowsTest : public testsupport::FundFixture {
protected:
    std::string day(int i) { return text::Date{2026, 1, 1}.addDays(i).iso(); }
    std::vector<double> column(const char* field) {
        std::vector<double> out;
        for (int i = 0; i < count(); ++i) out.push_back(at(i, field));
        return out;
    }
    std::vector<std::string> texts(const char* field) {
        std::vector<std::string> out;
        for (int i = 0; i < count(); ++i) out.push_back(textAt(i, field));
        return out;
    }
};

TEST_F(FundRowsTest, SerialNumbersSkipMarketRowsAndMoveATakenNumberOutOfTheWay) {
    add(day(0), "@@@", 0, {{"Num", 1}, {"PRICE", 1.0}});
    add(day(1), "lxh", 10, {{"Num", 2}});
    add(day(2), "***", 5, {{"Num", 7}});
    add(day(3), "wjg", 10);
    add(day(4), "zhs", 10, {{"Num", 3}});  // holds the number the row before takes
    table().last();
    fund().fillnum();
    EXPECT_EQ(column("Num"), (std::vector<double>{1, 2, 7, 3, 4}));
}

TEST_F(FundRowsTest, SerialNumbersStartTwentyRowsBackAtANumberedRow) {
    add(day(0), "@@@", 0, {{"Num", 1}, {"PRICE", 1.0}});
    for (int i = 1; i < 40; ++i) add(day(i), "lxh", 10, {{"Num", i == 5 ? 99 : i == 35 ? 0 : i + 1}});
    add(day(40), "***", 5, {{"Num", 0}});
    add(day(41), "wjg", 10);
    table().last();
    fund().fillnum();
    EXPECT_EQ(at(5, "Num"), 99);  // far back: untouched
    EXPECT_EQ(at(35, "Num"), 36);
    EXPECT_EQ(at(40, "Num"), 0);  // market rows keep what they have
    EXPECT_EQ(at(41, "Num"), 41);
}

TEST_F(FundRowsTest, CompressionDropsEmptyMarketRowsAndMergesRunsOfOneSign) {
    add(day(0), "@@@", 0, {{"PRICE", 1.0}, {"Num", 1}});
    add(day(1), "***", 500);
    add(day(2), "***", 300);
    add(day(3), "lxh", 1000);
    add(day(4), "***", 500);
    add(day(5), "***", -300);
    add(day(6), "***", 0);
    add(day(7), "wjg", 0);
    add(day(8), "***", 200, {{"NOTE", "分红"}});
    add(day(9), "***", 100);
    fund();

    prompter.expectAnswers({false});
    fund().compress();
    EXPECT_EQ(count(), 10);  // No: nothing changes

    prompter.expectAnswers({true, false});
    fund().compress();
    EXPECT_EQ(prompter.questions.back(), "合并记录成功，原记录数:10, 现在记录数:8; 减少记录数2. 从头计算基金价格？");
    EXPECT_EQ(column("INPUT"), (std::vector<double>{0, 800, 1000, 500, -300, 0, 200, 100}));
    EXPECT_EQ(textAt(1, "DT"), day(2));  // the run collapses into its last row
    EXPECT_EQ(texts("PYCODE"), (std::vector<std::string>{"@@@", "***", "lxh", "***", "***", "wjg", "***", "***"}));
    EXPECT_TRUE(table().valueAt(1, table().fieldIndex("FUND")).isNull());  // no recomputation on No

    prompter.expectAnswers({true, true});
    fund().compress();
    EXPECT_EQ(at(7, "FUND"), 2300);  // Yes: recomputed from the row priced 1
    EXPECT_TRUE(prompter.unexpected.empty());
}

TEST_F(FundRowsTest, NamesComeFromTheFirstRowOfTheCodeAndAMissingOneIsToldOnce) {
    add(day(0), "@@@", 0, {{"PRICE", 1.0}, {"Num", 1}, {"NAME", "管理人"}});
    add(day(1), "lxh", 10, {{"NAME", "李晓红"}});
    add(day(2), "wjg", 10);
    add(day(3), "lxh", 10);
    add(day(4), "wjg", 10);
    fund();
    EXPECT_EQ(fund().pycode_to_name("zzz"), "");
    EXPECT_TRUE(prompter.said.empty());

    table().moveTo(0);
    prompter.expectAnswers({true, true, true});
    fund().completeNames();
    EXPECT_EQ(texts("NAME"), (std::vector<std::string>{"管理人", "李晓红", "", "李晓红", ""}));
    const std::string missing = day(2) + "wjg" + FundLedger::kNoHistory;
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{missing, missing}));  // once for each row
    EXPECT_EQ(prompter.questions.size(), 3u);
    EXPECT_EQ(table().position(), 0);  // back to the row that was selected
    EXPECT_TRUE(prompter.unexpected.empty());
}

TEST_F(FundRowsTest, DeletingTheSelectedRowAsksNothing) {
    add(day(0), "@@@", 0, {{"PRICE", 1.0}, {"Num", 1}});
    add(day(1), "lxh", 10);
    fund().table().moveTo(1);
    fund().removeCurrent();
    EXPECT_EQ(count(), 1);
    EXPECT_TRUE(prompter.said.empty());
}

class FundReportTest : public FundRowsTest {
protected:
    void ledgerOf(int rows) {
        add(day(0), "@@@", 0, {{"PRICE", 1.0}, {"Num", 1}});
        for (int i = 1; i < rows; ++i) add(day(i), "lxh", i);
    }
    // The rows a report printed: lines that start with a date.
    std::vector<int> rowsPerPage(const port::MemoryReport& r) {
        std::vector<int> out;
        for (const auto& page : r.pages) {
            int n = 0;
            for (const auto& l : page) n += l.rfind("2026-", 0) == 0 || l.rfind("2025-", 0) == 0;
            out.push_back(n);
        }
        return out;
    }
};

TEST_F(FundReportTest, TheLastRowSelectedPrintsTheNewestFiftyRowsOnOnePage) {
    ledgerOf(70);
    table().last();
    port::MemoryReport r;
    prompter.expectAnswers({true});
    ASSERT_TRUE(fund().report(r));
    EXPECT_EQ(prompter.questions, (std::vector<std::string>{fund::kReportQuestion}));
    EXPECT_EQ(rowsPerPage(r), (std::vector<int>{50}));
    EXPECT_NE(r.pages[0][3].find("第1页， 共1页   打印时间:2026-12-07 15:30:00"), std::string::npos);
    EXPECT_EQ(r.pages[0][7].substr(0, 10), day(20));  // the first of the newest 50
    EXPECT_EQ(r.pages[0].back().substr(0, 3), "—");  // the rule ends the report
    EXPECT_EQ(table().position(), 69);
}

TEST_F(FundReportTest, FromTheHundredAndTwentiethRowFromTheEndThreePages) {
    ledgerOf(150);
    table().moveTo(30);
    port::MemoryReport r;
    prompter.expectAnswers({true});
    ASSERT_TRUE(fund().report(r));
    EXPECT_EQ(rowsPerPage(r), (std::vector<int>{50, 50, 20}));
    EXPECT_NE(r.pages[2][2].find("第3页， 共3页"), std::string::npos);
    // A full page ends with the rule and nine lines of three blanks.
    EXPECT_EQ(r.pages[0].back(), "   ");
    EXPECT_EQ(r.pages[0][r.pages[0].size() - 10].substr(0, 3), "—");

    prompter.expectAnswers({false});
    port::MemoryReport none;
    EXPECT_FALSE(fund().report(none));
    EXPECT_TRUE(none.pages.empty());
}

TEST_F(FundReportTest, LinesLineUpAsTheGoldenReport) {
    add("2026-12-01", "@@@", 0, {{"PRICE", 1.0}, {"Num", 1}, {"NAME", "管理人"}, {"XABC", "y"}});
    add("2026-12-02", "lxh", 1000,
        {{"NAME", "李晓红"}, {"QSDM", "htzq"}, {"ZJZH", "10086601"}, {"XABC", "a"}, {"NOTE", "首次投资"}});
    add("2026-12-03", "***", 61.8);
    add("2026-12-04", "lxh", -300.7, {{"NAME", "李晓红"}, {"QSDM", "htzq"}, {"ZJZH", "10086601"}, {"XABC", "a"}});
    fund().table().first();
    fund().recompute();  // the stopped valuation leaves the passes alone
    table().moveTo(0);
    port::MemoryReport r;
    prompter.expectAnswers({true});
    ASSERT_TRUE(fund().report(r));
    std::ifstream golden(std::filesystem::path(__FILE__).parent_path() / "capital_report.txt", std::ios::binary);
    ASSERT_TRUE(golden);
    std::stringstream want;
    want << golden.rdbuf();
    EXPECT_EQ(r.text(), want.str());
}

}  // namespace
