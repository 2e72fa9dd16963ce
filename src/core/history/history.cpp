#include "history/history.h"

#include <algorithm>
#include <map>

#include "storage/error.h"
#include "storage/journal.h"
#include "storage/names.h"

namespace varneth::history {

namespace {

using storage::Database;
using storage::quoteIdent;
using storage::Record;
using storage::RowChange;
using storage::Statement;
using storage::Value;

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const auto tab = text.find(sep, start);
        out.push_back(text.substr(start, tab - start));
        if (tab == std::string::npos) return out;
        start = tab + 1;
    }
}

// A REAL field holds 1 and 1.0 alike (SQLite may keep it as an integer): only the value counts.
bool sameValue(const Value& a, const Value& b) {
    return a.compare(b) == 0;
}

bool sameRecord(const Record& a, const Record& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!sameValue(a[i], b[i])) return false;
    return true;
}

// The changes of one table in one entry, as stored.
struct TablePart {
    std::string table;
    std::vector<std::string> columns;
    std::vector<RowChange> rows;
};

// A journal last written before its entries became one row each: reading does not bring it up to
// date (the next writing action does).
bool oldJournal(Database& db) {
    return !storage::hasColumn(db, storage::kJournalTable, "data");
}

std::vector<TablePart> partsOf(Database& db, std::int64_t serial) {
    std::vector<storage::StoredPart> stored;
    bool inRow = false;
    if (!oldJournal(db)) {
        Statement& entry = db.cached("SELECT data FROM varneth_journal WHERE serial = ?");
        entry.reset();
        entry.bind(1, Value(serial));
        if (entry.step() && !entry.column(0).isNull()) {
            stored = storage::decodeEntry(entry.column(0).toString());
            inRow = true;
        }
        entry.reset();
    }
    if (!inRow) {
        // An entry written before the changes moved into the journal row.
        Statement& st =
            db.cached("SELECT tbl, columns, rows, data FROM varneth_changes WHERE serial = ? ORDER BY rowid");
        st.reset();
        st.bind(1, Value(serial));
        while (st.step())
            stored.push_back({st.column(0).toString(), st.column(1).toString(), st.column(2).toInt(),
                              st.column(3).toString()});
        st.reset();
    }
    std::vector<TablePart> parts;
    for (auto& p : stored) {
        auto columns = split(p.columns, '\t');
        auto rows = storage::decodeChanges(p.data, columns.size());
        parts.push_back({std::move(p.table), std::move(columns), std::move(rows)});
    }
    return parts;
}

std::string keyText(Database& db, const TablePart& part, const RowChange& c) {
    const Record& row = c.after.empty() ? c.before : c.after;
    const storage::TableDef* def = db.definition(part.table);
    if (!def || def->primaryKey.empty()) return std::to_string(c.rowid);
    std::string key;
    for (const auto& field : def->primaryKey) {
        for (std::size_t i = 0; i < part.columns.size(); ++i)
            if (storage::sameName(part.columns[i], field))
                key += (key.empty() ? "" : "/") + row[i].toString();
    }
    return key;
}

std::string rowText(const std::vector<std::string>& columns, const Record& row) {
    std::string out;
    for (std::size_t i = 0; i < columns.size(); ++i)
        out += (i ? ", " : "") + columns[i] + "=" + row[i].toString();
    return out;
}

// Gives one table the state it had before the entry, row by row, checking each row first.
class TableReverter {
public:
    TableReverter(Database& db, const TablePart& part) : db_(db), part_(part) {
        std::string cols, marks, sets;
        for (std::size_t i = 0; i < part.columns.size(); ++i) {
            const std::string c = quoteIdent(part.columns[i]);
            cols += (i ? ", " : "") + c;
            marks += ", ?";
            sets += (i ? ", " : "") + c + " = ?";
        }
        const std::string t = quoteIdent(part.table);
        select_ = "SELECT " + cols + " FROM " + t + " WHERE rowid = ?";
        insert_ = "INSERT INTO " + t + " (rowid, " + cols + ") VALUES (?" + marks + ")";
        update_ = "UPDATE " + t + " SET " + sets + " WHERE rowid = ?";
        remove_ = "DELETE FROM " + t + " WHERE rowid = ?";
    }

