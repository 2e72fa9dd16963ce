#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/journal.h"
#include "storage/schema.h"
#include "storage/value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace varneth::storage {

class Table;
class Engine;
class Database;

// A prepared statement owned by a Database's cache, reset for each use.
class Statement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const Value& v);             // 1-based
    int parameterIndex(std::string_view name) const;  // 0 when absent; name with its ':' prefix
    int parameterCount() const;
    std::string parameterName(int index) const;
    bool step();  // true while a row is ready; throws storage::Error on failure
    void reset();
    int columnCount() const;
    std::string columnName(int i) const;
    Value column(int i) const;
    sqlite3_stmt* handle() const { return stmt_; }

private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// One SQLite database: the tables of one alias directory, in the file `varneth.db`.
class Database {
public:
    static constexpr const char* kFileName = "varneth.db";

    // Opens (creating when missing) `path`; ":memory:" for a database in memory. A file the program
    // may not write (a read-only directory or file) opens read-only. A file that does not open as a
    // database throws storage::CannotOpen, naming the file and why.
    explicit Database(const std::filesystem::path& path, Engine* engine = nullptr);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::filesystem::path& path() const { return path_; }
    sqlite3* handle() const { return db_; }
    bool readOnly() const { return readOnly_; }

    // The definition used for a table of this database: one registered here, else the product's.
    const TableDef* definition(std::string_view table) const;
    void registerDefinition(TableDef def);  // for tables outside the product's schema (tests)

    bool hasTable(std::string_view table) const;
    std::vector<std::string> tableNames() const;  // as stored, sorted; without the journal
    void createTable(const TableDef& def);        // no-op when it exists
    void createTables(Alias alias);               // every product table of that alias

    // The loaded rows of a table, shared by every cursor over it. Throws storage::Error when the
    // database has no such table.
    std::shared_ptr<Table> table(std::string_view name);

    // Runs SQL that writes (rare: imports, schema work). Loaded tables are reloaded afterwards.
    void execute(std::string_view sql);
    Statement& cached(const std::string& sql);  // a prepared statement kept for reuse

    // Opens the action's transaction: the write lock first (waiting for another program up to the
    // engine's limit, then storage::Busy), so that everything the action reads is current; tables
    // another program changed since are re-read, cursors keeping their current row.
    void beginAction(bool write);
    // Called before every write: opens the action's transaction when an action is running.
    void beforeWrite();
    void commit();    // ends the open transaction, if any; throws (after rolling back) when it fails
    void rollback();  // abandons the open transaction and reloads every loaded table
    bool inTransaction() const { return inTransaction_; }

    // Turns an SQLite failure into a worded error. Failures of the file itself (disk full, read
    // only, damaged) abandon the running action, so that nothing of it is half written.
    [[noreturn]] void fail(std::string_view what);

    // The rows changed by the running action; null for a database the program cannot write.
    ChangeCapture* capture() { return capture_.get(); }
    JournalWriter* journal() { return journal_.get(); }  // null with capture()
    // Counts the actions that found another program's commits: what was read before may be old.
    std::uint64_t changesElsewhere() const { return changesElsewhere_; }
    // Re-reads every loaded table (after an undo wrote behind the tables' back).
    void reloadAll();

private:
    void refreshIfChangedElsewhere();
    std::int64_t dataVersion();
    void releaseAfterFailure();
    static int onBusy(void* self, int attempts);

    std::filesystem::path path_;
    Engine* engine_;
    sqlite3* db_ = nullptr;
    bool inTransaction_ = false;
    bool readOnly_ = false;
    bool fileFailed_ = false;
    bool beginning_ = false;
    bool waitNotified_ = false;
    std::int64_t dataVersion_ = 0;
    std::uint64_t changesElsewhere_ = 0;
    std::int64_t busySince_ = 0;  // ms clock of the first busy wait of the current attempt
    std::vector<TableDef> localDefs_;
    std::map<std::string, std::weak_ptr<Table>> tables_;  // by lower-case name
    std::map<std::string, std::unique_ptr<Statement>> statements_;
    std::unique_ptr<ChangeCapture> capture_;
    std::unique_ptr<JournalWriter> journal_;
};

}  // namespace varneth::storage
