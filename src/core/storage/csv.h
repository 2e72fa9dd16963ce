#pragma once

#include <istream>
#include <ostream>
#include <string>

namespace varneth::storage {

class Cursor;
class Database;

// CSV as the product exchanges it: UTF-8, a header row of field names (case-insensitive),
// dates yyyy-mm-dd, logicals T/F, empty cell = empty text or number.
void exportCsv(Cursor& cursor, std::ostream& out);  // every row of the cursor's view, in its order

// Appends the rows of `in` to `table`. Every row is checked first: a row that does not read
// (a bad number, date or logical, an unknown column, a wrong cell count) writes nothing and throws
// storage::Error naming the row (1 = first data row) and the field. Returns the rows appended.
int importCsv(Database& db, const std::string& table, std::istream& in);

}  // namespace varneth::storage
