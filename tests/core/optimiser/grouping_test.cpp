#include "optimiser/grouping.h"

#include <gtest/gtest.h>

#include "ledger/ledger_fixture.h"
#include "optimiser/optimisation.h"

using namespace varneth;
using optimiser::Grouping;
using Texts = std::vector<std::string>;

namespace {

class GroupingTest : public testsupport::LedgerFixture {
protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        emptyLedger();
        book("", "600036", "招商银行", "ha", 1000, 1);
        book("", "600519", "贵州茅台", "ha", 2000, 1);
        book("", "cu2501", "沪铜2501", "qh", 3000, 1);
        book("", "al2501", "沪铝2501", "qh", 4000, 1);
        book("", "xj", "现金", "xj", 5000, 1);
        book("26120414301", "601318", "中国平安", "ha", 600, 1);  // an unconfirmed order
        book("P2026091500", "000001", "平安银行", "sa", 700, 1);  // closed out
        book("0???", "000002", "万科A", "sa", 800, 1);            // the part of a sell that found no holding
        book("###", "zzc", "市价总值", "zzc", 99999, 1);
        grouping = std::make_unique<Grouping>(engine, session->lookups(), prompter);
    }
    std::int64_t book(const char* wth, const char* code, const char* name, const char* lx, double cost2,
                      double birate) {
        return row("WTH;QSDM;ZJZH;CODE;NAME;LX;LXM;COST2;ZK_RATE;BIRATE",
                   {wth, "zxzq", "10000001", code, name, lx, lx, cost2, 1.0, birate});
    }
    // "Code:Group" of every row in key order.
    Texts groups() {
        Texts out;
        storage::Cursor c(session->kvt(), "groups.db");
        for (c.first(); !c.eof(); c.next()) out.push_back(c.text("Code") + ":" + c.text("Group"));
        return out;
    }
    Texts divisions() {
        Texts out;
        storage::Cursor c(session->kvt(), "devision.DB");
        for (c.first(); !c.eof(); c.next())
            out.push_back(c.text("Lx") + "/" + c.text("Code") + "/" + c.text("Name") + ":" + c.text("Group"));
        return out;
    }
    void sellOut(const char* code) {
        storage::Cursor c = table();
        ASSERT_TRUE(c.locate("CODE", {code}));
        c.setValue("WTH", "P2026120800");
        c.post();
    }

    std::unique_ptr<Grouping> grouping;
};

}  // namespace

TEST_F(GroupingTest, OpeningListsWhatTheHoldingsViewHoldsAtTheDefaultGroup) {
    grouping->open();
    EXPECT_EQ(groups(), (Texts{"600036:3", "600519:3", "601318:3", "al2501:3", "cu2501:3", "xj:3"}));
    sellOut("600519");
    ASSERT_TRUE(grouping->setGroup("600036", "1"));
    grouping->open();
    EXPECT_EQ(groups(), (Texts{"600036:1", "601318:3", "al2501:3", "cu2501:3", "xj:3"}));
}

TEST_F(GroupingTest, ContractsOfAMarginTypeGetARowEachAndOtherTypesShareOne) {
    grouping->open();
    grouping->rebuild();
    EXPECT_EQ(divisions(), (Texts{"ha//:3", "qh/al2501/沪铝2501:3", "qh/cu2501/沪铜2501:3", "xj//:3"}));
    ASSERT_TRUE(grouping->setDivisionGroup("qh", "cu2501", "1"));
    ASSERT_TRUE(grouping->setDivisionGroup("qh", "al2501", "2"));
    ASSERT_TRUE(grouping->setDivisionGroup("xj", "", "0"));
    // Selling out a contract drops its row; a type still held keeps its row.
    sellOut("al2501");
    sellOut("600519");
    grouping->rebuild();
    EXPECT_EQ(divisions(), (Texts{"ha//:3", "qh/cu2501/沪铜2501:1", "xj//:0"}));
}

TEST_F(GroupingTest, RightToLeftAsksFirstAndCopiesTheContractsOrTheTypesGroup) {
    grouping->open();
    grouping->rebuild();
    ASSERT_TRUE(grouping->setDivisionGroup("qh", "cu2501", "1"));
    ASSERT_TRUE(grouping->setDivisionGroup("qh", "al2501", "2"));
    ASSERT_TRUE(grouping->setDivisionGroup("xj", "", "0"));
    prompter.expectAnswers({false});
    EXPECT_FALSE(grouping->apply());
    EXPECT_EQ(groups(), (Texts{"600036:3", "600519:3", "601318:3", "al2501:3", "cu2501:3", "xj:3"}));
    prompter.expectAnswers({true});
    EXPECT_TRUE(grouping->apply());
    EXPECT_EQ(prompter.questions, (Texts{Grouping::kApplyQuestion, Grouping::kApplyQuestion}));
    EXPECT_EQ(groups(), (Texts{"600036:3", "600519:3", "601318:3", "al2501:2", "cu2501:1", "xj:0"}));
}

