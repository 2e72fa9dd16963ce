#include "storage/database.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "storage/engine.h"
#include "storage/error.h"
#include "storage/names.h"
#include "storage/table.h"

namespace varneth::storage {

namespace {

const char* sqlType(FieldType t) {
    switch (t) {
        case FieldType::Number:
            return "REAL";
        case FieldType::Integer:
        case FieldType::Logical:
            return "INTEGER";
        case FieldType::Text:
        case FieldType::Date:
            return "TEXT";
    }
    return "TEXT";
}

// What went wrong with the file, in the user's words.
std::string reason(int code) {
    switch (code & 0xff) {
        case SQLITE_FULL:
            return "磁盘已满";
        case SQLITE_READONLY:
            return "文件或目录只读";
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return "没有访问权限";
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return "文件已损坏或不是数据文件";
        case SQLITE_CANTOPEN:
            return "文件不存在或没有访问权限";
        case SQLITE_NOMEM:
            return "内存不足";
        case SQLITE_IOERR:
            return "读写错误";
        default:
            return "数据库错误";
    }
}

// Failures of the file rather than of the statement: the action cannot go on sensibly.
bool fileFailure(int code) {
    switch (code & 0xff) {
        case SQLITE_FULL:
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_CANTOPEN:
        case SQLITE_NOMEM:
        case SQLITE_IOERR:
            return true;
        default:
            return false;
    }
}

bool writable(const std::filesystem::path& file) {
    const auto dir = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::error_code ec;
    if (std::filesystem::exists(file, ec) && ::access(file.c_str(), W_OK) != 0) return false;
    return ::access(dir.c_str(), W_OK) == 0;
}

// A file name as an SQLite URI path (RFC 3986: only '%', '?' and '#' need escaping here).
std::string uriPath(const std::string& path) {
    std::string out = "file:";
    for (char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            static const char* hex = "0123456789ABCDEF";
            out += '%';
            out += hex[(static_cast<unsigned char>(c) >> 4) & 0xf];
            out += hex[static_cast<unsigned char>(c) & 0xf];
        } else {
            out += c;
        }
    }
    return out;
}

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Statement::Statement(Database& db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK)
        db.fail("SQL 错误");
    if (!stmt_) throw Error("SQL 为空");
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::bind(int index, const Value& v) {
    int rc;
    if (v.isNull())
        rc = sqlite3_bind_null(stmt_, index);
    else if (v.isInteger())
        rc = sqlite3_bind_int64(stmt_, index, v.toInt());
    else if (v.isReal())
        rc = sqlite3_bind_double(stmt_, index, v.toDouble());
    else
        rc = sqlite3_bind_text(stmt_, index, v.text().data(), static_cast<int>(v.text().size()),
                               SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) db_.fail("参数错误");
}

int Statement::parameterIndex(std::string_view name) const {
    return sqlite3_bind_parameter_index(stmt_, std::string(name).c_str());
}

int Statement::parameterCount() const {
    return sqlite3_bind_parameter_count(stmt_);
}

std::string Statement::parameterName(int index) const {
    const char* n = sqlite3_bind_parameter_name(stmt_, index);
    return n ? n : "";
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    db_.fail("数据库操作失败");
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

std::string Statement::columnName(int i) const {
    const char* n = sqlite3_column_name(stmt_, i);
    return n ? n : "";
}

Value Statement::column(int i) const {
    switch (sqlite3_column_type(stmt_, i)) {
        case SQLITE_INTEGER:
            return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt_, i)));
        case SQLITE_FLOAT:
            return Value(sqlite3_column_double(stmt_, i));
        case SQLITE_NULL:
            return Value();
        default: {
            auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
            return Value(std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i))));
        }
    }
}