    void revert(std::int64_t serial) {
        for (auto it = part_.rows.rbegin(); it != part_.rows.rend(); ++it) {
            const RowChange& c = *it;
            if (!holdsWhatWasLeft(c))
                throw storage::Error("第" + std::to_string(serial) + "号操作之后该记录又被修改过(表" +
                                     part_.table + ",记录" + keyText(db_, part_, c) + ")，不能撤销。");
            switch (c.kind) {
                case RowChange::Kind::Insert:
                    run(remove_, {}, c.rowid, false);
                    break;
                case RowChange::Kind::Delete:
                    run(insert_, c.before, c.rowid, true);
                    break;
                case RowChange::Kind::Update:
                    run(update_, c.before, c.rowid, false);
                    break;
            }
        }
    }

private:
    bool holdsWhatWasLeft(const RowChange& c) {
        Statement& st = db_.cached(select_);
        st.reset();
        st.bind(1, Value(c.rowid));
        const bool present = st.step();
        Record now;
        if (present)
            for (int i = 0; i < st.columnCount(); ++i) now.push_back(st.column(i));
        st.reset();
        if (c.kind == RowChange::Kind::Delete) return !present;
        return present && sameRecord(now, c.after);
    }

    void run(const std::string& sql, const Record& values, std::int64_t rowid, bool rowidFirst) {
        Statement& st = db_.cached(sql);
        st.reset();
        int p = 1;
        if (rowidFirst) st.bind(p++, Value(rowid));
        for (const auto& v : values) st.bind(p++, v);
        if (!rowidFirst) st.bind(p, Value(rowid));
        st.step();
        st.reset();
    }

    Database& db_;
    const TablePart& part_;
    std::string select_, insert_, update_, remove_;
};

}  // namespace

std::string Entry::rowsText() const {
    if (barrier) return History::kBarrier;
    std::string out;
    for (const auto& [table, n] : rows) out += (out.empty() ? "" : ",") + table + ":" + std::to_string(n);
    return out;
}

History::History(storage::Engine& engine) : engine_(engine) {}

std::vector<Database*> History::journaled() {
    std::vector<Database*> out;
    for (auto alias : {storage::Alias::Curr, storage::Alias::Kvt}) {
        if (!engine_.isBound(alias)) continue;
        Database* db = &engine_.database(alias);
        if (std::find(out.begin(), out.end(), db) == out.end() && db->hasTable(storage::kJournalTable))
            out.push_back(db);
    }
    return out;
}

std::vector<Entry> History::entries(std::size_t limit) {
    std::map<std::int64_t, Entry> bySerial;
    for (Database* db : journaled()) {
        Statement& st = db->cached(
            oldJournal(*db)
                ? "SELECT serial, time, account, action, barrier, parts, coalesce((SELECT group_concat(tbl "
                  "|| "
                  "char(9) || rows, char(10)) FROM varneth_changes c WHERE c.serial = j.serial), '') FROM "
                  "varneth_journal j ORDER BY serial DESC LIMIT ?"
                : "SELECT serial, time, account, action, barrier, parts, tables FROM varneth_journal ORDER "
                  "BY "
                  "serial DESC LIMIT ?");
        st.reset();
        st.bind(1, Value(limit == 0 ? std::int64_t{-1} : static_cast<std::int64_t>(limit)));
        while (st.step()) {
            Entry& e = bySerial[st.column(0).toInt()];
            e.serial = st.column(0).toInt();
            e.time = st.column(1).toString();
            e.account = st.column(2).toString();
            e.action = st.column(3).toString();
            e.barrier = e.barrier || st.column(4).toBool();
            e.parts = static_cast<int>(st.column(5).toInt());
            ++e.partsFound;
            for (const auto& line : split(st.column(6).toString(), '\n')) {
                const auto tab = line.find('\t');
                if (tab != std::string::npos)
                    e.rows.emplace_back(line.substr(0, tab), std::stoll(line.substr(tab + 1)));
            }
        }
        st.reset();
    }
    std::vector<Entry> out;
    for (auto it = bySerial.rbegin(); it != bySerial.rend() && (limit == 0 || out.size() < limit); ++it)
        out.push_back(std::move(it->second));
    return out;
}

