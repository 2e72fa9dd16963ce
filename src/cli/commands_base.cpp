// The commands every program directory has: making one, and looking at and loading its tables.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/program_directory.h"
#include "command.h"
#include "storage/csv.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "storage/error.h"
#include "storage/names.h"
#include "storage/query.h"
#include "text/gbk.h"
#include "tsv.h"

namespace varneth::cli {

using storage::Alias;

namespace {

constexpr const char* kOnlyQueries = "只能执行查询语句";
constexpr const char* kAccountsOnlyByAdmin = "管理帐户清单只能通过帐户管理修改。";
constexpr const char* kNotUtf8 = "文件不是UTF-8编码；如为GBK编码请加 --encoding gbk";

// Skips blanks, SQL comments and, with `semicolons`, statement separators.
std::size_t skipBlanks(std::string_view s, std::size_t i, bool semicolons) {
    while (i < s.size()) {
        if (std::isspace(static_cast<unsigned char>(s[i])) || (semicolons && s[i] == ';')) {
            ++i;
        } else if (s.compare(i, 2, "--") == 0) {
            i = s.find('\n', i);
            if (i == std::string_view::npos) return s.size();
        } else if (s.compare(i, 2, "/*") == 0) {
            i = s.find("*/", i + 2);
            if (i == std::string_view::npos) return s.size();
            i += 2;
        } else {
            break;
        }
    }
    return i;
}

bool startsWithKeyword(std::string_view sql, std::string_view keyword) {
    std::size_t i = skipBlanks(sql, 0, false);
    if (sql.size() - i < keyword.size()) return false;
    for (std::size_t k = 0; k < keyword.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(sql[i + k])) != keyword[k]) return false;
    std::size_t end = i + keyword.size();
    return end == sql.size() || !(std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == '_');
}

// SQLite runs only the first statement of a text and calls some statements that change the
// connection (ATTACH, PRAGMA …) read-only, so a query must be one statement that begins as one.
void requireSingleQuery(storage::Database& db, const std::string& sql) {
    if (!startsWithKeyword(sql, "select") && !startsWithKeyword(sql, "with"))
        throw storage::Error(kOnlyQueries);
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db.handle(), sql.c_str(), -1, &stmt, &tail);
    bool readOnly = stmt && sqlite3_stmt_readonly(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK) return;  // the query itself reports the SQL fault
    std::string_view rest = tail ? std::string_view(tail) : std::string_view();
    if (!readOnly || skipBlanks(rest, 0, true) != rest.size()) throw storage::Error(kOnlyQueries);
}

// Without DIR: the program directory the other commands use, so that an installed program's first
// `init` makes the user's own.
int init(Context& ctx) {
    const std::filesystem::path dir =
        ctx.call.args.empty() ? ctx.programDir() : std::filesystem::path(ctx.arg(0));
    app::createProgramDirectory(dir, app::findDataDir(ctx.exeDir), ctx.flag("bare"));
    return 0;
}

int tables(Context& ctx) {
    for (Alias alias : {Alias::Curr, Alias::Kvt}) {
        auto names = ctx.engine.database(alias).tableNames();
        std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return storage::lowerName(a) < storage::lowerName(b);
        });
        for (const auto& name : names) ctx.out << storage::aliasName(alias) << '\t' << name << '\n';
    }
    return 0;
}

int exportTable(Context& ctx) {
    const std::string& name = ctx.arg(0);
    storage::Cursor cursor(ctx.engine.databaseFor(name), name);
    if (auto order = ctx.option("order")) cursor.setOrdering(*order);
    // Written whole, so that a failure never leaves half a file on stdout.
    std::ostringstream csv;
    storage::exportCsv(cursor, csv);
    ctx.out << csv.str();
    return 0;
}

// The whole file, or nothing when it cannot be read (a directory, no permission, a read error).
std::optional<std::string> readWhole(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    try {
        std::ostringstream all;
        all << in.rdbuf();
        if (in.bad()) return std::nullopt;
        return all.str();
    } catch (const std::ios_base::failure&) {
        return std::nullopt;
    }
}

int importTable(Context& ctx) {
    const std::string& name = ctx.arg(0);
    if (storage::sameName(name, "z.db")) {
        ctx.prompter.message(kAccountsOnlyByAdmin);
        return 1;
    }
    const auto encoding = ctx.option("encoding");
    if (encoding && storage::lowerName(*encoding) != "gbk")
        throw UsageError("--encoding 只能是 gbk：" + *encoding, ctx.call.command);
    auto text = readWhole(ctx.arg(1));
    if (!text) {
        ctx.prompter.message("无法打开文件：" + ctx.arg(1));
        return 1;
    }
    // Chinese spreadsheets save CSV in GBK; read as UTF-8 it would store mojibake.
    if (encoding) {
        *text = text::gbkToUtf8(*text);
    } else if (!text::isValidUtf8(*text)) {
        ctx.prompter.message(kNotUtf8);
        return 1;
    }
    std::istringstream in(std::move(*text));
    storage::importCsv(ctx.engine.databaseFor(name), name, in);
    return 0;
}

int sql(Context& ctx) {
    Alias alias = Alias::Kvt;
    if (auto a = ctx.option("alias")) {
        if (*a == "curr")
            alias = Alias::Curr;
        else if (*a != "kvt")
            throw UsageError("--alias 只能是 kvt 或 curr：" + *a, ctx.call.command);
    }
    storage::Database& db = ctx.engine.database(alias);
    storage::Query query(db);
    query.setText(ctx.arg(0));
    requireSingleQuery(db, storage::Query::rewrite(query.text()));
    storage::Cursor& result = query.open();
    std::ostringstream tsv;
    writeTsv(tsv, result);
    ctx.out << tsv.str();
    return 0;
}

int login(Context& ctx) {
    ctx.out << ctx.session->accountDir().string() << '\n';
    return 0;
}

}  // namespace

std::vector<Command> baseCommands() {
    return {
        {"init", "[DIR] [--bare]", 0, 1, {{"bare", false}}, false, init},
        {"tables", "", 0, 0, {}, true, tables, Command::Access::Read},
        {"export", "TABLE [--order NAME]", 1, 1, {{"order", true}}, true, exportTable, Command::Access::Read},
        {"import", "TABLE FILE.csv [--encoding gbk]", 2, 2, {{"encoding", true}}, true, importTable},
        {"sql", "\"SELECT …\" [--alias kvt|curr]", 1, 1, {{"alias", true}}, true, sql, Command::Access::Read},
        {"login", "", 0, 0, {}, true, login, Command::Access::Read},
    };
}

}  // namespace varneth::cli
