#include "ledger/capital_transfer.h"

#include <gtest/gtest.h>

#include <array>

#include "fund/fund_fixture.h"
#include "ledger/input_limits.h"

using namespace varneth;
using ledger::CapitalTransfer;
using ledger::Investment;
using Texts = std::vector<std::string>;

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
        cash("", "zszq", "10086601", 7, 1);                // the same number at a second broker, listed later
        base("2026-12-01");
        add("2026-12-02", "zhs", 5000, {{"NAME", "张三"}, {"Num", 2}});
        desk = std::make_unique<CapitalTransfer>(engine, session->lookups(), fund(), prompter, clock);
    }
    void cash(const char* wth, const char* qsdm, const char* zjzh, double amt, double rate) {
        book->append();
        for (auto [f, v] : {std::pair<const char*, storage::Value>{"WTH", wth},
                            {"QSDM", qsdm},
                            {"ZJZH", zjzh},
                            {"GDDM", *wth ? "" : "xj"},
                            {"CODE", "xj"},
                            {"LX", "xj"},
                            {"AMT", amt},
                            {"BIRATE", rate}})
            book->setValue(f, v);
        book->post();
    }
    std::vector<double> amounts() {  // every cash and frozen-cash row, in the order they were added
        std::vector<double> out;
        for (book->first(); !book->eof(); book->next()) out.push_back(book->number("AMT"));
        return out;
    }
    Texts fundRow(int i) {
        Texts r;
        for (const char* f : {"PYCODE", "NAME", "INPUT", "XABC", "ZJZH", "QSDM", "NOTE", "Num"})
            r.push_back(textAt(i, f));
        return r;
    }

    std::unique_ptr<storage::Cursor> book;
    std::unique_ptr<CapitalTransfer> desk;
};

TEST_F(CapitalTransferTest, ATransferAcrossCurrenciesMovesBothCashRowsAndBooksTwoRows) {
    ASSERT_TRUE(desk->transfer("10086601", "20668802", "1000"));
    EXPECT_EQ(amounts(),
              (std::vector<double>{-104600, 385520, 59490, 100, -500, 7}));  // 1000 at 1 is 1250 at 0.8
    EXPECT_EQ(prompter.messages, (Texts{"资金帐户10086601转出数额1000", "资金帐户20668802转入数额1250",
                                        "资金进出文件添加记录成功,按结算货币计算金额是1000"}));
    ASSERT_EQ(count(), 4);  // "$" + the account, cut to the code's six bytes; each row numbered as it comes
    EXPECT_EQ(fundRow(2), (Texts{"$10086", "华泰", "1000", "y", "20668802", "zszq", "转出1000汇率1", "3"}));
    EXPECT_EQ(fundRow(3),
              (Texts{"$20668", "招商", "-1000", "y", "10086601", "htzq", "转入1000汇率0.8", "4"}));
    EXPECT_EQ(textAt(3, "DT"), "2026-12-07");

    ASSERT_TRUE(desk->transfer("10086601", "30123456", "0.5"));  // half a unit books 0
    ASSERT_TRUE(desk->transfer("10086601", "30123456", "1.5"));  // and one and a half 2
    EXPECT_EQ(amounts(), (std::vector<double>{-104600, 385518, 59490, 102, -500, 7}));
    EXPECT_EQ((Texts{prompter.messages[5], prompter.messages[8]}),
              (Texts{"资金进出文件添加记录成功,按结算货币计算金额是0",
                     "资金进出文件添加记录成功,按结算货币计算金额是2"}));
}

