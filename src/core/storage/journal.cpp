#define SQLITE_ENABLE_PREUPDATE_HOOK
#include "storage/journal.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

#include "storage/database.h"
#include "storage/error.h"
#include "storage/names.h"

namespace varneth::storage {

namespace {

constexpr const char* kDamaged = "操作历史已损坏，不能读取。";

void putVarint(std::string& out, std::uint64_t v) {
    while (v >= 0x80) {
        out += static_cast<char>((v & 0x7f) | 0x80);
        v >>= 7;
    }
    out += static_cast<char>(v);
}

void putSigned(std::string& out, std::int64_t v) {
    putVarint(out, (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63));
}

void putValue(std::string& out, const Value& v) {
    if (v.isNull()) {
        out += '\0';
    } else if (v.isInteger()) {
        out += '\1';
        putSigned(out, v.toInt());
    } else if (v.isReal()) {
        out += '\2';
        const double d = v.toDouble();
        char bytes[sizeof d];
        std::memcpy(bytes, &d, sizeof d);
        out.append(bytes, sizeof d);
    } else {
        out += '\3';
        putVarint(out, v.text().size());
        out += v.text();
    }
}

void putRecord(std::string& out, const Record& r) {
    for (const auto& v : r) putValue(out, v);
}

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    bool done() const { return pos_ == in_.size(); }
    char byte() {
        if (pos_ >= in_.size()) throw Error(kDamaged);
        return in_[pos_++];
    }
    std::uint64_t varint() {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const auto b = static_cast<unsigned char>(byte());
            v |= static_cast<std::uint64_t>(b & 0x7f) << shift;
            if (!(b & 0x80)) return v;
        }
        throw Error(kDamaged);
    }
    std::int64_t signedVarint() {
        const std::uint64_t z = varint();
        return static_cast<std::int64_t>((z >> 1) ^ (~(z & 1) + 1));
    }
    Value value() {
        switch (byte()) {
            case '\0':
                return Value();
            case '\1':
                return Value(signedVarint());
            case '\2': {
                double d;
                std::memcpy(&d, take(sizeof d).data(), sizeof d);
                return Value(d);
            }
            case '\3':
                return Value(text());
            default:
                throw Error(kDamaged);
        }
    }
    std::string text() { return std::string(take(varint())); }
    Record record(std::size_t n) {
        Record r;
        r.reserve(n);
        for (std::size_t i = 0; i < n; ++i) r.push_back(value());
        return r;
    }

private:
    std::string_view take(std::uint64_t n) {
        if (n > in_.size() - pos_) throw Error(kDamaged);
        auto s = in_.substr(pos_, n);
        pos_ += n;
        return s;
    }
    std::string_view in_;
    std::size_t pos_ = 0;
};

Value fromSqlite(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            return Value(static_cast<std::int64_t>(sqlite3_value_int64(v)));
        case SQLITE_FLOAT:
            return Value(sqlite3_value_double(v));
        case SQLITE_NULL:
            return Value();
        default: {
            auto p = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return Value(std::string(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v))));
        }
    }
}

Record image(sqlite3* db, bool after) {
    const int n = sqlite3_preupdate_count(db);
    Record r;
    r.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        sqlite3_value* v = nullptr;
        if ((after ? sqlite3_preupdate_new(db, i, &v) : sqlite3_preupdate_old(db, i, &v)) != SQLITE_OK)
            v = nullptr;
        r.push_back(v ? fromSqlite(v) : Value());
    }
    return r;
}

// A change cancelled within the action (a row inserted and deleted again).
bool gone(const RowChange& c) {
    return c.before.empty() && c.after.empty();
}

bool sameRecord(const Record& a, const Record& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].compare(b[i]) != 0) return false;
    return true;
}

}  // namespace

bool isJournalTable(std::string_view name) {
    return sameName(name, kJournalTable) || sameName(name, kChangesTable) || sameName(name, kSerialTable);
}

std::string encodeChanges(const std::vector<RowChange>& rows) {
    std::string out;
    for (const auto& c : rows) {
        out += static_cast<char>(c.kind);
        putSigned(out, c.rowid);
        if (c.kind == RowChange::Kind::Delete) {
            putRecord(out, c.before);
            continue;
        }
        putRecord(out, c.after);
        if (c.kind == RowChange::Kind::Insert) continue;
        // Counted first and written second: no list of them is allocated for every row.
        const auto changed = [&c](std::size_t i) {
            return c.before[i].compare(c.after[i]) != 0 || c.before[i].isReal() != c.after[i].isReal();
        };
        std::size_t n = 0;
        for (std::size_t i = 0; i < c.after.size(); ++i) n += changed(i);
        putVarint(out, n);
        for (std::size_t i = 0; i < c.after.size(); ++i) {
            if (!changed(i)) continue;
            putVarint(out, i);
            putValue(out, c.before[i]);
        }
    }
    return out;
}