std::vector<Entry> History::from(std::int64_t serial) {
    std::vector<Entry> out;
    for (auto& e : entries())
        if (e.serial >= serial) out.push_back(std::move(e));
    return out;
}

std::vector<ChangedField> History::changes(std::int64_t serial) {
    std::vector<ChangedField> out;
    for (Database* db : journaled()) {
        for (const auto& part : partsOf(*db, serial)) {
            for (const auto& c : part.rows) {
                const std::string key = keyText(*db, part, c);
                if (c.kind == RowChange::Kind::Insert) {
                    out.push_back({part.table, key, "+", "", rowText(part.columns, c.after)});
                } else if (c.kind == RowChange::Kind::Delete) {
                    out.push_back({part.table, key, "-", rowText(part.columns, c.before), ""});
                } else {
                    for (std::size_t i = 0; i < part.columns.size(); ++i)
                        if (!sameValue(c.before[i], c.after[i]))
                            out.push_back({part.table, key, part.columns[i], c.before[i].toString(),
                                           c.after[i].toString()});
                }
            }
        }
    }
    return out;
}

History::Reach History::reach(std::int64_t serial) {
    const auto from = this->from(serial);
    const std::string n = std::to_string(serial);
    if (from.empty() || from.back().serial != serial) return {"第" + n + "号操作不在操作历史中。", 0};
    for (const auto& e : from) {
        const std::string k = std::to_string(e.serial);
        if (e.barrier) return {"撤销不能越过第" + k + "号操作(" + e.action + ")。", 0};
        if (e.partsFound < e.parts)
            return {"第" + k + "号操作还改动了现在没有打开的账户的数据，不能撤销。", 0};
    }
    return {"", static_cast<int>(from.size())};
}

void History::revert(std::int64_t serial) {
    const auto dbs = journaled();
    for (const auto& e : from(serial)) {
        for (Database* db : dbs) {
            db->beforeWrite();
            for (const auto& part : partsOf(*db, e.serial)) TableReverter(*db, part).revert(e.serial);
        }
    }
    for (Database* db : dbs) db->reloadAll();
}

bool undo(storage::Engine& engine, std::int64_t serial, port::Prompter& prompter) {
    History::Reach asked;
    {
        storage::Action look(engine, storage::Action::Mode::Read);
        asked = History(engine).reach(serial);
    }
    if (!asked.refusal.empty()) {
        prompter.message(asked.refusal);
        return false;
    }
    const std::string count = std::to_string(asked.actions);
    if (!prompter.ask("撤销到第" + std::to_string(serial) + "号操作，将撤销最近的" + count +
                      "项操作。继续吗?"))
        return false;
    try {
        storage::Action action(engine);
        History history(engine);
        // Another program may have acted since the question: what was asked must still hold.
        const auto now = history.reach(serial);
        if (!now.refusal.empty() || now.actions != asked.actions) {
            action.abandon();
            prompter.message(now.refusal.empty() ? "操作历史在此期间有了变化，请重新选择要撤销的操作。"
                                                 : now.refusal);
            return false;
        }
        try {
            history.revert(serial);
        } catch (...) {
            action.abandon();
            throw;
        }
    } catch (const storage::Error& e) {
        prompter.message(e.what());
        return false;
    }
    prompter.message("已撤销" + count + "项操作。");
    return true;
}

}  // namespace varneth::history