Database::Database(const std::filesystem::path& path, Engine* engine) : path_(path), engine_(engine) {
    const bool memory = path == ":memory:";
    readOnly_ = !memory && !writable(path);
    const std::string cannotOpen = "数据文件" + path.string() + "不能打开：";
    std::error_code ec;
    if (readOnly_ && !std::filesystem::exists(path, ec))
        throw CannotOpen(cannotOpen + reason(SQLITE_READONLY));
    int flags = readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    std::string name = path.string();
    // A read-only directory cannot hold the shared-memory file a WAL reader needs; without one
    // left behind by a writer, nobody can be writing, so the file is read as it stands.
    if (readOnly_ && !std::filesystem::exists(name + "-shm", ec)) {
        name = uriPath(name) + "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    if (sqlite3_open_v2(name.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const int code = db_ ? sqlite3_extended_errcode(db_) : SQLITE_NOMEM;
        sqlite3_close(db_);
        throw CannotOpen(cannotOpen + reason(code));
    }
    sqlite3_busy_handler(db_, &Database::onBusy, this);
    // The first statement reads the file's header: a damaged file is told here, not mid-action.
    const char* setup = readOnly_ ? "SELECT count(*) FROM sqlite_master"
                                  : "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; "
                                    "PRAGMA journal_size_limit=4194304; SELECT count(*) FROM sqlite_master";
    if (sqlite3_exec(db_, setup, nullptr, nullptr, nullptr) != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(db_);
        sqlite3_close(db_);
        if ((code & 0xff) == SQLITE_BUSY) throw Busy();
        throw CannotOpen(cannotOpen + reason(code));
    }
    dataVersion_ = dataVersion();
    if (!readOnly_ && engine_) {
        capture_ = std::make_unique<ChangeCapture>(db_);
        journal_ = std::make_unique<JournalWriter>(*this);
    }
}

Database::~Database() {
    if (inTransaction_) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    capture_.reset();
    journal_.reset();
    statements_.clear();
    sqlite3_close(db_);
}

int Database::onBusy(void* self, int attempts) {
    auto* db = static_cast<Database*>(self);
    const std::int64_t now = nowMs();
    if (attempts == 0) {
        db->busySince_ = now;
        if (db->engine_ && db->waitNotified_ == false && db->beginning_) {
            db->waitNotified_ = true;
            db->engine_->notifyWaiting(true);
        }
    }
    const std::int64_t limit = db->engine_ ? db->engine_->busyTimeout().count() : 30000;
    if (now - db->busySince_ >= limit) return 0;
    sqlite3_sleep(attempts < 20 ? 5 : 25);
    return 1;
}

std::int64_t Database::dataVersion() {
    Statement& st = cached("PRAGMA data_version");
    st.reset();
    std::int64_t v = st.step() ? st.column(0).toInt() : 0;
    st.reset();
    return v;
}

void Database::fail(std::string_view what) {
    const int code = sqlite3_extended_errcode(db_);
    if (code == SQLITE_CONSTRAINT_PRIMARYKEY || code == SQLITE_CONSTRAINT_UNIQUE)
        throw KeyViolation("键值重复（" + std::string(what) + "）");
    if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED) {
        if (engine_) engine_->abandonAction();
        throw Busy();
    }
    if (fileFailure(code)) {
        if (engine_) engine_->abandonAction();
        fileFailed_ = true;
        throw Error("数据文件" + path_.string() + "不能读写：" + reason(code) +
                    "。本次操作没有写入任何数据。");
    }
    throw Error(std::string(what) + "：" + sqlite3_errmsg(db_));
}

const TableDef* Database::definition(std::string_view table) const {
    for (const auto& d : localDefs_)
        if (sameName(d.name, table)) return &d;
    return findTable(table);
}

void Database::registerDefinition(TableDef def) {
    for (auto& d : localDefs_) {
        if (sameName(d.name, def.name)) {
            d = std::move(def);
            return;
        }
    }
    localDefs_.push_back(std::move(def));
}

bool Database::hasTable(std::string_view table) const {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE", -1,
                       &st, nullptr);
    sqlite3_bind_text(st, 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
    bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return found;
}

std::vector<std::string> Database::tableNames() const {
    std::vector<std::string> names;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        if (!isJournalTable(name)) names.push_back(std::move(name));
    }
    sqlite3_finalize(st);
    std::sort(names.begin(), names.end());
    return names;
}