std::vector<RowChange> decodeChanges(std::string_view blob, std::size_t columns) {
    std::vector<RowChange> rows;
    Reader in(blob);
    while (!in.done()) {
        RowChange c;
        c.kind = static_cast<RowChange::Kind>(in.byte());
        c.rowid = in.signedVarint();
        switch (c.kind) {
            case RowChange::Kind::Delete:
                c.before = in.record(columns);
                break;
            case RowChange::Kind::Insert:
                c.after = in.record(columns);
                break;
            case RowChange::Kind::Update: {
                c.after = in.record(columns);
                c.before = c.after;
                for (auto n = in.varint(); n > 0; --n) {
                    const auto i = in.varint();
                    if (i >= columns) throw Error(kDamaged);
                    c.before[i] = in.value();
                }
                break;
            }
            default:
                throw Error(kDamaged);
        }
        rows.push_back(std::move(c));
    }
    return rows;
}

std::string encodeEntry(const std::vector<StoredPart>& parts) {
    std::string out;
    for (const auto& p : parts) {
        for (const std::string* text : {&p.table, &p.columns}) {
            putVarint(out, text->size());
            out += *text;
        }
        putVarint(out, static_cast<std::uint64_t>(p.rows));
        putVarint(out, p.data.size());
        out += p.data;
    }
    return out;
}

std::vector<StoredPart> decodeEntry(std::string_view blob) {
    std::vector<StoredPart> parts;
    Reader in(blob);
    while (!in.done()) {
        StoredPart p;
        p.table = in.text();
        p.columns = in.text();
        p.rows = static_cast<std::int64_t>(in.varint());
        p.data = in.text();
        parts.push_back(std::move(p));
    }
    return parts;
}

ChangeCapture::ChangeCapture(sqlite3* db) : db_(db) {
    sqlite3_preupdate_hook(db_, &ChangeCapture::hook, this);
}

ChangeCapture::~ChangeCapture() {
    sqlite3_preupdate_hook(db_, nullptr, nullptr);
}

void ChangeCapture::start() {
    tables_.clear();
    last_ = {};
    on_ = true;
}

void ChangeCapture::stop() {
    tables_.clear();
    last_ = {};
    on_ = false;
}

std::vector<TableChanges> ChangeCapture::take() {
    std::vector<TableChanges> out;
    for (auto& [name, pending] : tables_) {
        TableChanges t{name, {}};
        for (auto& c : pending.rows) {
            // A field rewritten with its own value (1 for 1.0 in a REAL field) changed nothing.
            const bool unchanged = c.kind == RowChange::Kind::Update && sameRecord(c.before, c.after);
            if (!gone(c) && !unchanged) t.rows.push_back(std::move(c));
        }
        if (!t.rows.empty()) out.push_back(std::move(t));
    }
    tables_.clear();
    last_ = {};
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.table < b.table; });
    return out;
}

void ChangeCapture::hook(void* self, sqlite3* db, int op, const char* schema, const char* table,
                         long long oldKey, long long newKey) {
    auto* capture = static_cast<ChangeCapture*>(self);
    if (!capture->on_ || std::strcmp(schema, "main") != 0) return;
    capture->record(db, op, table, oldKey, newKey);
}

ChangeCapture::Pending* ChangeCapture::pendingOf(const char* table) {
    // Rows come table after table: the last table's entry is kept at hand.
    if (last_.table == table) return last_.pending;
    auto skip = skipped_.find(table);
    if (skip == skipped_.end()) {
        const std::string_view name(table);
        // Account names and password hashes stay out of the journal: undo never touches them.
        const bool never = isJournalTable(name) || sameName(name, "z.db") || name.substr(0, 7) == "sqlite_";
        skip = skipped_.emplace(table, never).first;
    }
    last_ = {table, skip->second ? nullptr : &tables_[table]};
    return last_.pending;
}

void ChangeCapture::record(sqlite3* db, int op, const char* table, std::int64_t oldKey, std::int64_t newKey) {
    Pending* pending = pendingOf(table);
    if (!pending) return;
    Pending& p = *pending;
    if (op == SQLITE_INSERT) {
        recordArrival(p, newKey, image(db, true));
    } else if (op == SQLITE_DELETE) {
        recordRemoval(p, oldKey, image(db, false));
    } else if (oldKey != newKey) {
        recordRemoval(p, oldKey, image(db, false));
        recordArrival(p, newKey, image(db, true));
    } else {
        Record after = image(db, true);
        auto it = p.byRowid.find(oldKey);
        if (it != p.byRowid.end() && !gone(p.rows[it->second])) {
            p.rows[it->second].after = std::move(after);
            return;
        }
        // Each image is read once: comparing field by field first would read both twice for the
        // rows that did change, which are nearly all.
        Record before = image(db, false);
        if (sameRecord(before, after)) return;
        p.byRowid[oldKey] = p.rows.size();
        p.rows.push_back({RowChange::Kind::Update, oldKey, std::move(before), std::move(after)});
    }
}

