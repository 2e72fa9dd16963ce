#include <gtest/gtest.h>

#include "investors_fixture.h"

using namespace varneth;

namespace {

class WithdrawalsTest : public testsupport::InvestorsFixture {
protected:
    void buy(const std::string& dt, double input, double unit, double price, int num,
             const char* xabc = "y") {
        add(dt, "lxh", input,
            {{"UNIT", unit},
             {"PRICE", price},
             {"XABC", xabc},
             {"B1", "b"},
             {"CZXH", 0},
             {"Num", num},
             {"NAME", "李"}});
    }
    void withdraw(const std::string& dt, double input, double price, int num, const char* code = "lxh") {
        add(dt, code, input, {{"PRICE", price}, {"XABC", "y"}, {"B1", "s"}, {"CZXH", 0}, {"Num", num}});
    }
    std::string done(int n) {
        return "撤资处理结束," + std::to_string(n) + "个撤资记录被处理(和投资记录相冲销)！";
    }
};

TEST_F(WithdrawalsTest, AThirdOfABuyIsSettledAndTheRestStaysLiveUnderTheSameDateAndNumber) {
    base("2025-01-01");
    buy("2025-02-01", 3000, 3000, 1, 2);
    withdraw("2025-03-01", -1000, 1, 3);
    EXPECT_EQ(manager().withdrawals(), 1);
    const int settled = find("lxh", "2025-02-01", 1), rest = find("lxh", "2025-02-01", 0);
    ASSERT_GE(settled, 0);
    ASSERT_GE(rest, 0);
    EXPECT_EQ((std::vector<double>{at(settled, "INPUT"), at(settled, "UNIT"), at(settled, "DMONEY")}),
              (std::vector<double>{1000, 1000, 1000}));
    EXPECT_EQ((std::vector<double>{at(rest, "INPUT"), at(rest, "UNIT"), at(rest, "DMONEY"), at(rest, "Num")}),
              (std::vector<double>{2000, 2000, 2000, 2}));
    const int w = find("lxh", "2025-03-01", 1, "s");
    EXPECT_EQ((std::vector<double>{at(w, "UNIT"), at(w, "DMONEY"), at(w, "INPUT")}),
              (std::vector<double>{-1000, -1000, -1000}));
    EXPECT_EQ(prompter.messages.back(), done(1));
}

TEST_F(WithdrawalsTest, SplittingNeitherLosesNorMakesMoneyOrUnits) {
    base("2025-01-01");
    buy("2025-02-01", 1000, 777.777, 1.286, 2);
    withdraw("2025-03-01", -333, 1.5, 3);
    manager().withdrawals();
    const int settled = find("lxh", "2025-02-01", 1), rest = find("lxh", "2025-02-01", 0);
    // Worth round(777.777 × 1.5) = 1167: the settled share is 333 of it.
    EXPECT_EQ(at(settled, "INPUT"), 285);
    EXPECT_EQ(at(settled, "DMONEY"), 333);
    EXPECT_EQ(at(settled, "INPUT") + at(rest, "INPUT"), 1000);
    EXPECT_DOUBLE_EQ(at(settled, "UNIT") + at(rest, "UNIT"), 777.777);
    EXPECT_EQ(at(rest, "PRICE"), 1.286);
    EXPECT_EQ(at(find("lxh", "2025-03-01", 1, "s"), "UNIT"), -at(settled, "UNIT"));
}

TEST_F(WithdrawalsTest, ABuyWorthExactlyTheWithdrawalIsSettledWholeAndARemainderOfOneSplitsTheNext) {
    base("2025-01-01");
    buy("2025-02-01", 1000, 1000, 1, 2);
    withdraw("2025-03-01", -1000, 1, 3);
    const int rows = count();
    manager().withdrawals();
    EXPECT_EQ(count(), rows);  // no split
    EXPECT_EQ(value(find("lxh", "2025-02-01", 1), "CZXH").toInt(), 1);

    buy("2025-04-01", 999, 999, 1, 4);
    buy("2025-04-02", 5000, 5000, 1, 5);
    withdraw("2025-05-01", -1000, 1, 6);
    manager().withdrawals();
    // 999 leaves exactly 1 to take, which is not less than 1: the next buy gives it.
    EXPECT_EQ(at(find("lxh", "2025-04-02", 2), "DMONEY"), 1);
    EXPECT_EQ(at(find("lxh", "2025-04-02", 0), "INPUT"), 4999);
}

TEST_F(WithdrawalsTest, AWithdrawalLargerThanEveryBuyLeavesAPendingRemainderForTheNextRun) {
    base("2025-01-01");
    buy("2025-02-01", 500, 500, 1, 2);
    withdraw("2025-03-01", -800, 1, 3);
    EXPECT_EQ(manager().withdrawals(), 1);
    EXPECT_EQ(prompter.messages.front(),
              "日期为2025-03-01,代码为lxh的撤资数量过大,买入未平仓数量不够。超出300元,"
              "请事后在基金业绩计算窗口修改！");
    const int w = find("lxh", "2025-03-01", 1, "s"), left = find("lxh", "2025-03-01", 0, "s");
    EXPECT_EQ((std::vector<double>{at(w, "INPUT"), at(w, "DMONEY"), at(w, "UNIT")}),
              (std::vector<double>{-500, -500, -500}));
    EXPECT_EQ((std::vector<double>{at(left, "INPUT"), at(left, "UNIT"), at(left, "PRICE"), at(left, "Num")}),
              (std::vector<double>{-300, -300, 1, 3}));
    // Met again by the next run only, and with nothing left to meet it, not counted as processed.
    prompter.messages.clear();
    EXPECT_EQ(manager().withdrawals(), 0);
    EXPECT_EQ(prompter.messages.back(), done(0));
    EXPECT_EQ(value(left, "CZXH").toInt(), 0);
}

TEST_F(WithdrawalsTest, AWithdrawalBeforeTheBuyAsksAndNoKeepsBothRows) {
    base("2025-01-01");
    buy("2025-03-01", 3000, 3000, 1, 2);
    withdraw("2025-02-01", -1000, 1, 3);
    prompter.expectAnswers({false});
    EXPECT_EQ(manager().withdrawals(), 0);
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0],
              "日期为2025-02-01,代码为lxh的撤资数量过大,前面买入未平仓数量不够。要冲销后面的买进数量按Yes,"
              "否则(按No)"
              "请事后在基金业绩计算窗口修改！");
    EXPECT_GE(find("lxh", "2025-03-01", 0), 0);
    EXPECT_GE(find("lxh", "2025-02-01", 0, "s"), 0);

    prompter.expectAnswers({true});
    EXPECT_EQ(manager().withdrawals(), 1);
    EXPECT_GE(find("lxh", "2025-03-01", 1), 0);  // a skipped row kept no number
}

TEST_F(WithdrawalsTest, UnpricedOrUnmatchedWithdrawalsStayPendingAndEachPendingOneGetsItsOwnNumber) {
    base("2025-01-01");
    buy("2025-02-01", 3000, 3000, 1, 2);
    withdraw("2025-03-01", -1000, 0, 3);
    withdraw("2025-03-02", -500, 1, 4);
    withdraw("2025-03-03", -500, 1, 5, "wjg");
    EXPECT_EQ(manager().withdrawals(), 1);
    EXPECT_EQ(prompter.messages[0],
              "撤资记录(日期为2025-03-01,代码为lxh)没有价格,放弃此记录的撤资处理,请先重算基金价格！");
    EXPECT_EQ(
        prompter.messages[1],
        "相应撤资记录(日期为2025-03-03,代码为wjg)，找不到未撤资的买入基金记录,放弃此记录的平仓(撤资)处理,"
        "请事后在基金业绩计算窗口修改！");
    EXPECT_GE(find("lxh", "2025-03-01", 0, "s"), 0);
    EXPECT_GE(find("lxh", "2025-03-02", 2, "s"), 0);
    EXPECT_EQ(at(find("lxh", "2025-02-01", 0), "INPUT"), 2500);
}

}  // namespace
