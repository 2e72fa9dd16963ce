#include "storage/query.h"

#include <sqlite3.h>

#include <cctype>
#include <memory>

#include "storage/database.h"
#include "storage/error.h"
#include "storage/names.h"

namespace varneth::storage {

namespace {

bool identChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80);
}

// Calls `onParam(name)` for each ":name" or ':"name"' outside quoted texts and returns the text
// with the quotes around parameter names dropped.
template <class F>
std::string scanParameters(std::string_view sql, F onParam) {
    std::string out;
    out.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size();) {
        char c = sql[i];
        if (c == '\'') {
            std::size_t e = sql.find('\'', i + 1);
            while (e != std::string_view::npos && e + 1 < sql.size() && sql[e + 1] == '\'')
                e = sql.find('\'', e + 2);
            e = e == std::string_view::npos ? sql.size() : e + 1;
            out.append(sql.substr(i, e - i));
            i = e;
        } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == '"') {
            std::size_t e = sql.find('"', i + 2);
            if (e == std::string_view::npos) throw Error("SQL 参数名的引号不成对");
            std::string name(sql.substr(i + 2, e - i - 2));
            onParam(name);
            out += ':' + name;
            i = e + 1;
        } else if (c == ':' && i + 1 < sql.size() && identChar(sql[i + 1])) {
            std::size_t e = i + 1;
            while (e < sql.size() && identChar(sql[e])) ++e;
            onParam(std::string(sql.substr(i + 1, e - i - 1)));
            out.append(sql.substr(i, e - i));
            i = e;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace

Query::Query(Database& db) : db_(db) {}

void Query::setText(std::string_view sql) {
    lines_.clear();
    std::size_t b = 0;
    while (b <= sql.size()) {
        auto e = sql.find('\n', b);
        if (e == std::string_view::npos) e = sql.size();
        lines_.emplace_back(sql.substr(b, e - b));
        b = e + 1;
    }
}

std::string Query::text() const {
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) out += (i ? "\n" : "") + lines_[i];
    return out;
}

std::string Query::rewrite(std::string_view sql) {
    return scanParameters(sql, [](const std::string&) {});
}

void Query::setParam(std::string_view name, const Value& v) {
    params_[lowerName(name)] = v;
}

void Query::bindFrom(const Cursor& source) {
    scanParameters(text(), [&](const std::string& name) {
        if (source.def().fieldIndex(name) >= 0) setParam(name, source.value(name));
    });
}

namespace {

// Reads of a secret column come back NULL, however the query names it.
int hideSecrets(void*, int action, const char* table, const char* column, const char*, const char*) {
    if (action == SQLITE_READ && table && column && isSecret(table, column)) return SQLITE_IGNORE;
    return SQLITE_OK;
}

}  // namespace

Cursor& Query::open() {
    sqlite3_set_authorizer(db_.handle(), hideSecrets, nullptr);
    std::unique_ptr<Statement> prepared;
    try {
        prepared = std::make_unique<Statement>(db_, rewrite(text()));
    } catch (...) {
        sqlite3_set_authorizer(db_.handle(), nullptr, nullptr);
        throw;
    }
    sqlite3_set_authorizer(db_.handle(), nullptr, nullptr);
    Statement& st = *prepared;
    if (!sqlite3_stmt_readonly(st.handle())) throw Error("只能执行查询语句");
    for (int i = 1; i <= st.parameterCount(); ++i) {
        std::string name = st.parameterName(i);
        if (!name.empty()) name.erase(0, 1);
        auto it = params_.find(lowerName(name));
        st.bind(i, it == params_.end() ? Value() : it->second);
    }
    TableDef def;
    def.name = "query";
    const int n = st.columnCount();
    for (int i = 0; i < n; ++i) def.fields.push_back(FieldDef{st.columnName(i), FieldType::Number, 0});
    std::vector<bool> seen(static_cast<std::size_t>(n), false);
    std::vector<Record> rows;
    while (st.step()) {
        Record r;
        r.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            r.push_back(st.column(i));
            auto& f = def.fields[static_cast<std::size_t>(i)];
            if (!seen[static_cast<std::size_t>(i)] && !r.back().isNull()) {
                // A column's type is that of its first value; later values keep their own.
                f.type = r.back().isText()      ? FieldType::Text
                         : r.back().isInteger() ? FieldType::Integer
                                                : FieldType::Number;
                seen[static_cast<std::size_t>(i)] = true;
            }
        }
        rows.push_back(std::move(r));
    }
    auto table = std::make_shared<Table>(std::move(def), std::move(rows));
    if (result_)
        result_->rebind(std::move(table));
    else
        result_ = std::make_unique<Cursor>(std::move(table));
    open_ = true;
    return *result_;
}

Cursor& Query::result() {
    if (!result_)
        result_ = std::make_unique<Cursor>(std::make_shared<Table>(TableDef{}, std::vector<Record>{}));
    return *result_;
}

void Query::close() {
    if (result_) result_->rebind(std::make_shared<Table>(TableDef{}, std::vector<Record>{}));
    open_ = false;
}

}  // namespace varneth::storage
