#include "storage/csv.h"

#include <sqlite3.h>

#include <iterator>
#include <vector>

#include "storage/cursor.h"
#include "storage/database.h"
#include "storage/error.h"
#include "storage/table.h"

namespace varneth::storage {

namespace {

std::string cell(const TableDef& t, const FieldDef& f, const Value& v) {
    if (isSecret(t.name, f.name)) return {};
    if (f.type == FieldType::Logical) return v.toBool() ? "T" : "F";
    std::string s = v.toString();
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) {
        q += c;
        if (c == '"') q += '"';
    }
    return q + "\"";
}

// Splits CSV text into rows of cells; quoted cells may hold commas, quotes and line breaks.
std::vector<std::vector<std::string>> parse(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cur;
    bool quoted = false, any = false;
    std::size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cur += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cur += c;
            }
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == ',') {
            row.push_back(std::move(cur));
            cur.clear();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (any || !cur.empty()) {
                row.push_back(std::move(cur));
                rows.push_back(std::move(row));
            }
            row.clear();
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (quoted) throw Error("CSV 文件的引号不成对");
    if (any || !cur.empty()) {
        row.push_back(std::move(cur));
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

void exportCsv(Cursor& cursor, std::ostream& out) {
    const auto& fields = cursor.def().fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        out << (i ? "," : "") << cell(TableDef{}, FieldDef{}, Value(fields[i].name));
    out << "\n";
    for (int p = 0; p < cursor.count(); ++p) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            out << (i ? "," : "") << cell(cursor.def(), fields[i], cursor.valueAt(p, static_cast<int>(i)));
        out << "\n";
    }
}

int importCsv(Database& db, const std::string& tableName, std::istream& in) {
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto table = db.table(tableName);
    const TableDef& def = table->def();
    auto rows = parse(text);
    if (rows.empty()) throw Error("CSV 文件没有标题行");
    std::vector<int> columns;
    for (const auto& name : rows[0]) {
        int f = def.fieldIndex(name);
        if (f < 0) throw Error("表 " + def.name + " 没有字段 " + name);
        columns.push_back(f);
    }
    // Every row is read before the first is written, so a bad row writes nothing.
    std::vector<Record> records;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto& cells = rows[r];
        if (cells.size() != columns.size())
            throw Error("第" + std::to_string(r) + "行：应有" + std::to_string(columns.size()) + "项，实有" +
                        std::to_string(cells.size()) + "项");
        Record rec(def.fields.size());
        for (std::size_t i = 0; i < def.fields.size(); ++i) rec[i] = Table::fit(def.fields[i], Value());
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const FieldDef& f = def.fields[static_cast<std::size_t>(columns[c])];
            try {
                rec[static_cast<std::size_t>(columns[c])] = Table::fit(f, Value(cells[c]));
            } catch (const Error& e) {
                throw Error("第" + std::to_string(r) + "行，字段 " + f.name + "：" + e.what());
            }
        }
        records.push_back(std::move(rec));
    }
    db.beforeWrite();
    sqlite3_exec(db.handle(), "SAVEPOINT csv_import", nullptr, nullptr, nullptr);
    std::size_t r = 0;
    try {
        for (; r < records.size(); ++r) table->insert(records[r]);
    } catch (const Error& e) {
        sqlite3_exec(db.handle(), "ROLLBACK TO csv_import; RELEASE csv_import", nullptr, nullptr, nullptr);
        table->reload();
        throw Error("第" + std::to_string(r + 1) + "行：" + e.what());
    }
    sqlite3_exec(db.handle(), "RELEASE csv_import", nullptr, nullptr, nullptr);
    return static_cast<int>(records.size());
}

}  // namespace varneth::storage
