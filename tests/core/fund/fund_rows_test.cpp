#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fund_fixture.h"
#include "port/report_sink.h"
#include "text/dates.h"

using namespace varneth;
using fund::FundLedger;
using Texts = std::vector<std::string>;
namespace {

class FundRowsTest : public testsupport::FundFixture {
protected:
    std::string day(int i) { return text::Date{2026, 1, 1}.addDays(i).iso(); }
    Texts column(const char* field) {
        Texts out;
        for (int i = 0; i < count(); ++i) out.push_back(textAt(i, field));
        return out;
    }
};

TEST_F(FundRowsTest, SerialNumbersStartTwentyRowsBackSkipMarketRowsAndMoveATakenNumberAside) {
    base(day(0));
    for (int i = 1; i < 40; ++i) add(day(i), "lxh", 10, {{"Num", i == 5 ? 99 : i == 35 ? 0 : i + 1}});
    add(day(40), "***", 5, {{"Num", 7}});
    add(day(41), "wjg", 10);
    add(day(42), "zhs", 10, {{"Num", 41}});  // holds the number the row before takes
    table().last();
    fund().fillnum();
    // Far back untouched; numbered from the row 20 back; the market row as it was; 141 on the way.
    EXPECT_EQ(
        (Texts{textAt(5, "Num"), textAt(35, "Num"), textAt(40, "Num"), textAt(41, "Num"), textAt(42, "Num")}),
        (Texts{"99", "36", "7", "41", "42"}));
}

TEST_F(FundRowsTest, CompressionDropsEmptyMarketRowsAndMergesRunsOfOneSign) {
    base(day(0));
    for (auto [i, code, input] : {std::tuple{1, "***", 500},
                                  {2, "***", 300},
                                  {3, "lxh", 1000},
                                  {4, "***", 500},
                                  {5, "***", -300},
                                  {6, "***", 0},
                                  {7, "wjg", 0},
                                  {9, "***", 100}})
        add(day(i), code, input);
    add(day(8), "***", 200, {{"NOTE", "分红"}});
    prompter.expectAnswers({false, true, false});
    EXPECT_FALSE(fund().compress());
    EXPECT_EQ(count(), 10);  // No: nothing changes
    fund().compress();
    EXPECT_EQ(prompter.questions.back(),
              "合并记录成功，原记录数:10, 现在记录数:8; 减少记录数2. 从头计算基金价格？");
    EXPECT_EQ(column("INPUT"), (Texts{"0", "800", "1000", "500", "-300", "0", "200", "100"}));
    EXPECT_EQ(textAt(1, "DT"), day(2));      // the run collapses into its last row
    EXPECT_TRUE(value(1, "FUND").isNull());  // not recomputed on No

    prompter.expectAnswers({true, true});
    fund().compress();
    EXPECT_EQ(at(7, "FUND"), 2300);  // Yes: recomputed from the row priced 1
    EXPECT_TRUE(prompter.unexpected.empty());
}

TEST_F(FundRowsTest, NamesComeFromTheFirstRowOfTheCodeAndAMissingOneIsToldOncePerRow) {
    base(day(0));
    add(day(1), "lxh", 10, {{"NAME", "李晓红"}});
    for (int i : {2, 4}) add(day(i), "wjg", 10);
    add(day(3), "lxh", 10);
    EXPECT_EQ(fund().pycode_to_name("zzz"), "");
    table().moveTo(0);
    prompter.expectAnswers({true, true, true});
    fund().completeNames();
    EXPECT_EQ(column("NAME"), (Texts{"管理人", "李晓红", "", "李晓红", ""}));
    const std::string missing = day(2) + "wjg" + FundLedger::kNoHistory;
    EXPECT_EQ(prompter.messages, (Texts{missing, missing}));
    EXPECT_EQ(table().position(), 0);  // back to the row that was selected
}

TEST_F(FundRowsTest, TheReportPrintsFromTheSelectedRowOrTheNewestFiftyFiftyToAPage) {
    base(day(0));
    for (int i = 1; i < 150; ++i) add(day(i), "lxh", i);
    struct Case {
        int selected;
        std::vector<int> rowsPerPage;
        std::string firstDate;
    } cases[] = {{149, {50}, day(100)}, {30, {50, 50, 20}, day(30)}};
    for (const Case& c : cases) {
        table().moveTo(c.selected);
        port::MemoryReport r;
        prompter.expectAnswers({true});
        ASSERT_TRUE(fund().report(r));
        std::vector<int> perPage;
        for (const auto& page : r.pages)
            perPage.push_back(
                std::ranges::count_if(page, [](const std::string& l) { return l.starts_with("2026-"); }));
        EXPECT_EQ(perPage, c.rowsPerPage);
        const std::string pages = std::to_string(c.rowsPerPage.size());
        EXPECT_NE(r.text().find("第" + pages + "页， 共" + pages + "页   打印时间:2026-12-07 15:30:00"),
                  std::string::npos);
        EXPECT_EQ(r.pages.front()[7].substr(0, 10), c.firstDate);
        if (r.pages.size() > 1) {
            EXPECT_EQ(r.pages.front().back(), "   ");  // a full page is filled out
        }
        EXPECT_EQ(r.pages.back().back().substr(0, 3), "—");  // the rule ends the report
        EXPECT_EQ(table().position(), c.selected);
    }
}

TEST_F(FundRowsTest, ReportLinesLineUpAsTheGoldenReport) {
    add("2026-12-01", "@@@", 0, {{"PRICE", 1.0}, {"Num", 1}, {"NAME", "管理人"}, {"XABC", "y"}});
    add("2026-12-02", "lxh", 1000,
        {{"NAME", "李晓红"}, {"QSDM", "htzq"}, {"ZJZH", "10086601"}, {"XABC", "a"}, {"NOTE", "首次投资"}});
    add("2026-12-03", "***", 61.8);
    add("2026-12-04", "lxh", -300.7,
        {{"NAME", "李晓红"}, {"QSDM", "htzq"}, {"ZJZH", "10086601"}, {"XABC", "a"}});
    table().first();
    fund().recompute();
    table().moveTo(0);
    port::MemoryReport r;
    prompter.expectAnswers({true});
    ASSERT_TRUE(fund().report(r));
    std::ifstream golden(std::filesystem::path(VARNETH_CORE_TEST_DIR "/fund") / "capital_report.txt",
                         std::ios::binary);
    std::stringstream want;
    want << golden.rdbuf();
    EXPECT_EQ(r.text(), want.str());
}

TEST_F(FundRowsTest, ADeleteNamesTheRowAndAnsweredNoKeepsIt) {
    base(day(0));
    add(day(1), "lxh", 10, {{"NAME", "李晓红"}});
    fund().table().last();
    const int rows = count();
    prompter.expectAnswers({false, true});
    EXPECT_FALSE(fund().removeCurrent());
    EXPECT_EQ(count(), rows);
    EXPECT_TRUE(fund().removeCurrent());
    EXPECT_EQ(count(), rows - 1);
    EXPECT_EQ(prompter.questions, Texts(2, "删除记录：" + day(1) + " lxh 李晓红？"));
}

}  // namespace
