// CSV import: a file that does not import leaves the table empty; one that does exports to text
// that imports again to the same rows.
#include <sstream>
#include <string>

#include "scratch.h"
#include "storage/csv.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "storage/error.h"
#include "storage/names.h"
#include "support/csv_table.h"

namespace {

using namespace varneth::storage;

TableDef def() {
    return varneth::testsupport::csvTable();
}

struct Imported {
    bool ok = false;
    int rows = 0;
    std::string exported;
};

// One database for the whole run, emptied before each import: making one per import cost most of
// the time of an execution.
Database& emptied() {
    static Database db(":memory:");
    static const bool made = [] {
        db.registerDefinition(def());
        db.createTable(def());
        return true;
    }();
    (void)made;
    db.execute("DELETE FROM " + quoteIdent(def().name));
    return db;
}

Imported importInto(const std::string& text) {
    Database& db = emptied();
    Imported result;
    std::istringstream in(text);
    try {
        result.rows = importCsv(db, "c.db", in);
        result.ok = true;
    } catch (const Error&) {
    }
    Cursor cursor(db, "c.DB");
    std::ostringstream out;
    exportCsv(cursor, out);
    result.exported = out.str();
    FUZZ_CHECK(cursor.count() == (result.ok ? result.rows : 0));
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Imported first = importInto(std::string(reinterpret_cast<const char*>(data), size));
    if (!first.ok) return 0;
    const Imported again = importInto(first.exported);
    FUZZ_CHECK(again.ok && again.exported == first.exported);
    return 0;
}
