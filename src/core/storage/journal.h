#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "storage/value.h"

struct sqlite3;

namespace varneth::storage {

class Database;

// Who did an action and how the user started it, as the history lists it.
struct JournalLabel {
    std::string time;     // "yyyy-mm-dd hh:nn:ss" of the session clock
    std::string account;  // the managing account
    std::string action;   // the window's caption and button, or the command line
};

// The tables holding the journal of a database; never journaled themselves.
inline constexpr const char* kJournalTable = "varneth_journal";
inline constexpr const char* kChangesTable = "varneth_changes";
inline constexpr const char* kSerialTable = "varneth_serial";
bool isJournalTable(std::string_view name);

// The net change an action made to one row: a row inserted and updated is one insert, one updated
// and then deleted one delete, one inserted and deleted nothing.
struct RowChange {
    enum class Kind : char { Insert = 'I', Delete = 'D', Update = 'U' };
    Kind kind = Kind::Update;
    std::int64_t rowid = 0;
    Record before;  // empty for an insert
    Record after;   // empty for a delete
};

struct TableChanges {
    std::string table;
    std::vector<RowChange> rows;
};

// One blob per table: only the changed fields' old values of an updated row are kept.
std::string encodeChanges(const std::vector<RowChange>& rows);
std::vector<RowChange> decodeChanges(std::string_view blob, std::size_t columns);

// Collects, through SQLite's pre-update hook, every row change of the running action on one
// connection, so that no write path has to tell the journal what it did.
class ChangeCapture {
public:
    explicit ChangeCapture(sqlite3* db);
    ~ChangeCapture();
    ChangeCapture(const ChangeCapture&) = delete;
    ChangeCapture& operator=(const ChangeCapture&) = delete;

    void start();                      // forgets what was collected and collects from now on
    void stop();                       // forgets and stops collecting
    std::vector<TableChanges> take();  // by table name; leaves the capture empty and running

private:
    struct Pending {
        std::vector<RowChange> rows;
        std::unordered_map<std::int64_t, std::size_t> byRowid;
    };
    static void hook(void* self, sqlite3* db, int op, const char* schema, const char* table, long long oldKey,
                     long long newKey);
    Pending* pendingOf(const char* table);  // null for a table never journaled
    void record(sqlite3* db, int op, const char* table, std::int64_t oldKey, std::int64_t newKey);
    void recordRemoval(Pending& p, std::int64_t rowid, Record before);
    void recordArrival(Pending& p, std::int64_t rowid, Record after);

    sqlite3* db_;
    bool on_ = false;
    std::unordered_map<std::string, Pending> tables_;
    std::unordered_map<std::string, bool> skipped_;  // by table name: never journaled
    struct Last {
        std::string table;
        Pending* pending = nullptr;
    } last_;
};

// One table's changes as an entry stores them: the table's column names when the action ran
// (tab-separated), how many rows changed and their blob.
struct StoredPart {
    std::string table;
    std::string columns;
    std::int64_t rows = 0;
    std::string data;
};
std::string encodeEntry(const std::vector<StoredPart>& parts);
std::vector<StoredPart> decodeEntry(std::string_view blob);

// Whether a stored table has the column: tells a journal written by an older release.
bool hasColumn(Database& db, const char* table, const char* column);

// The journal rows of one database, written inside the running action. What a small action must
// not pay for again (the journal's tables being there, each table's column names) is kept while
// the database's schema stays as it was, whoever changes it. An entry is one row: a small action
// dirties one page of the journal and nothing else.
class JournalWriter {
public:
    explicit JournalWriter(Database& db) : db_(db) {}

    // First in every action that journals: makes or brings up to date the tables and reads the
    // newest serial, the reservation and the size, unless nothing but this writer changed them since.
    void begin();
    void forget();  // the running transaction is rolled back: what was read or written here is gone
    std::int64_t lastSerial() const { return last_; }  // the newest entry's serial (0 when none)
    // The serials reserved up to: in the program directory, the highest ever handed out; in an
    // account, the end of the block it took last (see Engine::writeJournal).
    std::int64_t reserved() const { return reserved_; }
    void reserve(std::int64_t upTo);
    // The bytes the journal holds, from the running total each entry carries (never by a scan).
    std::int64_t heldBytes() const { return newestTotal_ - oldestBase_; }
    void writeEntry(std::int64_t serial, const JournalLabel& label, bool barrier, int parts,
                    const std::vector<TableChanges>& changes);
    // Drops the oldest entries until the journal holds at most `bytes` (always keeping the newest).
    void prune(std::int64_t bytes);

private:
    void ensureTables();
    const std::string& columnNames(const std::string& table);

    Database& db_;
    std::int64_t schema_ = -1;  // the schema version the cached facts belong to
    std::uint64_t seen_ = 0;    // Database::changesElsewhere() when the totals were read
    bool known_ = false;        // the totals below hold
    std::unordered_map<std::string, std::string> columns_;
    std::int64_t last_ = 0;
    std::int64_t reserved_ = 0;
    std::int64_t newestTotal_ = 0;  // bytes of every entry ever written, up to the newest
    std::int64_t oldestBase_ = 0;   // the same, up to before the oldest kept
};

}  // namespace varneth::storage
