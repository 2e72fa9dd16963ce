#include "app/program_directory.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "app/passwords.h"
#include "storage/csv.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "storage/error.h"
#include "storage/file_error.h"

namespace varneth::app {

namespace fs = std::filesystem;
using storage::Alias;
using storage::Database;

namespace {

constexpr const char* kTemplate = "empty";
constexpr const char* kHelpFile = "varneth.hlp";

// Loads every "<table>.csv" of `folder` into `db`.
void loadFolder(Database& db, const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".csv") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        try {
            storage::importCsv(db, f.stem().string(), in);
        } catch (const storage::Error& e) {
            throw SeedError(f.string() + "：" + e.what());
        }
    }
}

// Seed files may give passwords as typed; they are stored hashed.
void hashPasswords(Database& curr) {
    storage::Cursor z(curr, "z.db");
    for (z.first(); !z.eof(); z.next()) {
        std::string pw = z.text("User_password");
        if (!pw.empty() && pw.rfind("$argon2", 0) != 0) {
            z.setValue("User_password", hashPassword(pw));
            z.post();
        }
    }
}

void copyDatabase(const fs::path& from, const fs::path& to) {
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    bool ok =
        sqlite3_open_v2(from.c_str(), &src, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_open_v2(to.c_str(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
        ok = b && sqlite3_backup_step(b, -1) == SQLITE_DONE;
        ok = sqlite3_backup_finish(b) == SQLITE_OK && ok;
    }
    std::string err = dst ? sqlite3_errmsg(dst) : "";
    sqlite3_close(src);
    sqlite3_close(dst);
    if (!ok) throw SeedError("无法复制数据库 " + from.string() + "：" + err);
}

fs::path installedDataDir(const fs::path& exeDir) {
    return exeDir.parent_path() / "share" / "varneth" / "data";
}

}  // namespace

fs::path findDataDir(const fs::path& exeDir) {
    std::vector<fs::path> candidates = {exeDir / "data", exeDir.parent_path() / "data",
                                        installedDataDir(exeDir), fs::path(VARNETH_SOURCE_DATA_DIR)};
    std::error_code ec;
    for (const auto& c : candidates)
        if (fs::is_directory(c / "shared", ec)) return c;
    return fs::path(VARNETH_SOURCE_DATA_DIR);
}

bool isInstalled(const fs::path& exeDir) {
    return findDataDir(exeDir) == installedDataDir(exeDir);
}

fs::path userDataHome(const char* xdgDataHome, const char* home) {
    if (xdgDataHome && fs::path(xdgDataHome).is_absolute()) return xdgDataHome;
    if (home && *home) return fs::path(home) / ".local" / "share";
    throw SeedError("未设置HOME或XDG_DATA_HOME，找不到用户数据目录。");
}

fs::path defaultProgramDir(const fs::path& exeDir) {
    if (!isInstalled(exeDir)) return fs::current_path();
    return userDataHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")) / "varneth";
}

bool ensureProgramDirectory(const fs::path& dir, const fs::path& dataDir) {
    if (holdsTables(dir)) return false;
    createProgramDirectory(dir, dataDir, /*bare=*/false);
    return true;
}

bool holdsTables(const fs::path& dir) {
    std::error_code ec;
    return fs::exists(dir / Database::kFileName, ec);
}

void createAccountDirectory(const fs::path& programDir, const fs::path& accountDir) {
    fs::create_directories(accountDir);
    copyDatabase(programDir / kTemplate / Database::kFileName, accountDir / Database::kFileName);
}

void createProgramDirectory(const fs::path& dir, const fs::path& dataDir, bool bare) {
    std::error_code ec;
    if (holdsTables(dir)) throw SeedError("目录中已有数据表，不能覆盖：" + dir.string());
    if (fs::exists(dir, ec) && !fs::is_empty(dir, ec)) throw SeedError("目录不是空的：" + dir.string());
    if (!fs::is_directory(dataDir / "shared", ec)) throw SeedError("找不到初始数据目录：" + dataDir.string());

    // Built aside and moved into place whole, so a failure never leaves half a program directory.
    fs::path target = fs::absolute(dir);
    fs::path staging = target.parent_path() / (target.filename().string() + ".init-tmp");
    fs::remove_all(staging, ec);
    fs::create_directories(staging);
    try {
        {
            Database curr(staging / Database::kFileName);
            curr.createTables(Alias::Curr);
            if (bare) {
                storage::Cursor z(curr, "z.db");
                z.append();
                z.setValue("User_name", "我的帐户");
                z.setValue("User_password", "");
                z.setValue("Subdir", "user");
                z.setValue("Now", true);
                z.post();
            } else {
                loadFolder(curr, dataDir / "shared");
                hashPasswords(curr);
            }
            fs::create_directories(staging / kTemplate);
            {
                Database tmpl(staging / kTemplate / Database::kFileName);
                tmpl.createTables(Alias::Kvt);
                if (!bare) loadFolder(tmpl, dataDir / kTemplate);
            }
            storage::Cursor z(curr, "z.db");
            for (z.first(); !z.eof(); z.next()) {
                fs::path accountDir = staging / z.text("Subdir");
                if (holdsTables(accountDir)) continue;  // two accounts may share one directory
                createAccountDirectory(staging, accountDir);
                if (!bare) {
                    Database account(accountDir / Database::kFileName);
                    loadFolder(account, dataDir / "accounts" / z.text("Subdir"));
                }
            }
        }
        if (fs::exists(dataDir / kHelpFile, ec)) fs::copy_file(dataDir / kHelpFile, staging / kHelpFile);
        if (fs::exists(target, ec)) fs::remove(target);
        fs::rename(staging, target);
    } catch (const storage::Error& e) {
        fs::remove_all(staging, ec);
        throw SeedError(e.what());
    } catch (const fs::filesystem_error& e) {
        fs::remove_all(staging, ec);
        throw SeedError(storage::describeFileError(e));
    } catch (...) {
        fs::remove_all(staging, ec);
        throw;
    }
}

}  // namespace varneth::app
