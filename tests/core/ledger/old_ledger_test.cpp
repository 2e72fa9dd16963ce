#include "ledger/old_ledger.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <cstdlib>
#include <fstream>

#include "ledger_fixture.h"
#include "text/gbk.h"

using namespace varneth;
using ledger::OldLedger;

namespace {

class OldLedgerTest : public testsupport::LedgerFixture {
protected:
    std::filesystem::path account() { return session->accountDir(); }

    // An old ledger as the old version wrote it: GBK text, dBASE dates, no BS and no BIRATE, a field
    // the new layout does not have, and named by a system that does not tell letter case apart.
    void writeOldLedger(const char* dbfName = "TR0.DBF", const char* mdxName = "Tr0.Mdx") {
        DBFHandle h = DBFCreate((account() / dbfName).c_str());
        ASSERT_NE(h, nullptr);
        for (const char* text : {"WTH", "QSDM", "QS", "CODE", "NAME", "LX"})
            DBFAddField(h, text, FTString, 11, 0);
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
        storage::Cursor c = table();
        std::vector<std::string> out;
        for (c.first(); !c.eof(); c.next()) out.push_back(c.text("CODE"));
        return out;
    }
};

TEST_F(OldLedgerTest, ReplacesTheLedgerByTheOldRecords) {
    row("WTH;QSDM;CODE;LX", {"P2026010100", "b1", "600001", "ha"});
    writeOldLedger();
    prompter.expectAnswers({true, true});
    OldLedger old(holdings(), account(), prompter);
    ASSERT_TRUE(old.copy());
    EXPECT_EQ(prompter.questions,
              (std::vector<std::string>{OldLedger::question(account()), OldLedger::kFoundQuestion}));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{OldLedger::doneMessage(account())});
    // Both views emptied; the bad date and the deleted record are passed over.
    EXPECT_EQ(codes(), (std::vector<std::string>{"600036", "000001", "xj"}));

    const auto rows = rowsWhere("QSDM", "htzq");
    ASSERT_EQ(rows.size(), 3u);
    expectFields(rows[0], "QS;NAME;AMT;PRICE1;DATE1;BS;BIRATE",
                 {"华泰", "招商银行", 10000.0, 38.2, "2026-03-16", 1, 1.0});
    expectFields(rows[1], "WTH;AMT;BS", {"P2026091500", -5000.0, 1});
    expectFields(rows[2], "AMT;DATE1;BIRATE", {5000.25, storage::Value(), 1.0});
    EXPECT_EQ(holdings().view(), ledger::Holdings::View::Holdings);
    EXPECT_EQ(holdings().ledger().count(), 2);  // the closed-out row is in the closed view
}

TEST_F(OldLedgerTest, NothingChangesUnlessBothFilesAreThereReadableAndTheUserAgrees) {
    OldLedger old(holdings(), account(), prompter);
    writeOldLedger("tr0.dbf", "tr0.mdx");
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
    EXPECT_EQ(codes(), std::vector<std::string>{"xj"});
}

TEST_F(OldLedgerTest, AnOldLedgerCutShortIsRefusedAndTheLedgerKept) {
    writeOldLedger("tr0.dbf", "tr0.mdx");
    // Header and field list whole, the records cut off in the middle of the second.
    std::filesystem::resize_file(account() / "tr0.dbf", 32 + 32 * 10 + 1 + 150);
    prompter.expectAnswers({true, true});
    OldLedger old(holdings(), account(), prompter);
    EXPECT_FALSE(old.copy());
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{OldLedger::unreadableMessage(account() / "tr0.dbf")});
    EXPECT_EQ(codes(), std::vector<std::string>{"xj"});
}

}  // namespace
