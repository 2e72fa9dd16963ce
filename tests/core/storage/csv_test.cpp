#include "storage/csv.h"

#include <gtest/gtest.h>

#include <sstream>

#include "storage/cursor.h"
#include "storage/engine.h"
#include "storage/error.h"
#include "support/csv_table.h"
#include "support/temp_dir.h"

using namespace varneth::storage;

namespace {

TableDef def() {
    return varneth::testsupport::csvTable();
}

class CsvTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.bind(Alias::Kvt, dir.path(), true);
        db().registerDefinition(def());
        db().createTable(def());
    }
    Database& db() { return engine.database(Alias::Kvt); }
    int rows() { return Cursor(db(), "c.DB").count(); }
    int import(const std::string& text) {
        std::istringstream in(text);
        return importCsv(db(), "c.db", in);
    }

    varneth::testsupport::TempDir dir;
    Engine engine;
};

TEST_F(CsvTest, RoundTripKeepsEveryKindOfValue) {
    EXPECT_EQ(
        import("code,NAME,rate,now,dt,n\r\nRMB,人民币,1,T,2026-12-07,3\nUSD,\"美元,\"\"绿\"\"\",7.25,F,,\n"),
        2);
    std::ostringstream out;
    Cursor c(db(), "c.DB");
    exportCsv(c, out);
    EXPECT_EQ(out.str(),
              "Code,Name,Rate,Now,Dt,N\nRMB,人民币,1,T,2026-12-07,3\nUSD,\"美元,\"\"绿\"\"\",7.25,F,,\n");
}

TEST_F(CsvTest, ABadRowRejectsTheWholeFileAndNamesRowAndField) {
    try {
        import("Code,Rate,Dt\nA,1,2026-01-01\nB,1x,2026-01-01\n");
        FAIL() << "a bad number was accepted";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("第2行"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Rate"), std::string::npos) << e.what();
    }
    EXPECT_THROW(import("Code,Dt\nA,2026-13-01\n"), Error);
    EXPECT_THROW(import("Code,Nope\nA,1\n"), Error);
    EXPECT_THROW(import("Code,Now\nA,maybe\n"), Error);
    EXPECT_THROW(import("Code,Rate\nA\n"), Error);
    EXPECT_EQ(rows(), 0);
    // A key violation in the middle takes back the rows before it.
    EXPECT_THROW(import("Code\nA\nB\nA\n"), Error);
    EXPECT_EQ(rows(), 0);
}

}  // namespace
