#include "ledger/capital_transfer.h"

#include <gtest/gtest.h>

#include "fund/fund_fixture.h"

using namespace varneth;
using ledger::CapitalTransfer;
using ledger::Investment;

namespace {

class CapitalTransferTest : public testsupport::FundFixture {
protected:
    void SetUp() override {
        FundFixture::SetUp();
        storage::Cursor& qs = session->lookups().brokers();
        for (auto [code, name] : {std::pair{"htzq", "华泰"}, {"zszq", "招商"}, {"yaqh", "永安"}}) {
            qs.append();
            qs.setValue("Qsdm", code);
            qs.setValue("Qs", name);
            qs.post();
        }
        storage::Cursor types(session->curr(), "TZLX.db");
        types.append();
        types.setValue("Xabc", "y");
        types.post();
        book = std::make_unique<storage::Cursor>(session->kvt(), "tr2.DBF");
        // A pending order's frozen cash comes first, with the broker, account and type of the cash row.
        cash("26120414301", "htzq", "10086601", -104600, 1);
        cash("", "htzq", "10086601", 386520, 1);
        cash("", "zszq", "20668802", 58240, 0.8);
        cash("", "yaqh", "30123456", 100, 1);
        cash("26120414302", "yaqh", "40000000", -500, 1);  // an account with frozen cash only
        add("2026-12-01", "@@@", 0, {{"PRICE", 1.0}, {"Num", 1}, {"NAME", "管理人"}});
        add("2026-12-02", "zhs", 5000, {{"NAME", "张三"}, {"Num", 2}});
    }
    void cash(const char* wth, const char* qsdm, const char* zjzh, double amt, double rate) {
        book->append();
        book->setValue("WTH", wth);
        book->setValue("QSDM", qsdm);
        book->setValue("ZJZH", zjzh);
        book->setValue("GDDM", *wth ? "" : "xj");
        book->setValue("CODE", "xj");
        book->setValue("LX", "xj");
        book->setValue("NAME", "现金");
        book->setValue("AMT", amt);
        book->setValue("BIRATE", rate);
        book->post();
    }
    double amt(const char* wth, const char* zjzh) {
        EXPECT_TRUE(book->locate("WTH;ZJZH", {wth, zjzh}));
        return book->number("AMT");
    }
    CapitalTransfer& desk() {
        if (!transfer) transfer = std::make_unique<CapitalTransfer>(engine, session->lookups(), fund(), prompter, clock);
        return *transfer;
    }
    int lastRow() { return count() - 1; }

    std::unique_ptr<storage::Cursor> book;
    std::unique_ptr<CapitalTransfer> transfer;
};

TEST_F(CapitalTransferTest, ATransferAcrossCurrenciesMovesBothCashRowsAndBooksTwoRows) {
    ASSERT_TRUE(desk().transfer("10086601", "20668802", "1000"));
    EXPECT_EQ(amt("", "10086601"), 385520);
    EXPECT_EQ(amt("26120414301", "10086601"), -104600);  // the frozen cash stays as it was
    EXPECT_EQ(amt("", "20668802"), 59490);              // 1000 at rate 1 is 1250 at rate 0.8
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{"资金帐户10086601转出数额1000", "资金帐户20668802转入数额1250",
                                        "资金进出文件添加记录成功,按结算货币计算金额是1000"}));
    ASSERT_EQ(count(), 4);
    // "$" + the account, cut to the code's six bytes.
    EXPECT_EQ(textAt(2, "PYCODE"), "$10086");
    EXPECT_EQ(textAt(2, "NAME"), "华泰");
    EXPECT_EQ(at(2, "INPUT"), 1000);
    EXPECT_EQ(textAt(2, "ZJZH"), "20668802");
    EXPECT_EQ(textAt(2, "QSDM"), "zszq");
    EXPECT_EQ(textAt(2, "NOTE"), "转出1000汇率1");
    EXPECT_EQ(textAt(3, "PYCODE"), "$20668");
    EXPECT_EQ(textAt(3, "NAME"), "招商");
    EXPECT_EQ(at(3, "INPUT"), -1000);
    EXPECT_EQ(textAt(3, "ZJZH"), "10086601");
    EXPECT_EQ(textAt(3, "QSDM"), "htzq");
    EXPECT_EQ(textAt(3, "NOTE"), "转入1000汇率0.8");
    EXPECT_EQ(textAt(3, "XABC"), "y");
    EXPECT_EQ(textAt(3, "DT"), "2026-12-07");
    EXPECT_EQ(at(2, "Num"), 3);  // each row numbered as it comes
    EXPECT_EQ(at(3, "Num"), 4);
}

TEST_F(CapitalTransferTest, HalfAUnitRoundsToEven) {
    ASSERT_TRUE(desk().transfer("10086601", "30123456", "0.5"));
    EXPECT_EQ(at(lastRow(), "INPUT"), 0);
    EXPECT_EQ(amt("", "10086601"), 386519.5);
    EXPECT_EQ(amt("", "30123456"), 100);
    ASSERT_TRUE(desk().transfer("10086601", "30123456", "1.5"));
    EXPECT_EQ(amt("", "30123456"), 102);
}