TEST_F(GroupingTest, AGroupOutsideZeroToThreeIsRefusedAndNothingIsStored) {
    grouping->open();
    grouping->rebuild();
    for (const char* bad : {"4", "-1", "x", "", "1.5"}) {
        EXPECT_FALSE(grouping->setGroup("600036", bad)) << bad;
        EXPECT_FALSE(grouping->setDivisionGroup("ha", "", bad)) << bad;
    }
    EXPECT_EQ(prompter.messages, Texts(10, Grouping::kBadGroup));
    EXPECT_FALSE(grouping->setGroup("999999", "1"));
    EXPECT_EQ(prompter.messages.back(), "分组表中没有代码999999");
    EXPECT_EQ(groups()[0], "600036:3");
    EXPECT_EQ(divisions()[0], "ha//:3");
}

// The current portfolio by group, in the settlement currency.
class PortfolioTest : public GroupingTest {
protected:
    void SetUp() override {
        GroupingTest::SetUp();
        opt = std::make_unique<optimiser::Optimisation>(engine, prompter, dir.path());
    }
    void setGroupRaw(const char* code, const storage::Value& group) {
        storage::Cursor c(session->kvt(), "groups.db");
        ASSERT_TRUE(c.locate("Code", {code}));
        c.setValue("Group", group);
        c.post();
    }
    // 1002.5 in cash (group 0) and 1497.5 in shares: 401 and 599 per mille of 2500.
    void cashAndOneShare() {
        emptyLedger();
        book("", "xj", "现金", "xj", 1002.5, 1);
        book("", "600036", "招商银行", "ha", 1497.5, 1);
        grouping->open();
        ASSERT_TRUE(grouping->setGroup("xj", "0"));
        opt->putlx();
    }
    std::unique_ptr<optimiser::Optimisation> opt;
};

TEST_F(PortfolioTest, TotalsByGroupCountOrdersConvertCurrenciesAndPutStrayGroupsInThree) {
    book("", "200869", "张裕B", "sb", 10000, 0.92);
    book("", "200596", "古井贡B", "sb", 1000, 0);  // no rate: counts 1
    grouping->open();
    ASSERT_TRUE(grouping->setGroup("xj", "0"));
    ASSERT_TRUE(grouping->setGroup("cu2501", "1"));
    ASSERT_TRUE(grouping->setGroup("al2501", "2"));
    setGroupRaw("600036", 7);                 // out of range
    setGroupRaw("600519", storage::Value());  // empty
    opt->putlx();
    // Group 3: 600036, 600519, 601318 (an order), the remainder row and the two B shares at their rates.
    const double g3 = 800 + 1000 + 1000 + 2000 + 600 + 10000 * 0.92;
    EXPECT_DOUBLE_EQ(opt->total(), 5000 + 3000 + 4000 + g3);
    // The first code of each group in code order names it; "000002" (a remainder row) has no
    // grouping and counts in group 3 under its own code.
    EXPECT_EQ(opt->labels(), (std::array<std::string, 4>{"现金等", "沪铜2501等", "沪铝2501等", "000002等"}));
}

TEST_F(PortfolioTest, PlayerOnesRowIsThePortfolioInPerMilleAndAnEmptyBookIsAllCash) {
    cashAndOneShare();
    EXPECT_EQ(opt->total(), 2500);
    EXPECT_EQ(opt->player(0), (std::array<double, 4>{401, 0, 0, 599}));
    emptyLedger();
    opt->putlx();
    EXPECT_EQ(opt->player(0), (std::array<double, 4>{1000, 0, 0, 0}));
}

TEST_F(PortfolioTest, SuggestedAmountsRoundHalvesToEven) {
    cashAndOneShare();
    // Flat forecasts: the optimiser ends all in group 1.
    for (int k = 0; k <= 3; ++k) opt->setExpectation(k, 100);
    for (int k = 1; k <= 3; ++k) ASSERT_TRUE(opt->setDeviation(k, 0));
    ASSERT_TRUE(opt->optimise());
    EXPECT_EQ(opt->result().y, (std::array<int, 4>{0, 1000, 0, 0}));
    EXPECT_EQ(opt->suggestedChange(), (std::array<int, 4>{-401, 1000, 0, -599}));
    // -1002.5 and -1497.5: halves go to the even neighbour.
    EXPECT_EQ(opt->suggestedAmount(), (std::array<double, 4>{-1002, 2500, 0, -1498}));
}