void ChangeCapture::recordRemoval(Pending& p, std::int64_t rowid, Record before) {
    auto it = p.byRowid.find(rowid);
    if (it == p.byRowid.end() || gone(p.rows[it->second])) {
        p.byRowid[rowid] = p.rows.size();
        p.rows.push_back({RowChange::Kind::Delete, rowid, std::move(before), {}});
        return;
    }
    RowChange& c = p.rows[it->second];
    if (c.kind == RowChange::Kind::Insert) {
        c.after.clear();
    } else {
        c.kind = RowChange::Kind::Delete;
        c.after.clear();
    }
}

void ChangeCapture::recordArrival(Pending& p, std::int64_t rowid, Record after) {
    auto it = p.byRowid.find(rowid);
    if (it == p.byRowid.end() || gone(p.rows[it->second])) {
        p.byRowid[rowid] = p.rows.size();
        p.rows.push_back({RowChange::Kind::Insert, rowid, {}, std::move(after)});
        return;
    }
    // The rowid of a row deleted earlier in the action taken again: the row was changed.
    RowChange& c = p.rows[it->second];
    c.kind = RowChange::Kind::Update;
    if (sameRecord(c.before, after))
        c.before.clear();
    else
        c.after = std::move(after);
}

namespace {

void run(Statement& st) {
    st.step();
    st.reset();
}

std::int64_t number(Database& db, const char* sql) {
    Statement& st = db.cached(sql);
    st.reset();
    const std::int64_t n = st.step() ? st.column(0).toInt() : 0;
    st.reset();
    return n;
}

}  // namespace

void JournalWriter::begin() {
    // One cheap read tells whether anything cached still holds: every CREATE or ALTER, also another
    // program's and a restore's, moves the schema version.
    if (number(db_, "PRAGMA schema_version") != schema_) {
        columns_.clear();
        ensureTables();
        schema_ = number(db_, "PRAGMA schema_version");
        known_ = false;
    }
    if (known_ && seen_ == db_.changesElsewhere()) return;
    Statement& st = db_.cached(
        "SELECT (SELECT last FROM varneth_serial), "
        "coalesce((SELECT serial FROM varneth_journal ORDER BY serial DESC LIMIT 1), 0), "
        "coalesce((SELECT upto FROM varneth_journal ORDER BY serial DESC LIMIT 1), 0), "
        "coalesce((SELECT upto - bytes FROM varneth_journal ORDER BY serial LIMIT 1), 0)");
    st.reset();
    if (!st.step() || st.column(0).isNull()) throw Error(kDamaged);
    reserved_ = st.column(0).toInt();
    last_ = st.column(1).toInt();
    newestTotal_ = st.column(2).toInt();
    oldestBase_ = st.column(3).toInt();
    st.reset();
    seen_ = db_.changesElsewhere();
    known_ = true;
}

void JournalWriter::forget() {
    known_ = false;
}

bool hasColumn(Database& db, const char* table, const char* column) {
    Statement& st = db.cached("SELECT count(*) FROM pragma_table_info(?) WHERE name = ?");
    st.reset();
    st.bind(1, Value(table));
    st.bind(2, Value(column));
    const bool found = st.step() && st.column(0).toInt() > 0;
    st.reset();
    return found;
}