TEST_F(CapitalTransferTest, AMissingChoiceAmountOrCashRowChangesNothing) {
    const auto before = count();
    EXPECT_FALSE(desk().transfer("", "20668802", "1000"));
    EXPECT_FALSE(desk().transfer("10086601", " ", "1000"));
    EXPECT_FALSE(desk().transfer("10086601", "20668802", "1千"));
    EXPECT_FALSE(desk().transfer("10086601", "40000000", "1000"));  // frozen cash is not a cash row
    EXPECT_FALSE(desk().transfer("99999999", "20668802", "1000"));  // not an account of the ledger
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{CapitalTransfer::kNoSource, CapitalTransfer::kNoDestination,
                                        "'1千'不是有效的数值（转移资金）", CapitalTransfer::kNoCashRow,
                                        CapitalTransfer::kNoCashRow}));
    EXPECT_EQ(amt("", "10086601"), 386520);
    EXPECT_EQ(amt("", "20668802"), 58240);
    EXPECT_EQ(count(), before);
}

TEST_F(CapitalTransferTest, TheFirstListedBrokerOfAnAccountNumberDecides) {
    cash("", "zszq", "10086601", 7, 1);  // the same number at a second broker, listed later
    ASSERT_TRUE(desk().transfer("10086601", "30123456", "100"));
    EXPECT_EQ(amt("", "10086601"), 386420);
    book->locate("QSDM;ZJZH;WTH", {"zszq", "10086601", ""});
    EXPECT_EQ(book->number("AMT"), 7);
}

TEST_F(CapitalTransferTest, AnInvestorsMoneyIsBookedAtTheAccountsRate) {
    ASSERT_TRUE(desk().invest(Investment{"zhs", "", "20668802", "zszq", "1000", "y", "追加"}));
    EXPECT_EQ(amt("", "20668802"), 59240);
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{"持仓文件相应资金帐户金额已经增加1000",
                                                           "资金进出文件添加记录成功,投资额折算成800"}));
    const int r = lastRow();
    EXPECT_EQ(textAt(r, "PYCODE"), "zhs");
    EXPECT_EQ(textAt(r, "NAME"), "张三");  // from the code's first row
    EXPECT_EQ(at(r, "INPUT"), 800);
    EXPECT_EQ(textAt(r, "XABC"), "y");
    EXPECT_EQ(textAt(r, "NOTE"), "追加");
    EXPECT_EQ(textAt(r, "ZJZH"), "20668802");
    EXPECT_EQ(textAt(r, "QSDM"), "zszq");
    EXPECT_EQ(at(r, "Num"), 3);

    prompter.messages.clear();
    ASSERT_TRUE(desk().invest(Investment{"lxh", "李晓红", "40000000", "yaqh", "-300", "y", ""}));
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{CapitalTransfer::kNoCashRow,
                                                           "资金进出文件添加记录成功,投资额折算成0"}));
    ASSERT_TRUE(table().locate("PYCODE", {"lxh"}));
    EXPECT_EQ(table().number("INPUT"), 0);  // booked, without money
    EXPECT_EQ(amt("26120414302", "40000000"), -500);
}

TEST_F(CapitalTransferTest, AnInvestorNeedsACodeAnAccountAndAKnownType) {
    const auto before = count();
    for (const Investment& form : {Investment{"", "", "20668802", "zszq", "1", "y", ""},
                                   Investment{"***", "", "20668802", "zszq", "1", "y", ""},
                                   Investment{"$123", "", "20668802", "zszq", "1", "y", ""},
                                   Investment{"zhs", "", "", "zszq", "1", "y", ""},
                                   Investment{"zhs", "", "20668802", "zszq", "1", "", ""},
                                   Investment{"zhs", "", "20668802", "zszq", "1", "q", ""}})
        EXPECT_FALSE(desk().invest(form));
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{CapitalTransfer::kNoInvestor, CapitalTransfer::kNoInvestor,
                                        CapitalTransfer::kNoInvestor, CapitalTransfer::kNoAccount,
                                        CapitalTransfer::kNoType, CapitalTransfer::kNoType}));
    EXPECT_EQ(count(), before);
    EXPECT_EQ(amt("", "20668802"), 58240);
}

TEST_F(CapitalTransferTest, TheListsLeaveOutClosedRowsMarketRowsAndAccountCodes) {
    cash("P2026091500", "zszq", "77777777", 1, 1);
    add("2026-12-03", "***", 10);
    add("2026-12-04", "$1008", 10);
    storage::Cursor& accounts = desk().accounts();
    EXPECT_FALSE(accounts.locate("ZJZH", {"77777777"}));
    EXPECT_TRUE(accounts.locate("ZJZH", {"40000000"}));
    std::vector<std::string> codes;
    storage::Cursor& investors = desk().investors();
    for (investors.first(); !investors.eof(); investors.next()) codes.push_back(investors.text("pycode"));
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<std::string>{"@@@", "zhs"}));
}

}  // namespace