TEST_F(CapitalTransferTest, AMissingChoiceAmountOrCashRowChangesNothing) {
    const std::array<std::array<const char*, 3>, 5> tries{{{"", "20668802", "1"},
                                                           {"10086601", " ", "1"},
                                                           {"10086601", "20668802", "1千"},
                                                           {"10086601", "40000000", "1"},
                                                           {"99999999", "20668802", "1"}}};
    for (const auto& [from, to, a] : tries) EXPECT_FALSE(desk->transfer(from, to, a));
    EXPECT_EQ(prompter.messages, (Texts{CapitalTransfer::kNoSource, CapitalTransfer::kNoDestination,
                                        "'1千'不是有效的数值（转移资金）", CapitalTransfer::kNoCashRow,
                                        CapitalTransfer::kNoCashRow}));  // frozen cash is no cash row
    EXPECT_EQ(amounts(), (std::vector<double>{-104600, 386520, 58240, 100, -500, 7}));
    EXPECT_EQ(count(), 2);
}

TEST_F(CapitalTransferTest, AmountsOutsideTheirLimitsAreRefusedWithNothingWritten) {
    for (const char* a : {"-500", "0", "1e20", "1000000000000.01"})
        EXPECT_FALSE(desk->transfer("10086601", "20668802", a));
    for (const char* a : {"0", "-0", "1e20", "-1000000000001"})
        EXPECT_FALSE(desk->invest(Investment{"zhs", "", "20668802", "zszq", a, "y", ""}));
    EXPECT_EQ(prompter.messages,
              (Texts{ledger::kBadTransferAmount, ledger::kBadTransferAmount, ledger::kBadTransferAmount,
                     ledger::kBadTransferAmount, ledger::kBadSignedAmount, ledger::kBadSignedAmount,
                     ledger::kBadSignedAmount, ledger::kBadSignedAmount}));
    EXPECT_EQ(amounts(), (std::vector<double>{-104600, 386520, 58240, 100, -500, 7}));
    EXPECT_EQ(count(), 2);

    // The limits are allowed, in exponent form too, and messages never show an exponent.
    prompter.messages.clear();
    ASSERT_TRUE(desk->transfer("10086601", "30123456", "1e12"));
    EXPECT_EQ(prompter.messages[0], "资金帐户10086601转出数额1000000000000");
    ASSERT_TRUE(desk->invest(Investment{"zhs", "", "30123456", "yaqh", "-1e12", "y", ""}));
    EXPECT_EQ(amounts()[3], 100);
}

TEST_F(CapitalTransferTest, AnInvestorsMoneyIsBookedAtTheAccountsRateOrWithoutMoneyWhenItHasNoCashRow) {
    ASSERT_TRUE(desk->invest(Investment{"zhs", "", "20668802", "zszq", "1000", "y", "追加"}));
    ASSERT_TRUE(desk->invest(Investment{"lxh", "李晓红", "40000000", "yaqh", "-300", "y", ""}));
    EXPECT_EQ(prompter.messages,
              (Texts{"持仓文件相应资金帐户金额已经增加1000", "资金进出文件添加记录成功,投资额折算成800",
                     CapitalTransfer::kNoCashRow, "资金进出文件添加记录成功,投资额折算成0"}));
    EXPECT_EQ(amounts(), (std::vector<double>{-104600, 386520, 59240, 100, -500, 7}));
    EXPECT_EQ(fundRow(2), (Texts{"lxh", "李晓红", "0", "y", "40000000", "yaqh", "", "3"}));
    EXPECT_EQ(fundRow(3),
              (Texts{"zhs", "张三", "800", "y", "20668802", "zszq", "追加", "4"}));  // the code's name

    for (const Investment& form : {Investment{"", "", "20668802", "zszq", "1", "y", ""},
                                   Investment{"$123", "", "20668802", "zszq", "1", "y", ""},
                                   Investment{"zhs", "", "", "zszq", "1", "y", ""},
                                   Investment{"zhs", "", "20668802", "zszq", "1", "q", ""}})
        EXPECT_FALSE(desk->invest(form));
    EXPECT_EQ(Texts(prompter.messages.begin() + 4, prompter.messages.end()),
              (Texts{CapitalTransfer::kNoInvestor, CapitalTransfer::kNoInvestor, CapitalTransfer::kNoAccount,
                     CapitalTransfer::kNoType}));
    EXPECT_EQ(count(), 4);
}

}  // namespace