void Database::createTable(const TableDef& def) {
    if (hasTable(def.name)) return;
    std::string sql = "CREATE TABLE " + quoteIdent(def.name) + " (";
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        const auto& f = def.fields[i];
        if (i) sql += ", ";
        sql += quoteIdent(f.name) + " " + sqlType(f.type);
        // Text is never NULL: empty text is ''.
        if (f.type == FieldType::Text) sql += " NOT NULL DEFAULT ''";
    }
    sql += ");";
    if (!def.primaryKey.empty()) {
        // The key is unique: a second row with the same key is a key violation.
        sql += "CREATE UNIQUE INDEX " + quoteIdent(def.name + "$key") + " ON " + quoteIdent(def.name) + " (";
        for (std::size_t i = 0; i < def.primaryKey.size(); ++i)
            sql += (i ? ", " : "") + quoteIdent(def.primaryKey[i]);
        sql += ");";
    }
    execute(sql);
}

void Database::createTables(Alias alias) {
    for (const auto& def : allTables())
        if (def.alias == alias) createTable(def);
}

std::shared_ptr<Table> Database::table(std::string_view name) {
    auto key = lowerName(name);
    if (auto it = tables_.find(key); it != tables_.end())
        if (auto t = it->second.lock()) return t;
    const TableDef* def = definition(name);
    if (!def) throw Error("找不到表 " + std::string(name));
    if (!hasTable(def->name)) throw Error("找不到表 " + def->name + "（" + path_.string() + "）");
    auto t = std::make_shared<Table>(this, *def);
    tables_[key] = t;
    return t;
}

void Database::execute(std::string_view sql) {
    beforeWrite();
    if (sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail("SQL 错误");
    if (journal_) journal_->forget();  // the SQL may have touched the journal itself
    reloadAll();
}

Statement& Database::cached(const std::string& sql) {
    auto& slot = statements_[sql];
    if (!slot) slot = std::make_unique<Statement>(*this, sql);
    return *slot;
}

void Database::beginAction(bool write) {
    if (inTransaction_) return;
    beginning_ = true;
    waitNotified_ = false;
    const int rc =
        sqlite3_exec(db_, write && !readOnly_ ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr);
    beginning_ = false;
    if (waitNotified_ && engine_) engine_->notifyWaiting(false);
    waitNotified_ = false;
    if (rc != SQLITE_OK) fail("无法开始事务");
    inTransaction_ = true;
    if (capture_ && write && engine_->journalling()) capture_->start();
    try {
        refreshIfChangedElsewhere();
    } catch (...) {
        rollback();
        throw;
    }
}

void Database::refreshIfChangedElsewhere() {
    // A deferred transaction takes its snapshot at the first read.
    Statement& first = cached("SELECT count(*) FROM sqlite_master");
    first.reset();
    first.step();
    first.reset();
    const std::int64_t version = dataVersion();
    if (version == dataVersion_) return;
    dataVersion_ = version;
    ++changesElsewhere_;
    reloadAll();
}

void Database::beforeWrite() {
    if (inTransaction_ || !engine_ || engine_->actionDepth() == 0) return;
    beginAction(true);
}

void Database::commit() {
    if (!inTransaction_) return;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
        inTransaction_ = false;
        if (capture_) capture_->stop();
        return;
    }
    const int code = sqlite3_extended_errcode(db_);
    fileFailed_ = fileFailed_ || fileFailure(code);
    rollback();
    throw Error("数据文件" + path_.string() + "不能写入：" + reason(code) + "。本次操作没有写入任何数据。");
}

void Database::rollback() {
    if (!inTransaction_) return;
    inTransaction_ = false;
    if (capture_) capture_->stop();
    if (journal_) journal_->forget();
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    reloadAll();
    releaseAfterFailure();
}

void Database::releaseAfterFailure() {
    if (!fileFailed_) return;
    fileFailed_ = false;
    // A full disk may have grown the write-ahead log; giving its space back lets the next action run.
    sqlite3_exec(db_, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
}

void Database::reloadAll() {
    for (auto& [name, weak] : tables_)
        if (auto t = weak.lock()) t->reload();
}

}  // namespace varneth::storage
