#include "fund/commission_stats.h"

#include <gtest/gtest.h>

#include "investors_fixture.h"

using namespace varneth;
using fund::CommissionStats;

namespace {

using Texts = std::vector<std::string>;

class CommissionStatsTest : public testsupport::InvestorsFixture {
protected:
    void SetUp() override {
        InvestorsFixture::SetUp();
        defineType("a", {{"C2", true}, {"E3", 0.0}, {"E4", 20.0}});
        base("2025-01-01");
    }
    // A buy settled by withdrawal `czxh` at `lprice`, paying out `dmoney`.
    void settled(const std::string& dt, const std::string& code, double input, double price, double lprice,
                 double dmoney, int czxh, const char* xabc = "a") {
        add(dt, code, input,
            {{"UNIT", input / price},
             {"PRICE", price},
             {"L_PRICE", lprice},
             {"DMONEY", dmoney},
             {"CZXH", czxh},
             {"XABC", xabc},
             {"B1", "b"}});
    }
    void withdrawal(const std::string& dt, const std::string& code, double input, int czxh,
                    const char* xabc = "a") {
        add(dt, code, input,
            {{"PRICE", 1.0}, {"DMONEY", input}, {"CZXH", czxh}, {"XABC", xabc}, {"B1", "s"}});
    }
    // One buy settled by withdrawal 1 and one live buy, which a search lists as the one candidate.
    void searched() {
        settled("2025-02-01", "aaa", 1000, 1.0, 1.3, 1250, 1);
        withdrawal("2026-02-01", "aaa", -1250, 1);
        add("2026-03-01", "bbb", 1000,
            {{"UNIT", 1000.0}, {"PRICE", 1.0}, {"XABC", "a"}, {"CZXH", 0}, {"B1", "b"}});
        add("2026-12-07", "***", 0, {{"PRICE", 1.2}, {"FUND", 0.0}});
        manager().show();
        ASSERT_TRUE(manager().searchCommission());
    }
    CommissionStats& stats() {
        if (!st) {
            st = std::make_unique<CommissionStats>(engine, fund(), manager(), prompter, clock);
            st->setLabelSink(
                [this](CommissionStats::Label, const std::string& text) { labels.push_back(text); });
        }
        return *st;
    }
    // Every stored value of the fund ledger, to show a run left it as it was.
    std::vector<std::string> ledgerText() {
        std::vector<std::string> all;
        for (int i = 0; i < count(); ++i)
            for (int f = 0; f < static_cast<int>(table().def().fields.size()); ++f)
                all.push_back(table().valueAt(i, f).toString());
        return all;
    }
    double rowValue(int row, const char* field) {
        storage::Cursor& r = stats().rows();
        return r.valueAt(row, r.fieldIndex(field)).toDouble();
    }

