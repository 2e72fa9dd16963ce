#include "ledger/holdings_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ledger_fixture.h"

using namespace varneth;
using ledger::Holdings;
using ledger::HoldingsReport;
using Target = HoldingsReport::Target;

namespace {

// Hands the report's lines to a page collection that outlives the report.
struct Into : port::ReportSink {
    explicit Into(port::MemoryReport& m) : m(m) {}
    void line(std::string_view text) override { m.line(text); }
    void newPage() override { m.newPage(); }
    bool finish() override { return true; }
    port::MemoryReport& m;
};

class HoldingsReportTest : public testsupport::LedgerFixture {
protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        emptyLedger();
    }
    // Runs the report into `out` with the given answers.
    bool print(std::initializer_list<bool> answers, std::optional<Target> target = std::nullopt) {
        prompter.expectAnswers(answers);
        HoldingsReport report(holdings(), prompter, clock);
        out = std::make_unique<port::MemoryReport>();
        return report.print(
            [this](Target t) {
                chosen = t;
                return std::make_unique<Into>(*out);
            },
            target);
    }
    void closedRow(int i, double amt) {
        char wth[32];
        std::snprintf(wth, sizeof wth, "P20260%03d00", i);
        row("WTH;QSDM;QS;ZJZH;CODE;NAME;LX;AMT;PRICE1;PRICE2;COST2",
            {wth, "b1", "甲", "z1", std::to_string(600000 + i), "股", "ha", amt, 10.0, 11.0, amt * 11});
    }
    // The codes of the printed rows, in order.
    std::vector<std::string> printedCodes() const {
        std::vector<std::string> codes;
        for (const auto& page : out->pages)
            for (const auto& l : page)
                if (l.starts_with("*甲")) codes.push_back(l.substr(l.find("z1") + 19, 6));
        return codes;
    }

    std::unique_ptr<port::MemoryReport> out;
    std::optional<Target> chosen;
};

std::string golden(const char* name) {
    std::ifstream in(std::filesystem::path(VARNETH_CORE_TEST_DIR "/ledger") / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(HoldingsReportTest, TheHoldingsViewPrintsEveryRecordAsTheGoldenFileShows) {
    row("QSDM;QS;ZJZH;GDDM;CODE;NAME;LX;AMT;PRICE1;DATE1;PRICE2;COST2;INC",
        {"b1", "甲券商", "10086601", "A123456789", "600036", "招商银行", "ha", 10000.7, 38.2, "2026-03-16",
         42.15, 421500.9, 9.9403});
    row("WTH;QSDM;QS;ZJZH;GDDM;CODE;NAME;LX;AMT;PRICE1;PRICE2;COST2;INC",
        {"26120414301", "b1", "甲券商", "10086601", "xj", "xj", "现金", "xj", -104600.0, 1.0, 1.0, -104600.0,
         0.0});
    row("WTH;QSDM;QS;CODE;NAME;LX;AMT;PRICE1;PRICE2;COST2;INC",
        {"###", "zzc", "市价总值", "zzc", "市价总值", "zzc", 2452821.5, 1.0, 1.0297, 2525652.0, 2.9693});
    holdings().ledger().moveTo(1);
    ASSERT_TRUE(print({true, false}));
    EXPECT_EQ(prompter.questions,
              (std::vector<std::string>{HoldingsReport::question(Holdings::View::Holdings),
                                        HoldingsReport::kTargetQuestion}));
    EXPECT_EQ(chosen, Target::File);
    EXPECT_EQ(out->text(), golden("holdings_report.golden"));
    EXPECT_EQ(holdings().ledger().position(), 1);  // the cursor stays where it was
}

TEST_F(HoldingsReportTest, PagesOfFiftyRowsAndTheEndInsideAPage) {
    for (int i = 0; i < 50; ++i) holding("A1", std::to_string(600000 + i).c_str(), 100, 10, 11);
    ASSERT_TRUE(print({true, true}));
    EXPECT_EQ(chosen, Target::Printer);
    ASSERT_EQ(out->pages.size(), 1u);
    // A full last page keeps its footer: 1 + 6 heading lines + 50 rows + rule + note + 8 blank lines.
    ASSERT_EQ(out->pages[0].size(), 67u);
    EXPECT_EQ(out->pages[0][58], HoldingsReport::kStarNote);
    EXPECT_NE(out->pages[0][3].find("第1页， 共1页   打印时间:2026-12-07 09:30:00"), std::string::npos);

    holding("A1", "600050", 100, 10, 11);
    ASSERT_TRUE(print({true, true}));
    ASSERT_EQ(out->pages.size(), 2u);
    EXPECT_EQ(out->pages[0].size(), 67u);
    EXPECT_NE(out->pages[1][2].find("第2页， 共2页"), std::string::npos);
    // The ledger ends inside the second page: one row, the rule, and nothing after it.
    ASSERT_EQ(out->pages[1].size(), 8u);
    EXPECT_EQ(out->pages[1][7], out->pages[1][3]);
}

TEST_F(HoldingsReportTest, TheClosedViewPrintsFromTheCursorOrTheLatestPage) {
    for (int i = 1; i <= 60; ++i) closedRow(i, i % 10 == 0 ? -100.0 : 100.0);  // six sells among them
    holdings().setView(Holdings::View::Closed);
    ASSERT_TRUE(print({true}, Target::File));
    EXPECT_EQ(prompter.questions.size(), 1u);  // where to was given
    // From the last record: one page of the latest 50 non-negative rows.
    std::vector<std::string> codes = printedCodes();
    ASSERT_EQ(codes.size(), 50u);
    EXPECT_EQ(codes.front(), "600005");
    EXPECT_EQ(codes.back(), "600059");
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "600010"), 0);
    EXPECT_EQ(out->pages.size(), 1u);
    EXPECT_EQ(out->pages[0][1], std::string(38, ' ') + "平仓报告");
    EXPECT_EQ(holdings().ledger().position(), 59);

    holdings().ledger().moveTo(52);  // the 53rd record: 600053 on
    ASSERT_TRUE(print({true}, Target::File));
    EXPECT_EQ(printedCodes(), (std::vector<std::string>{"600053", "600054", "600055", "600056", "600057",
                                                        "600058", "600059"}));
}

}  // namespace
