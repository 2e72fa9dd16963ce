#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "storage/schema.h"
#include "storage/value.h"

namespace varneth::storage {

class Database;

struct Row {
    std::int64_t rowid = 0;
    Record values;
};

// Told by a Table of every change, so that several cursors over one table see each other's posts.
class TableListener {
public:
    virtual ~TableListener() = default;
    virtual void rowInserted(Row* row) = 0;
    // `changed` holds the indexes of the fields whose values changed.
    virtual void rowUpdated(Row* row, const std::vector<int>& changed) = 0;
    virtual void rowRemoving(Row* row) = 0;
    virtual void tableReloaded() = 0;
};

// The rows of one table, held in memory and kept in step with the database: every write goes to
// SQLite first and reaches memory only when SQLite took it. A table built from a query result has
// no database and is read-only.
class Table {
public:
    Table(Database* db, TableDef def);              // loads the rows of a stored table
    Table(TableDef def, std::vector<Record> rows);  // a read-only result
    ~Table();

    const TableDef& def() const { return def_; }
    bool readOnly() const { return db_ == nullptr; }
    std::size_t size() const { return rows_.size(); }
    // Every row, in natural (insertion) order.
    std::vector<Row*> rowsInNaturalOrder();

    // Values are taken as given: callers (cursors) make them fit the field types and widths.
    Row* insert(Record values);
    void update(Row* row, Record values);
    void remove(Row* row);
    Row* find(std::int64_t rowid);

    void reload();  // re-reads the database, after SQL or a rollback changed it behind our back

    void addListener(TableListener* l);
    void removeListener(TableListener* l);
    // Makes a value fit a field: text cut to the field's GBK width and trimmed, numbers as REAL,
    // dates checked, logicals 0/1. Throws storage::Error when the value does not read as the type.
    static Value fit(const FieldDef& field, const Value& v);

private:
    void load();
    std::string columnList() const;

    Database* db_;
    TableDef def_;
    std::unordered_map<std::int64_t, std::unique_ptr<Row>> rows_;
    std::int64_t nextLocalId_ = 1;  // rowids of a read-only result
    std::vector<TableListener*> listeners_;
};

}  // namespace varneth::storage