    std::unique_ptr<CommissionStats> st;
    Texts labels;
};

TEST_F(CommissionStatsTest, TheStandardRateTakesItsShareOfEachGainAndTheRestOfTheFeesIsInsurance) {
    settled("2025-02-01", "old", 5000, 1.0, 1.2, 5900, 2);  // settled before the period
    withdrawal("2025-12-01", "old", -5900, 2);
    settled("2025-02-01", "aaa", 10000, 1.0, 1.3, 12500, 3);
    settled("2025-03-01", "bbb", 1000, 1.0, 0.9, 880, 3);  // a loss: no commission
    settled("2025-03-01", "ccc", 1000, 1.0, 1.5, 1500, 3, "y");
    settled("2025-03-01", "@@@", 1000, 1.0, 1.5, 1500, 3);
    settled("2025-03-01", "$12", 1000, 1.0, 1.5, 1500, 3);
    withdrawal("2026-02-01", "aaa", -13380, 3);
    const auto before = ledgerText();
    const auto totals = stats().run("12", "2026", "01-01");
    ASSERT_TRUE(totals);
    EXPECT_EQ(labels, (Texts{"开始撤资序号:3", "提成合计:360", "保险合计:160", "合计:520"}));
    storage::Cursor& r = stats().rows();
    ASSERT_EQ(r.count(), 2);
    // 10,000 bought at 1.0, settled at 1.3 for 12,500: 12 % of the 3,000 gain, 140 left as insurance.
    EXPECT_EQ((std::vector<double>{rowValue(0, "Czxh"), rowValue(0, "FUND"), rowValue(0, "Tich"),
                                   rowValue(0, "Bxfund"), rowValue(0, "PER")}),
              (std::vector<double>{3, 13000, 360, 140, 30}));
    EXPECT_EQ((std::vector<double>{rowValue(1, "FUND"), rowValue(1, "Tich"), rowValue(1, "Bxfund")}),
              (std::vector<double>{900, 0, 20}));
    EXPECT_EQ(ledgerText(), before);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(CommissionStatsTest, CommissionHalvesRoundToEven) {
    settled("2025-02-01", "aaa", 10, 1.0, 1.5, 10, 1);  // 0.5 × 0.5 × 10 = 2.5
    settled("2025-02-01", "bbb", 6, 1.0, 1.5, 6, 1);    // 1.5
    withdrawal("2026-02-01", "aaa", -10, 1);
    ASSERT_TRUE(stats().run("50", "2026", "01-01"));
    EXPECT_EQ((std::vector<double>{rowValue(0, "Tich"), rowValue(1, "Tich")}), (std::vector<double>{2, 2}));
}

TEST_F(CommissionStatsTest, RefusedBoxesAndEmptyPeriodsLeaveTheCandidatesAsTheyWere) {
    searched();
    ASSERT_EQ(manager().candidates().count(), 1);
    prompter.messages.clear();
    for (auto [rate, year, month, said] :
         std::initializer_list<std::tuple<const char*, const char*, const char*, const char*>>{
             {"abc", "2026", "01-01", CommissionStats::kBadRate},
             {"-1", "2026", "01-01", CommissionStats::kBadRate},
             {"99.5", "2026", "01-01", CommissionStats::kBadRate},
             {"12", "2026", "12-07", CommissionStats::kBadStart},  // today
             {"12", "2026", "13-01", CommissionStats::kBadStart},
             {"12", "2026", "02-02", CommissionStats::kNoWithdrawals}}) {
        EXPECT_FALSE(stats().run(rate, year, month));
        EXPECT_EQ(prompter.messages.back(), said) << rate << ' ' << year << '-' << month;
    }
    EXPECT_EQ(manager().candidates().count(), 1);
    EXPECT_TRUE(labels.empty());
    EXPECT_TRUE(stats().run("99", "2026", "02-01"));  // the bounds themselves are accepted
    EXPECT_TRUE(stats().run("0", "2026", "02-01"));
}

TEST_F(CommissionStatsTest, StatisticsReplaceTheCandidatesWhichNoDrawThenTakes) {
    searched();
    ASSERT_TRUE(stats().run("12", "2025", "01-01"));
    storage::Cursor& c = manager().candidates();
    ASSERT_EQ(c.count(), 1);
    EXPECT_EQ(c.valueAt(0, c.fieldIndex("PYCODE")).toString(), "aaa");
    const auto before = ledgerText();
    prompter.messages.clear();
    EXPECT_FALSE(manager().drawSelected(0));
    EXPECT_FALSE(manager().drawAll());
    EXPECT_EQ(prompter.messages, (Texts{fund::FundManager::kNoRecord, fund::FundManager::kNoRecord}));
    EXPECT_EQ(ledgerText(), before);
    EXPECT_EQ(c.count(), 1);
}

TEST_F(CommissionStatsTest, OffsettingRowsAreThoseOfTheSelectedWithdrawal) {
    settled("2025-02-01", "aaa", 1000, 1.0, 1.3, 1250, 1);
    settled("2025-02-02", "aaa", 500, 1.0, 1.3, 620, 1);
    withdrawal("2026-02-01", "aaa", -1870, 1);
    settled("2025-02-01", "bbb", 1000, 1.0, 1.3, 1250, 2);
    withdrawal("2026-03-01", "bbb", -1250, 2);
    ASSERT_TRUE(stats().run("12", "2026", "01-01"));
    storage::Cursor& o = stats().offsets();
    EXPECT_EQ(o.count(), 3);  // both buys and the withdrawal of number 1
    Texts names;
    for (const auto& f : o.def().fields) names.push_back(f.name);
    EXPECT_EQ(names, (Texts{"撤资序号", "日期", "代码", "姓名", "类型", "进出额", "市值", "股数", "买价",
                            "卖价", "增值率", "可取资金", "注释"}));
    stats().rows().moveTo(1);
    stats().showOffsets();
    EXPECT_EQ(o.count(), 2);
    EXPECT_EQ(o.valueAt(0, 2).toString(), "bbb");
}

}  // namespace