void JournalWriter::ensureTables() {
    for (const char* sql :
         {"CREATE TABLE IF NOT EXISTS varneth_journal (serial INTEGER PRIMARY KEY, time TEXT NOT NULL, "
          "account TEXT NOT NULL, action TEXT NOT NULL, barrier INTEGER NOT NULL, parts INTEGER NOT NULL, "
          "bytes INTEGER NOT NULL, upto INTEGER NOT NULL DEFAULT 0, tables TEXT NOT NULL DEFAULT '', data "
          "BLOB)",
          // Where journals written before an entry became one row keep their changes.
          "CREATE TABLE IF NOT EXISTS varneth_changes (serial INTEGER NOT NULL, tbl TEXT NOT NULL, "
          "columns TEXT NOT NULL, rows INTEGER NOT NULL, data BLOB NOT NULL)",
          "CREATE INDEX IF NOT EXISTS varneth_changes_serial ON varneth_changes (serial)",
          "CREATE TABLE IF NOT EXISTS varneth_serial (last INTEGER NOT NULL)"})
        run(db_.cached(sql));
    if (!hasColumn(db_, kJournalTable, "upto")) {
        // Older journals: the running total is counted once, in serial order.
        for (const char* sql :
             {"ALTER TABLE varneth_journal ADD COLUMN upto INTEGER NOT NULL DEFAULT 0",
              "ALTER TABLE varneth_journal ADD COLUMN tables TEXT NOT NULL DEFAULT ''",
              "ALTER TABLE varneth_journal ADD COLUMN data BLOB",
              "UPDATE varneth_journal SET upto = r.total FROM (SELECT serial, sum(bytes) OVER (ORDER BY "
              "serial) AS total FROM varneth_journal) AS r WHERE r.serial = varneth_journal.serial",
              "UPDATE varneth_journal SET tables = coalesce((SELECT group_concat(tbl || char(9) || rows, "
              "char(10)) FROM varneth_changes c WHERE c.serial = varneth_journal.serial), '')"})
            run(db_.cached(sql));
    }
    if (hasColumn(db_, kSerialTable, "bytes"))
        run(db_.cached("ALTER TABLE varneth_serial DROP COLUMN bytes"));
    if (number(db_, "SELECT count(*) FROM varneth_serial") == 0)
        run(db_.cached(
            "INSERT INTO varneth_serial (last) SELECT coalesce(max(serial), 0) FROM varneth_journal"));
}

const std::string& JournalWriter::columnNames(const std::string& table) {
    auto it = columns_.find(table);
    if (it != columns_.end()) return it->second;
    Statement& st = db_.cached("SELECT name FROM pragma_table_info(?) ORDER BY cid");
    st.reset();
    st.bind(1, Value(table));
    std::string names;
    for (bool first = true; st.step(); first = false) names += (first ? "" : "\t") + st.column(0).toString();
    st.reset();
    return columns_.emplace(table, std::move(names)).first->second;
}

void JournalWriter::reserve(std::int64_t upTo) {
    Statement& st = db_.cached("UPDATE varneth_serial SET last = ?");
    st.reset();
    st.bind(1, Value(upTo));
    run(st);
    reserved_ = upTo;
}

void JournalWriter::writeEntry(std::int64_t serial, const JournalLabel& label, bool barrier, int parts,
                               const std::vector<TableChanges>& changes) {
    std::vector<StoredPart> stored;
    std::string tables;
    for (const auto& t : changes) {
        const auto rows = static_cast<std::int64_t>(t.rows.size());
        stored.push_back({t.table, columnNames(t.table), rows, encodeChanges(t.rows)});
        tables += (tables.empty() ? "" : "\n") + t.table + "\t" + std::to_string(rows);
    }
    const std::string data = encodeEntry(stored);
    const auto bytes = static_cast<std::int64_t>(label.time.size() + label.account.size() +
                                                 label.action.size() + data.size());
    Statement& entry = db_.cached(
        "INSERT INTO varneth_journal (serial, time, account, action, barrier, parts, bytes, upto, tables, "
        "data) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    entry.reset();
    entry.bind(1, Value(serial));
    entry.bind(2, Value(label.time));
    entry.bind(3, Value(label.account));
    entry.bind(4, Value(label.action));
    entry.bind(5, Value(barrier));
    entry.bind(6, Value(parts));
    entry.bind(7, Value(bytes));
    entry.bind(8, Value(newestTotal_ + bytes));
    entry.bind(9, Value(tables));
    if (sqlite3_bind_blob64(entry.handle(), 10, data.data(), data.size(), SQLITE_TRANSIENT) != SQLITE_OK)
        db_.fail("操作历史");
    run(entry);
    newestTotal_ += bytes;
    last_ = serial;
}

void JournalWriter::prune(std::int64_t bytes) {
    if (heldBytes() <= bytes) return;
    // Read from the oldest only as far as needs dropping.
    Statement& oldest =
        db_.cached("SELECT serial, upto FROM varneth_journal WHERE serial < ? ORDER BY serial");
    oldest.reset();
    oldest.bind(1, Value(last_));
    std::int64_t upTo = 0, base = oldestBase_;
    while (newestTotal_ - base > bytes && oldest.step()) {
        upTo = oldest.column(0).toInt();
        base = oldest.column(1).toInt();
    }
    oldest.reset();
    if (upTo == 0) return;
    for (const char* sql :
         {"DELETE FROM varneth_changes WHERE serial <= ?", "DELETE FROM varneth_journal WHERE serial <= ?"}) {
        Statement& drop = db_.cached(sql);
        drop.reset();
        drop.bind(1, Value(upTo));
        run(drop);
    }
    oldestBase_ = base;
}

}  // namespace varneth::storage
