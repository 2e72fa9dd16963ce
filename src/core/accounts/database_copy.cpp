#include "accounts/database_copy.h"

#include <sqlite3.h>

#include "storage/database.h"
#include "storage/error.h"
#include "storage/file_error.h"

namespace varneth::accounts {

namespace fs = std::filesystem;
using storage::Error;

namespace {

// One plain SQLite connection beside the engine's, for whole-database work.
class Connection {
public:
    Connection(const fs::path& file, int flags) {
        ok_ = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) == SQLITE_OK;
        if (db_) sqlite3_busy_timeout(db_, 5000);
    }
    ~Connection() { sqlite3_close(db_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return ok_; }
    sqlite3* get() const { return db_; }
    std::string error() const { return db_ ? sqlite3_errmsg(db_) : "out of memory"; }

    // The first column of the first row of `sql` ("" when there is none); false when it fails.
    bool scalar(const char* sql, std::string& out, const std::string* bind = nullptr) const {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) return false;
        if (bind) sqlite3_bind_text(stmt, 1, bind->data(), static_cast<int>(bind->size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(stmt);
        out.clear();
        if (rc == SQLITE_ROW) {
            if (const unsigned char* text = sqlite3_column_text(stmt, 0))
                out = reinterpret_cast<const char*>(text);
        }
        sqlite3_finalize(stmt);
        return rc == SQLITE_ROW || rc == SQLITE_DONE;
    }

private:
    sqlite3* db_ = nullptr;
    bool ok_ = false;
};

std::vector<fs::path> withJournals(const fs::path& file) {
    std::vector<fs::path> files{file};
    for (const char* suffix : {"-wal", "-shm", "-journal"}) files.emplace_back(file.string() + suffix);
    return files;
}

void removeAll(const std::vector<fs::path>& files) {
    std::error_code ec;
    for (const auto& f : files) fs::remove(f, ec);
}

// All pages in one step: one write transaction of `to`, committed only when every page is there.
void backup(const Connection& to, const Connection& from, const fs::path& target) {
    sqlite3_backup* b = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (!b) throw Error("无法复制到 " + target.string() + "：" + to.error());
    const int step = sqlite3_backup_step(b, -1);
    const int finish = sqlite3_backup_finish(b);
    if (step != SQLITE_DONE) throw Error("无法复制到 " + target.string() + "：" + sqlite3_errstr(step));
    if (finish != SQLITE_OK) throw Error("无法复制到 " + target.string() + "：" + sqlite3_errstr(finish));
}

void requireOpen(const Connection& c, const fs::path& file) {
    if (!c.ok()) throw Error("无法打开 " + file.string() + "：" + c.error());
}

}  // namespace

std::vector<fs::path> databaseFiles(const fs::path& dir) {
    return withJournals(dir / storage::Database::kFileName);
}

std::string damagedDatabase(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return "找不到数据文件：" + file.string();
    Connection db(file, SQLITE_OPEN_READONLY);
    std::string answer;
    if (!db.ok() || !db.scalar("PRAGMA quick_check", answer) || answer != "ok")
        return "数据文件不能用（不是Varneth的数据库或已损坏）：" + file.string();
    return {};
}

std::string unusableDatabase(const fs::path& file, storage::Alias alias) {
    if (std::string problem = damagedDatabase(file); !problem.empty()) return problem;
    Connection db(file, SQLITE_OPEN_READONLY);
    std::string missing, answer;
    for (const auto& def : storage::allTables()) {
        if (def.alias != alias) continue;
        if (!db.scalar("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE",
                       answer, &def.name))
            return "数据文件不能用（不是Varneth的数据库或已损坏）：" + file.string();
        if (answer != "1") missing += (missing.empty() ? "" : "、") + def.name;
    }
    if (!missing.empty()) return "数据文件缺少数据表" + missing + "：" + file.string();
    return {};
}

void snapshotDatabase(const fs::path& from, const fs::path& to) {
    const fs::path aside = to.string() + ".tmp";
    const auto asideFiles = withJournals(aside);
    removeAll(asideFiles);
    try {
        {
            Connection src(from, SQLITE_OPEN_READONLY);
            requireOpen(src, from);
            Connection dst(aside, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            requireOpen(dst, aside);
            backup(dst, src, to);
            // The copy carries the source's WAL mark; a backup must be one file that opens anywhere.
            std::string mode;
            if (!dst.scalar("PRAGMA journal_mode=DELETE", mode) || mode != "delete")
                throw Error("无法建立 " + aside.string() + "：" + dst.error());
        }
        // A journal left beside an older copy would be replayed into the new one.
        auto stale = withJournals(to);
        stale.erase(stale.begin());
        removeAll(stale);
        fs::rename(aside, to);
    } catch (const fs::filesystem_error& e) {
        removeAll(asideFiles);
        throw Error(storage::describeFileError(e));
    } catch (...) {
        removeAll(asideFiles);
        throw;
    }
}

void restoreDatabase(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    const bool existed = fs::exists(to, ec);
    try {
        Connection src(from, SQLITE_OPEN_READONLY);
        requireOpen(src, from);
        Connection dst(to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        requireOpen(dst, to);
        backup(dst, src, to);
    } catch (...) {
        if (!existed) removeAll(withJournals(to));
        throw;
    }
}

}  // namespace varneth::accounts
