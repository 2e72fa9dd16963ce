#include "stats/portfolio_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "stats_fixture.h"

namespace varneth::stats {

namespace {

using testsupport::StatsFixture;

std::string golden(const char* name) {
    std::ifstream in(std::filesystem::path(VARNETH_CORE_TEST_DIR "/stats") / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string kRule = [] {
    std::string r;
    for (int i = 0; i < 49; ++i) r += "—";
    return r;
}();

class PortfolioReportTest : public StatsFixture {
protected:
    bool print(const StatsChoice& choice) {
        stats->show();
        stats->choose(choice);
        return printAsShown();
    }
    bool printAsShown() {
        out = port::MemoryReport();
        prompter.expectAnswers({true});
        return PortfolioReport(*stats, prompter, clock).print(out);
    }
    // 60 buys on consecutive days, the newest last in date order.
    void sixtyTrades() {
        for (int i = 0; i < 60; ++i) {
            const std::string day = (i < 30 ? "2025-10-" : "2025-11-") + std::string(i % 30 < 9 ? "0" : "") +
                                    std::to_string(i % 30 + 1);
            trade("", std::to_string(601000 + i), "新股", 100, 10, day);
        }
    }
    // The body rows of a page: between the second rule and the closing one.
    static std::vector<std::string> rowsOf(const std::vector<std::string>& page) {
        const auto rows = std::find(std::find(page.begin(), page.end(), kRule) + 1, page.end(), kRule) + 1;
        return {rows, std::find(rows, page.end(), kRule)};
    }

    port::MemoryReport out;
};

TEST_F(PortfolioReportTest, FirstPageAsTheGoldenFileShows) {
    ASSERT_TRUE(print({Kind::ProfitLoss, Content::ByType, PlType::Total}));
    EXPECT_EQ(prompter.questions, std::vector<std::string>{"本操作将根据显示选择打印报告,继续吗？"});
    ASSERT_EQ(out.pages.size(), 1u);
    EXPECT_EQ(out.text(), golden("portfolio_report.golden"));
}

TEST_F(PortfolioReportTest, RefusedOrDeclinedWritesNothing) {
    stats->show();
    stats->choose({Kind::Proportion, Content::Detail, PlType::FloatingFees});
    EXPECT_FALSE(PortfolioReport(*stats, prompter, clock).print(out));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{PortfolioReport::kDetailRefused});
    EXPECT_TRUE(prompter.questions.empty());
    stats->choose({Kind::Proportion, Content::ByCode, PlType::FloatingFees});
    prompter.expectAnswers({false});
    EXPECT_FALSE(PortfolioReport(*stats, prompter, clock).print(out));
    EXPECT_TRUE(out.pages.empty());
}

TEST_F(PortfolioReportTest, AccountColumnsAreTenWide) {
    ASSERT_TRUE(print({Kind::Proportion, Content::ByAccount, PlType::FloatingFees}));
    EXPECT_EQ(out.pages.at(0).at(5),
              "券商代码  券商      资金帐户  数量      均价1     均价2     成本      市值      "
              "货币比率  市值百分比 折扣百分比 ");
}

TEST_F(PortfolioReportTest, HistoryFromTheLastRowPrintsTheNewestFiftyOnOnePage) {
    sixtyTrades();
    ASSERT_TRUE(print({Kind::TradeHistory, Content::Detail, PlType::FloatingFees}));
    EXPECT_EQ(prompter.questions.back(),
              "本操作将根据显示选择打印报告,打印成交历史和平仓报告需用光标指定起始记录,"
              "唯选最下面的记录将打印一页最新内容;继续吗？");
    ASSERT_EQ(out.pages.size(), 1u);
    const auto& page = out.pages[0];
    EXPECT_EQ(page.at(1), std::string(21, ' ') + "历史记录--显示种类:成交历史(按日期); 内容和方式:详细记录");
    EXPECT_TRUE(
        page.at(3).starts_with("                         第1页， 共1页   打印时间:2026-12-07 15:30:05"));
    EXPECT_EQ(page.at(5),
              "成交日期  记录标记  券商代码 券商     资金帐户 资产类型 代码     名称     数量     成交价   "
              "成交金额 ");
    const auto rows = rowsOf(page);
    ASSERT_EQ(rows.size(), 50u);
    const storage::Cursor& grid = stats->grid();
    EXPECT_EQ(rows.back().substr(0, 10), grid.valueAt(grid.count() - 1, 0).toString());
    EXPECT_EQ(rows.front().substr(0, 10), grid.valueAt(grid.count() - 50, 0).toString());
    EXPECT_EQ(page.back(), kRule);
}

TEST_F(PortfolioReportTest, HistoryFromTheFirstRowTakesTwoPagesParted) {
    sixtyTrades();
    stats->show();
    stats->choose({Kind::TradeHistory, Content::ByType, PlType::FloatingFees});
    const int rows = stats->grid().count();
    ASSERT_GT(rows, 60);
    ASSERT_LE(rows, 100);
    stats->grid().first();
    ASSERT_TRUE(printAsShown());
    ASSERT_EQ(out.pages.size(), 2u);
    EXPECT_EQ(rowsOf(out.pages[0]).size(), 50u);
    EXPECT_EQ(rowsOf(out.pages[1]).size(), static_cast<std::size_t>(rows - 50));
    EXPECT_TRUE(out.pages[1].at(2).starts_with("                         第2页， 共2页"));
    // The first page ends with its rule and the eight lines that part it from the next.
    const auto& first = out.pages[0];
    EXPECT_EQ(first[first.size() - 9], kRule);
    EXPECT_EQ(std::vector<std::string>(first.end() - 8, first.end()), std::vector<std::string>(8, "   "));
    EXPECT_EQ(out.pages[1].back(), kRule);
}

TEST_F(PortfolioReportTest, AnEmptyValuePrintsAsZero) {
    stats->show();
    stats->choose({Kind::ProfitLoss, Content::ByCode, PlType::ClosedOut});
    // A closed-out buy at no cost has no rate of gain.
    trade("P2026120100", "600999", "零成本", 100, 0, "2026-12-01");
    stats->rebuild();
    ASSERT_TRUE(printAsShown());
    const auto rows = rowsOf(out.pages[0]);
    const auto it =
        std::find_if(rows.begin(), rows.end(), [](const std::string& r) { return r.starts_with("600999"); });
    ASSERT_NE(it, rows.end());
    EXPECT_TRUE(it->ends_with(" 0          ")) << *it;
}

}  // namespace

}  // namespace varneth::stats
