#include "fund/investor_reports.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "fund/cash_account_report.h"
#include "investors_fixture.h"
#include "text/gbk.h"

using namespace varneth;
using fund::FundManager;
using fund::ReportDefinition;

namespace {

using Texts = std::vector<std::string>;

// The expected report in golden/<name>.txt; VARNETH_UPDATE_GOLDEN=1 writes it from the output.
void expectGolden(const std::string& name, const std::string& got) {
    const auto file = std::filesystem::path(VARNETH_CORE_TEST_DIR "/fund/golden") / (name + ".txt");
    if (std::getenv("VARNETH_UPDATE_GOLDEN")) std::ofstream(file, std::ios::binary) << got;
    std::ifstream in(file, std::ios::binary);
    std::stringstream want;
    want << in.rdbuf();
    EXPECT_EQ(got, want.str()) << name;
}

// The blank-separated cells of a report line.
Texts cells(const std::string& line) {
    std::istringstream in(line);
    Texts out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

class InvestorReportsTest : public testsupport::InvestorsFixture {
protected:
    void buy(const std::string& dt, const std::string& code, double input, const char* xabc = "y",
             const char* name = "") {
        add(dt, code, input,
            {{"UNIT", input},
             {"PRICE", 1.0},
             {"XABC", xabc},
             {"CZXH", 0},
             {"NAME", name},
             {"QSDM", "stxj"},
             {"ZJZH", "stxj"}});
    }
    void market(const std::string& dt, double price, double fundValue = 0) {
        add(dt, "***", 0, {{"PRICE", price}, {"FUND", fundValue}});
    }
    void address(const std::string& code) {
        storage::Cursor book(session->kvt(), "addr.dbf");
        book.append();
        book.setValue("PYCODE", code);
        book.setValue("TEL", "010-1234");
        book.setValue("TEL2", "a@b.cn");
        book.setValue("PC", "100001");
        book.setValue("ADDR", "北京东路1号");
        book.post();
    }
    fund::InvestorReports& reports() {
        if (!rep) rep = std::make_unique<fund::InvestorReports>(engine, manager(), prompter, clock);
        return *rep;
    }
    ReportDefinition definition() {
        ReportDefinition def;
        def.fundName = "长青基金";
        return def;
    }
    // The lower-grid row of this date and amount made current.
    void selectDetail(const std::string& dt, double input) {
        storage::Cursor& d = manager().details();
        for (int i = 0; i < d.count(); ++i) {
            d.moveTo(i);
            if (d.text("dt") == dt && d.number("input") == input) return;
        }
        FAIL() << "no row " << dt << " " << input;
    }

    std::unique_ptr<fund::InvestorReports> rep;
};

TEST_F(InvestorReportsTest, VoucherOfABuyPrintsTheRowTheAddressAndTheTypesRules) {
    defineType("a", {{"C5", true},
                     {"E9", 5.0},
                     {"E10", 50.0},
                     {"C2", true},
                     {"E3", 10.0},
                     {"E4", 20.0},
                     {"C3", true},
                     {"E5", 30.0},
                     {"E6", 30.0},
                     {"C8", true},
                     {"C1", true},
                     {"E1", 0.01},
                     {"E2", 3.65},
                     {"C9", true},
                     {"E12", 0.5},
                     {"C6", true},
                     {"E11", 180.0}});
    base("2026-01-01");
    buy("2026-01-05", "wjg", 10000, "a", "王建国");
    market("2026-12-07", 1.3);
    address("wjg");
    manager().show();
    ASSERT_TRUE(manager().findInvestor("wjg"));
    port::MemoryReport r;
    reports().writeVoucher(definition(), r);
    expectGolden("voucher_buy", r.text());
}

TEST_F(InvestorReportsTest, VoucherOfASettledWithdrawalListsItsOffsetRowsWithFeesAndCommission) {
    defineType("f", {{"C2", true},
                     {"E3", 0.0},
                     {"E4", 20.0},
                     {"C1", true},
                     {"E1", 0.01},
                     {"E2", 3.65},
                     {"C9", true},
                     {"E12", 1.0}});
    base("2026-01-01");
    buy("2026-01-05", "wjg", 1000, "f", "王建国");
    buy("2026-03-01", "wjg", 500, "f", "王建国");
    market("2026-12-01", 1.3);
    add("2026-12-01", "wjg", -1200, {{"PRICE", 1.3}, {"XABC", "f"}, {"CZXH", 0}, {"NAME", "王建国"}});
    manager().show();
    manager().withdrawals();
    manager().setDisplay(FundManager::Display::WithSettled);
    ASSERT_TRUE(manager().findInvestor("wjg"));
    selectDetail("2026-12-01", -1200);
    port::MemoryReport r;
    reports().writeVoucher(definition(), r);
    expectGolden("voucher_withdrawal", r.text());
    EXPECT_EQ(r.pages[0][0], text::trimRight(fund::centredTitle("长青基金撤资凭证")));
}

TEST_F(InvestorReportsTest, CommissionOnAVoucherIsNeverNegativeWhenAGuaranteeCoversALoss) {
    defineType("g", {{"C5", true}, {"E9", 10.0}, {"E10", 100.0}});
    base("2025-01-01");
    buy("2025-01-05", "wjg", 1000, "g");
    add("2026-12-01", "wjg", -500, {{"PRICE", 0.8}, {"XABC", "g"}, {"CZXH", 0}});
    market("2026-12-01", 0.8);
    manager().show();
    manager().withdrawals();
    manager().setDisplay(FundManager::Display::All);
    ASSERT_TRUE(manager().findInvestor("wjg"));
    selectDetail("2026-12-01", -500);
    port::MemoryReport r;
    reports().writeVoucher(definition(), r);
    const auto& lines = r.pages[0];
    const auto heading =
        std::find(lines.begin(), lines.end(), "投资记录冲销如下(撤资序号相同,股数正负相等):");
    ASSERT_NE(heading, lines.end());
    int offsets = 0;
    for (auto l = heading + 2; l != lines.end() && l->rfind("20", 0) == 0; ++l, ++offsets) {
        ASSERT_EQ(cells(*l).size(), 11u) << *l;
        EXPECT_EQ(cells(*l)[9], "0") << *l;  // the guarantee pays more than the buy is worth
    }
    EXPECT_EQ(offsets, 2);  // the settled share of the buy and the withdrawal itself
}

TEST_F(InvestorReportsTest, VoucherOnAnUnsettledWithdrawalSettlesItAndPrintsNothing) {
    base("2026-01-01");
    buy("2026-01-05", "wjg", 1000);
    market("2026-12-01", 1.0);
    add("2026-12-01", "wjg", -300, {{"PRICE", 1.0}, {"XABC", "y"}, {"CZXH", 0}});
    manager().show();
    ASSERT_TRUE(manager().findInvestor("wjg"));
    selectDetail("2026-12-01", -300);
    bool opened = false;
    prompter.expectAnswers({true});
    EXPECT_FALSE(reports().voucher(definition(), [&](fund::ReportTarget) {
        opened = true;
        return std::unique_ptr<port::ReportSink>();
    }));
    EXPECT_FALSE(opened);
    EXPECT_EQ(prompter.questions, Texts{fund::InvestorReports::kVoucherQuestion});
    ASSERT_GE(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], fund::InvestorReports::kUnsettled);
    EXPECT_EQ(manager().display(), FundManager::Display::WithSettled);
    EXPECT_GT(at(find("wjg", "2026-12-01", 1, "s"), "CZXH"), 0);
    EXPECT_EQ(manager().details().position(), manager().details().count() - 1);
}

TEST_F(InvestorReportsTest, StageReportOfTheManagerOwnsTheUnitsTheInvestorsDoNot) {
    base("2026-01-01");
    add("2026-01-02", "@@@", 500,
        {{"UNIT", 500.0}, {"PRICE", 1.0}, {"XABC", "y"}, {"CZXH", 0}, {"NAME", "管理人"}});
    buy("2026-01-05", "aaa", 1000, "y", "甲");
    buy("2026-01-06", "bbb", 500, "y", "乙");
    market("2026-12-07", 1.3, 2600);  // 2000 units in all
    manager().show();
    ASSERT_TRUE(manager().findInvestor("@@@"));
    ReportDefinition def = definition();
    def.allRecords = false;
    def.brief = true;
    def.memo = "本期运作平稳。\r\n继续持有。";
    port::MemoryReport r;
    reports().writeStage(def, r);
    expectGolden("stage_manager", r.text());
    // 2600 / 1.3 - 1500 = 500 units, worth 650; 2600 - 1950 withdrawable by the investors leaves 650.
    EXPECT_EQ(cells(r.pages[0][7]), (Texts{"@@@", "管理人", "y", "500", "500", "500", "650", "650", "150"}));
}

TEST_F(InvestorReportsTest, StageReportMarksTheCommissionPairAndNumbersSettledRows) {
    defineType("a", {{"C2", true}, {"E3", 0.0}, {"E4", 20.0}});
    base("2025-01-01");
    buy("2025-12-07", "aaa", 1000, "a", "甲");
    market("2026-12-07", 1.5);
    manager().show();
    ASSERT_TRUE(manager().searchCommission());
    ASSERT_TRUE(manager().drawSelected(0));
    manager().setDisplay(FundManager::Display::WithSettled);
    ASSERT_TRUE(manager().findInvestor("aaa"));
    port::MemoryReport r;
    reports().writeStage(definition(), r);
    expectGolden("stage_investor", r.text());
}

TEST_F(InvestorReportsTest, TotalReportOf120InvestorsPrintsPagesOf50And50And20) {
    base("2026-01-01");
    for (int i = 0; i < 119; ++i) {  // and the manager's row: 120
        const std::string code = std::string(i < 10 ? "i00" : i < 100 ? "i0" : "i") + std::to_string(i);
        buy("2026-02-01", code, 100.0 * (i + 1), "y", "某");
    }
    market("2026-12-07", 1.25);
    manager().show();
    port::MemoryReport r;
    reports().writeTotal(definition(), r);
    ASSERT_EQ(r.pages.size(), 3u);
    EXPECT_EQ(r.pages[0].size(), 6u + 50 + 1 + 9);
    EXPECT_EQ(r.pages[1].size(), 6u + 50 + 1 + 9);
    EXPECT_EQ(r.pages[2].size(), 6u + 20 + 1);
    expectGolden("total_120", r.text());
}

class CashAccountsTest : public InvestorReportsTest {
protected:
    void hold(const std::string& qsdm, const std::string& zjzh, double cost2, double discount, double rate,
              const char* wth = "") {
        storage::Cursor tr(session->kvt(), "tr2.DBF");
        tr.append();
        tr.setValue("QSDM", qsdm);
        tr.setValue("ZJZH", zjzh);
        tr.setValue("COST2", cost2);
        tr.setValue("ZK_RATE", discount);
        tr.setValue("BIRATE", rate);
        tr.setValue("WTH", wth);
        tr.post();
    }
    void clearHoldings() {
        storage::Cursor tr(session->kvt(), "tr2.DBF");
        while (!tr.isEmpty()) {
            tr.first();
            tr.remove();
        }
    }
    void money(const std::string& dt, const std::string& qsdm, const std::string& zjzh, double input,
               const char* name) {
        add(dt, "aaa", input,
            {{"PRICE", 1.0}, {"QSDM", qsdm}, {"ZJZH", zjzh}, {"NAME", name}, {"XABC", "y"}});
    }
    fund::CashAccounts& accounts() {
        if (!cash) cash = std::make_unique<fund::CashAccounts>(engine, session->lookups(), prompter, clock);
        return *cash;
    }
    std::unique_ptr<fund::CashAccounts> cash;
};

TEST_F(CashAccountsTest, SelezjShowsTheCashAccountsDifferenceTwiceAndRefusesARateWithoutInput) {
    clearHoldings();
    base("2026-01-01");
    money("2026-01-02", "stxj", "stxj", 1000, "甲");
    money("2026-01-03", "yaqh", "301", 500, "乙");
    money("2026-02-03", "yaqh", "301", -800, "乙");
    money("2026-01-04", "yaqh", "302", 1000, "丙");
    money("2026-01-05", "yaqh", "303", 600, "丁");
    money("2026-02-05", "yaqh", "303", -600, "丁");
    hold("stxj", "stxj", 1100, 0.9, 1);        // 990 discounted
    hold("yaqh", "302", 1000, 0.8, 1.5);       // 800 in its currency, 1200 settled
    hold("yaqh", "302", 5000, 1, 1.5, "123");  // an open order: not held
    accounts().open();
    EXPECT_EQ(accounts().accounts().text("zjzh"), "stxj");  // positioned at creation
    fund::AccountSummary s = accounts().selezj();
    EXPECT_EQ((Texts{s.code, s.amount, s.value, s.first, s.second}),
              (Texts{"$stxj", "1000", "990", "差额:-10", "差额:-10"}));
    ASSERT_TRUE(accounts().select("yaqh", "302"));
    s = accounts().selezj();
    EXPECT_EQ((Texts{s.code, s.amount, s.value, s.first, s.second}),
              (Texts{"$302", "1000", "800", "增值200", "余额增值率:20%"}));
    ASSERT_TRUE(accounts().select("yaqh", "301"));
    EXPECT_EQ(accounts().selezj().second, fund::CashAccounts::kOverdrawn);
    ASSERT_TRUE(accounts().select("yaqh", "303"));  // nothing net brought in: no division by zero
    s = accounts().selezj();
    EXPECT_EQ((Texts{s.first, s.second}), (Texts{"增值0", fund::CashAccounts::kOverdrawn}));
    EXPECT_FALSE(accounts().select("yaqh", "999"));
}

TEST_F(CashAccountsTest, ReportListsTheAccountsMovementsAndResult) {
    clearHoldings();
    base("2026-01-01");
    money("2026-01-04", "yaqh", "302", 1000, "丙");
    money("2026-03-04", "yaqh", "302", -250, "丙");
    hold("yaqh", "302", 1000, 0.8, 1.5);
    accounts().open();
    ASSERT_TRUE(accounts().select("yaqh", "302"));
    port::MemoryReport r;
    accounts().write("长青基金", true, r);
    expectGolden("cash_account", r.text());
    port::MemoryReport brief;
    accounts().write("长青基金", false, brief);
    EXPECT_EQ(brief.pages[0].size(), 9u);  // no movements
}

TEST(ReportLayout, TitlesCentreOnGbkBytesAndFilesStayInTheReportFolder) {
    EXPECT_EQ(fund::centredTitle("资金"), std::string(31, ' ') + "资金");  // (67 - 4) / 2
    EXPECT_EQ(fund::centredHeader("abc"), std::string(43, ' ') + "abc");   // (90 - 3) / 2 toward zero
    EXPECT_EQ(fund::centred(std::string(100, 'x'), 90), std::string(100, 'x'));
    testsupport::TempDir dir;
    const auto f =
        fund::proposedReportFile(dir.path(), "Receipt_", " ../王/x ", port::DateTime{2026, 12, 7, 9, 0, 0});
    EXPECT_EQ(f.parent_path(), dir.path() / "report");
    EXPECT_EQ(f.filename().string(), "Receipt_.._王_x2026-12-07.txt");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "report"));
}

TEST(ReportLayout, AFileThatCannotBeWrittenLeavesNothingBehind) {
    testsupport::TempDir dir;
    const auto target = dir.path() / "taken";
    std::filesystem::create_directory(target);  // a folder stands where the file would go
    port::TextFileReport r(target);
    r.line("甲");
    EXPECT_FALSE(r.finish());
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "taken.tmp"));
}

TEST_F(InvestorReportsTest, ChoosingAFundMovesNowToThatTypeOnly) {
    defineType("a", {{"Now", true}});
    defineType("b", {});
    EXPECT_EQ(fund::currentFundName(engine), "类型a");
    EXPECT_EQ(fund::chooseFund(engine, "b"), "类型b");
    EXPECT_EQ(fund::currentFundName(engine), "类型b");
    int marked = 0;
    for (const auto& f : fund::fundChoices(engine)) marked += f.now;
    EXPECT_EQ(marked, 1);
}

}  // namespace
