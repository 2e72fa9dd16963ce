#include "storage/table.h"

#include <sqlite3.h>

#include <algorithm>

#include "storage/database.h"
#include "storage/error.h"
#include "storage/names.h"
#include "text/dates.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::storage {

namespace {

[[noreturn]] void badValue(const FieldDef& f, const Value& v, const char* what) {
    throw Error("'" + v.toString() + "'不是有效的" + what + "（" + f.name + "）");
}

}  // namespace

Table::Table(Database* db, TableDef def) : db_(db), def_(std::move(def)) {
    load();
}

Table::Table(TableDef def, std::vector<Record> rows) : db_(nullptr), def_(std::move(def)) {
    for (auto& r : rows) {
        auto row = std::make_unique<Row>();
        row->rowid = nextLocalId_++;
        row->values = std::move(r);
        rows_.emplace(row->rowid, std::move(row));
    }
}

Table::~Table() = default;

std::string Table::columnList() const {
    std::string cols;
    for (std::size_t i = 0; i < def_.fields.size(); ++i)
        cols += (i ? ", " : "") + quoteIdent(def_.fields[i].name);
    return cols;
}

void Table::load() {
    rows_.clear();
    Statement st(*db_, "SELECT rowid, " + columnList() + " FROM " + quoteIdent(def_.name));
    const int n = static_cast<int>(def_.fields.size());
    while (st.step()) {
        auto row = std::make_unique<Row>();
        row->rowid = st.column(0).toInt();
        row->values.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) row->values.push_back(st.column(i + 1));
        rows_.emplace(row->rowid, std::move(row));
    }
}

std::vector<Row*> Table::rowsInNaturalOrder() {
    std::vector<Row*> out;
    out.reserve(rows_.size());
    for (auto& [id, r] : rows_) out.push_back(r.get());
    std::sort(out.begin(), out.end(), [](const Row* a, const Row* b) { return a->rowid < b->rowid; });
    return out;
}

Row* Table::find(std::int64_t rowid) {
    auto it = rows_.find(rowid);
    return it == rows_.end() ? nullptr : it->second.get();
}

Row* Table::insert(Record values) {
    if (readOnly()) throw Error("查询结果不能修改");
    std::int64_t id;
    {
        std::string sql = "INSERT INTO " + quoteIdent(def_.name) + " (" + columnList() + ") VALUES (";
        for (std::size_t i = 0; i < def_.fields.size(); ++i) sql += i ? ", ?" : "?";
        sql += ")";
        db_->beforeWrite();
        Statement& st = db_->cached(sql);
        st.reset();
        for (std::size_t i = 0; i < values.size(); ++i) st.bind(static_cast<int>(i) + 1, values[i]);
        st.step();
        st.reset();
        id = sqlite3_last_insert_rowid(db_->handle());
    }
    auto row = std::make_unique<Row>();
    row->rowid = id;
    row->values = std::move(values);
    Row* p = row.get();
    rows_.emplace(id, std::move(row));
    for (auto* l : std::vector<TableListener*>(listeners_)) l->rowInserted(p);
    return p;
}

void Table::update(Row* row, Record values) {
    if (readOnly()) throw Error("查询结果不能修改");
    std::vector<int> changed;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (row->values[i].compare(values[i]) != 0) changed.push_back(static_cast<int>(i));
    }
    if (changed.empty()) return;
    std::string sql = "UPDATE " + quoteIdent(def_.name) + " SET ";
    for (std::size_t k = 0; k < changed.size(); ++k)
        sql += (k ? ", " : "") + quoteIdent(def_.fields[static_cast<std::size_t>(changed[k])].name) + "=?";
    sql += " WHERE rowid=?";
    db_->beforeWrite();
    Statement& st = db_->cached(sql);
    st.reset();
    int p = 1;
    for (int i : changed) st.bind(p++, values[static_cast<std::size_t>(i)]);
    st.bind(p, Value(row->rowid));
    st.step();
    st.reset();
    row->values = std::move(values);
    for (auto* l : std::vector<TableListener*>(listeners_)) l->rowUpdated(row, changed);
}

void Table::remove(Row* row) {
    if (readOnly()) throw Error("查询结果不能修改");
    db_->beforeWrite();
    Statement& st = db_->cached("DELETE FROM " + quoteIdent(def_.name) + " WHERE rowid=?");
    st.reset();
    st.bind(1, Value(row->rowid));
    st.step();
    st.reset();
    for (auto* l : std::vector<TableListener*>(listeners_)) l->rowRemoving(row);
    rows_.erase(row->rowid);
}

void Table::reload() {
    if (readOnly()) return;
    // The old rows stay alive while listeners look up where they were.
    auto old = std::move(rows_);
    load();
    for (auto* l : std::vector<TableListener*>(listeners_)) l->tableReloaded();
}

void Table::addListener(TableListener* l) {
    listeners_.push_back(l);
}

void Table::removeListener(TableListener* l) {
    std::erase(listeners_, l);
}

Value Table::fit(const FieldDef& f, const Value& v) {
    switch (f.type) {
        case FieldType::Text: {
            std::string s = v.toString();
            if (!text::isValidUtf8(s)) throw Error("不是有效的UTF-8文字（" + f.name + "）");
            // No character takes more GBK bytes than 4/3 of its UTF-8 bytes: short texts need no count.
            if (f.width > 0 && static_cast<int>(s.size()) * 4 > f.width * 3) s = text::cutToWidth(s, f.width);
            return Value(text::trimRight(s));
        }
        case FieldType::Number: {
            if (v.isNull()) return v;
            if (v.isReal()) return v;
            if (v.isInteger()) return Value(v.toDouble());
            std::string s = text::trim(v.text());
            if (s.empty()) return Value();
            auto d = text::parseNumber(s);
            if (!d) badValue(f, v, "数值");
            return Value(*d);
        }
        case FieldType::Integer: {
            if (v.isNull() || v.isInteger()) return v;
            if (v.isReal()) return Value(static_cast<std::int64_t>(v.toDouble()));
            std::string s = text::trim(v.text());
            if (s.empty()) return Value();
            auto i = text::parseInteger(s);
            if (!i) badValue(f, v, "整数");
            return Value(*i);
        }
        case FieldType::Date: {
            if (v.isNull()) return v;
            std::string s = text::trim(v.toString());
            if (s.empty()) return Value();
            auto d = text::Date::parse(s);
            if (!d) badValue(f, v, "日期");
            return Value(d->iso());
        }
        case FieldType::Logical: {
            if (v.isNull()) return Value(false);
            if (!v.isText()) return Value(v.toDouble() != 0.0);
            std::string s = text::trim(v.text());
            if (s.empty() || s == "F" || s == "f" || s == "0" || s == "false" || s == "False")
                return Value(false);
            if (s == "T" || s == "t" || s == "1" || s == "true" || s == "True") return Value(true);
            badValue(f, v, "逻辑值");
        }
    }
    return v;
}

}  // namespace varneth::storage
