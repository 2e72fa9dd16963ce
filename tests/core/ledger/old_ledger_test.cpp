#include "ledger/old_ledger.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <cstdlib>
#include <fstream>

#include "holdings_fixture.h"
#include "text/gbk.h"

using namespace varneth;
using ledger::OldLedger;

namespace {

class OldLedgerTest : public testsupport::HoldingsFixture {
protected:
    std::filesystem::path account() { return session->accountDir(); }

    // An old ledger as the old version wrote it: GBK text, dBASE dates, no BS and no BIRATE, and a
    // field the new layout does not have.
    void writeOldLedger(const char* dbfName = "tr0.dbf", const char* mdxName = "tr0.mdx") {
        DBFHandle h = DBFCreate((account() / dbfName).c_str());
        ASSERT_NE(h, nullptr);
        DBFAddField(h, "WTH", FTString, 11, 0);
        DBFAddField(h, "QSDM", FTString, 4, 0);
        DBFAddField(h, "QS", FTString, 6, 0);
        DBFAddField(h, "CODE", FTString, 6, 0);
        DBFAddField(h, "NAME", FTString, 8, 0);
        DBFAddField(h, "LX", FTString, 3, 0);
        DBFAddField(h, "AMT", FTDouble, 14, 2);
        DBFAddField(h, "PRICE1", FTDouble, 12, 3);
        DBFAddField(h, "DATE1", FTDate, 8, 0);
        DBFAddField(h, "OLDMARK", FTString, 4, 0);
        struct Old {
            const char *wth, *qsdm, *qs, *code, *name, *lx;
            double amt, price1;
            const char* date1;
        };
        const Old rows[] = {
            {"", "htzq", "华泰", "600036", "招商银行", "ha", 10000, 38.2, "20260316"},
            {"P2026091500", "htzq", "华泰", "000001", "平安银行", "sa", -5000, 11.05, "20260915"},
            {"", "htzq", "华泰", "000002", "万科A", "sa", 100, 8, "20261399"},  // no such date
            {"", "htzq", "华泰", "000003", "删除", "sa", 1, 1, "20260101"},     // deleted in the old file
            {"", "htzq", "华泰", "xj", "现金", "xj", 5000.25, 1, ""},
        };
        int r = 0;
        for (const Old& o : rows) {
            int f = 0;
            for (const char* t : {o.wth, o.qsdm, o.qs, o.code, o.name, o.lx})
                DBFWriteStringAttribute(h, r, f++, text::utf8ToGbk(t).c_str());
            DBFWriteDoubleAttribute(h, r, f++, o.amt);
            DBFWriteDoubleAttribute(h, r, f++, o.price1);
            // shapelib writes a date field's digits as a number.
            if (*o.date1)
                DBFWriteIntegerAttribute(h, r, f, std::atoi(o.date1));
            else
                DBFWriteNULLAttribute(h, r, f);
            DBFWriteStringAttribute(h, r, f + 1, "x");
            ++r;
        }
        DBFMarkRecordDeleted(h, 3, 1);
        DBFClose(h);
        std::ofstream(account() / mdxName) << "index";
    }
    std::vector<std::string> codes() {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        std::vector<std::string> out;
        for (c.first(); !c.eof(); c.next()) out.push_back(c.text("CODE"));
        return out;
    }
};

TEST_F(OldLedgerTest, ReplacesTheLedgerByTheOldRecords) {
    holding("b1", "z1", "600000", 100, 10, 11);
    row({{"WTH", "P2026010100"}, {"QSDM", "b1"}, {"CODE", "600001"}, {"LX", "ha"}});
    writeOldLedger();
    prompter.expectAnswers({true, true});
    OldLedger old(holdings(), account(), prompter);
    ASSERT_TRUE(old.copy());
    EXPECT_EQ(prompter.questions,
              (std::vector<std::string>{OldLedger::question(account()), OldLedger::kFoundQuestion}));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{OldLedger::doneMessage(account())});
    // Both views emptied; the bad date and the deleted record are passed over.
    EXPECT_EQ(codes(), (std::vector<std::string>{"600036", "000001", "xj"}));

    storage::Cursor c(session->kvt(), "tr2.DBF");
    c.first();
    EXPECT_EQ(c.text("QS"), "华泰");
    EXPECT_EQ(c.text("NAME"), "招商银行");
    EXPECT_EQ(c.number("AMT"), 10000);
    EXPECT_EQ(c.number("PRICE1"), 38.2);
    EXPECT_EQ(c.date("DATE1"), "2026-03-16");
    c.next();
    EXPECT_EQ(c.text("WTH"), "P2026091500");
    EXPECT_EQ(c.number("AMT"), -5000);
    c.next();
    EXPECT_EQ(c.number("AMT"), 5000.25);
    EXPECT_FALSE(c.date("DATE1"));
    for (c.first(); !c.eof(); c.next()) {
        EXPECT_EQ(c.integer("BS"), 1);
        EXPECT_EQ(c.number("BIRATE"), 1);
    }
    EXPECT_EQ(holdings().view(), ledger::Holdings::View::Holdings);
    EXPECT_EQ(holdings().ledger().count(), 2);  // the closed-out row is in the closed view
}

TEST_F(OldLedgerTest, OldFilesNamedInCapitalsAreFound) {
    writeOldLedger("TR0.DBF", "Tr0.Mdx");
    prompter.expectAnswers({true, true});
    OldLedger old(holdings(), account(), prompter);
    ASSERT_TRUE(old.copy());
    EXPECT_EQ(codes().size(), 3u);
}

TEST_F(OldLedgerTest, NothingChangesUnlessBothFilesAreThereReadableAndTheUserAgrees) {
    holding("b1", "z1", "600000", 100, 10, 11);
    OldLedger old(holdings(), account(), prompter);
    prompter.expectAnswers({false});
    EXPECT_FALSE(old.copy());

    writeOldLedger();
    std::filesystem::remove(account() / "tr0.mdx");
    prompter.expectAnswers({true});
    EXPECT_FALSE(old.copy());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{OldLedger::missingMessage(account())});

    std::ofstream(account() / "tr0.mdx") << "index";
    prompter.expectAnswers({true, false});
    EXPECT_FALSE(old.copy());

    std::ofstream(account() / "tr0.dbf", std::ios::trunc) << "not a dBASE file";
    prompter.messages.clear();
    prompter.expectAnswers({true, true});
    EXPECT_FALSE(old.copy());
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{OldLedger::unreadableMessage(account() / "tr0.dbf")});
    EXPECT_EQ(codes(), std::vector<std::string>{"600000"});
}

}  // namespace
