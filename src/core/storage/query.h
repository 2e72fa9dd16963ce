#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/cursor.h"
#include "storage/value.h"

namespace varneth::storage {

class Database;

// A local SQL query over the tables of one alias, held as lines that callers replace or edit
// before reopening. Parameters are written =:"name" (or :name) and bound by value, never pasted
// into the text. The result is a read-only cursor that stays the same object across reopens,
// so grids bound to it follow.
class Query {
public:
    explicit Query(Database& db);

    std::vector<std::string>& lines() { return lines_; }
    const std::vector<std::string>& lines() const { return lines_; }
    void setText(std::string_view sql);  // replaces every line
    std::string text() const;            // the lines joined by "\n"

    void setParam(std::string_view name, const Value& v);  // name case-insensitive
    // Binds every parameter of the text from the field of that name in the cursor's current row
    // (case-insensitive match); a parameter without such a field keeps its value.
    void bindFrom(const Cursor& source);

    // Runs the text; throws storage::Error on an SQL fault (the result keeps what it had).
    Cursor& open();
    Cursor& result();  // the cursor of the last open (empty before)
    bool isOpen() const { return open_; }
    void close();

    // The text as SQLite runs it: =:"name" becomes =:name.
    static std::string rewrite(std::string_view sql);

private:
    Database& db_;
    std::vector<std::string> lines_;
    std::map<std::string, Value> params_;  // lower-case names
    std::unique_ptr<Cursor> result_;
    bool open_ = false;
};

}  // namespace varneth::storage
