#include "storage/database.h"

#include <sqlite3.h>

#include <algorithm>

#include "storage/engine.h"
#include "storage/error.h"
#include "storage/names.h"
#include "storage/table.h"

namespace varneth::storage {

namespace {

std::string quoteIdent(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

const char* sqlType(FieldType t) {
    switch (t) {
    case FieldType::Number: return "REAL";
    case FieldType::Integer:
    case FieldType::Logical: return "INTEGER";
    case FieldType::Text:
    case FieldType::Date: return "TEXT";
    }
    return "TEXT";
}

[[noreturn]] void fail(sqlite3* db, std::string_view what) {
    std::string msg = std::string(what) + "：" + sqlite3_errmsg(db);
    int code = sqlite3_extended_errcode(db);
    if (code == SQLITE_CONSTRAINT_PRIMARYKEY || code == SQLITE_CONSTRAINT_UNIQUE)
        throw KeyViolation("键值重复（" + std::string(what) + "）");
    throw Error(msg);
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
        fail(db, "SQL 错误");
    if (!stmt_) throw Error("SQL 为空");
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::bind(int index, const Value& v) {
    int rc;
    if (v.isNull())
        rc = sqlite3_bind_null(stmt_, index);
    else if (v.isInteger())
        rc = sqlite3_bind_int64(stmt_, index, v.toInt());
    else if (v.isReal())
        rc = sqlite3_bind_double(stmt_, index, v.toDouble());
    else
        rc = sqlite3_bind_text(stmt_, index, v.text().data(), static_cast<int>(v.text().size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) fail(db_, "参数错误");
}

int Statement::parameterIndex(std::string_view name) const {
    return sqlite3_bind_parameter_index(stmt_, std::string(name).c_str());
}

int Statement::parameterCount() const { return sqlite3_bind_parameter_count(stmt_); }

std::string Statement::parameterName(int index) const {
    const char* n = sqlite3_bind_parameter_name(stmt_, index);
    return n ? n : "";
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    fail(db_, "数据库操作失败");
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

std::string Statement::columnName(int i) const {
    const char* n = sqlite3_column_name(stmt_, i);
    return n ? n : "";
}

Value Statement::column(int i) const {
    switch (sqlite3_column_type(stmt_, i)) {
    case SQLITE_INTEGER: return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt_, i)));
    case SQLITE_FLOAT: return Value(sqlite3_column_double(stmt_, i));
    case SQLITE_NULL: return Value();
    default: {
        auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
        return Value(std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i))));
    }
    }
}

Database::Database(const std::filesystem::path& path, Engine* engine) : path_(path), engine_(engine) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw Error("无法打开数据库 " + path.string() + "：" + msg);
    }
    sqlite3_busy_timeout(db_, 5000);
    sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
}

Database::~Database() {
    if (inTransaction_) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    statements_.clear();
    sqlite3_close(db_);
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
    sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE", -1, &st,
                       nullptr);
    sqlite3_bind_text(st, 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
    bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return found;
}

std::vector<std::string> Database::tableNames() const {
    std::vector<std::string> names;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'", -1,
                       &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
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
        for (std::size_t i = 0; i < def.primaryKey.size(); ++i) sql += (i ? ", " : "") + quoteIdent(def.primaryKey[i]);
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
    char* err = nullptr;
    if (sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "";
        sqlite3_free(err);
        throw Error("SQL 错误：" + msg);
    }
    reloadAll();
}

Statement& Database::cached(const std::string& sql) {
    auto& slot = statements_[sql];
    if (!slot) slot = std::make_unique<Statement>(db_, sql);
    return *slot;
}

void Database::beforeWrite() {
    if (inTransaction_ || !engine_ || engine_->actionDepth() == 0) return;
    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_, "无法开始事务");
    inTransaction_ = true;
}

void Database::commit() {
    if (!inTransaction_) return;
    inTransaction_ = false;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_, "无法提交");
}

void Database::rollback() {
    if (!inTransaction_) return;
    inTransaction_ = false;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    reloadAll();
}

void Database::reloadAll() {
    for (auto& [name, weak] : tables_)
        if (auto t = weak.lock()) t->reload();
}

}  // namespace varneth::storage
