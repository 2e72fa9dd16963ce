#include "accounts/account_admin.h"

#include "accounts/database_copy.h"
#include "app/passwords.h"
#include "app/program_directory.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "storage/file_error.h"
#include "storage/names.h"
#include "text/gbk.h"

namespace varneth::accounts {

namespace fs = std::filesystem;
using storage::Cursor;

namespace {

constexpr const char* kAccounts = "z.db";
constexpr const char* kTemplate = "empty";
// A new account's directory is built under this prefix and renamed into place whole; no Subdir
// begins with a dot, so the name never meets an account's.
constexpr const char* kBuildingPrefix = ".varneth-add-";

constexpr const char* kBadSubdir =
    "子目录只能是程序目录下的一个目录名：不能为空，不能是“.”或“..”，不能含有 / \\ : * ? \" < > | "
    "等字符，也不能以空格或点开头或结尾";
constexpr const char* kSubdirTooLong = "子目录名最长8个字节（一个汉字算两个字节），请修改后再添加";
constexpr const char* kTemplateSubdir = "子目录empty是新帐户的模板，请换一个子目录名";

int fieldWidth(std::string_view field) {
    return storage::findTable(kAccounts)->field(field).width;
}

// Equal names, or one directory under two names (letter case may not count on this file system).
bool sameDirectory(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return a == b || fs::equivalent(a, b, ec);
}

// What an add killed while it built its directory left behind.
void removeUnfinished(const fs::path& programDir) {
    std::error_code ec;
    for (auto it = fs::directory_iterator(programDir, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code ignored;
        if (it->path().filename().string().starts_with(kBuildingPrefix)) fs::remove_all(it->path(), ignored);
    }
}

}  // namespace

std::string subdirProblem(std::string_view subdir) {
    if (subdir.empty() || subdir.front() == ' ' || subdir.front() == '.' || subdir.back() == ' ' ||
        subdir.back() == '.')
        return kBadSubdir;
    for (unsigned char c : subdir)
        if (c < 0x20 || c == 0x7f ||
            std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return kBadSubdir;
    if (text::gbkWidth(subdir) > fieldWidth("Subdir")) return kSubdirTooLong;
    if (storage::sameName(subdir, kTemplate)) return kTemplateSubdir;
    return {};
}

AccountAdmin::AccountAdmin(storage::Engine& engine, fs::path programDir, port::Prompter& prompter)
    : engine_(engine), programDir_(std::move(programDir)), prompter_(prompter) {}

std::vector<AccountAdmin::Entry> AccountAdmin::accounts() const {
    std::vector<Entry> list;
    Cursor z(curr(), kAccounts);
    for (z.first(); !z.eof(); z.next()) list.push_back({z.text("User_name"), z.text("Subdir")});
    return list;
}

AccountAdmin::Added AccountAdmin::add(const std::string& nameBox, const std::string& subdirBox,
                                      const std::string& password) {
    // The list keeps texts without trailing blanks; compare what will be kept. A name cut to the
    // field's width would not be the name the user logs in with.
    const std::string name = text::trimRight(nameBox);
    const std::string subdir = text::trim(subdirBox);
    if (text::trim(name).empty() || text::gbkWidth(name) > fieldWidth("User_name")) {
        prompter_.message(text::trim(name).empty() ? kNameEmpty : kNameTooLong);
        return Added::FixName;
    }
    storage::Action action(engine_);
    removeUnfinished(programDir_);
    Cursor z(curr(), kAccounts);
    if (z.locate("User_name", {name})) {
        prompter_.message(kNameTaken);
        return Added::FixName;
    }
    if (z.locate("Subdir", {subdir})) {
        prompter_.message(kSubdirTaken);
        return Added::FixSubdir;
    }
    if (std::string problem = subdirProblem(subdir); !problem.empty()) {
        prompter_.message(problem);
        return Added::FixSubdir;
    }
    const fs::path dir = programDir_ / subdir;
    if (registered(dir, std::nullopt)) {
        prompter_.message(kSubdirTaken);
        return Added::FixSubdir;
    }
    std::error_code ec;
    if (!fs::is_regular_file(programDir_ / kTemplate / storage::Database::kFileName, ec)) {
        prompter_.message(kNoTemplate + (programDir_ / kTemplate).string());
        return Added::Failed;
    }

    // An empty directory is filled from the template, one with an account's tables taken as it
    // is (an add killed after its directory was in place left one behind); anything else (a file,
    // a link, somebody else's folder) is not ours to touch.
    const fs::file_status status = fs::symlink_status(dir, ec);
    const bool missing = !fs::exists(status);
    const bool emptyDir = fs::is_directory(status) && fs::is_empty(dir, ec);
    const bool accountDir = fs::is_directory(status) && !emptyDir &&
                            unusableDatabase(dir / storage::Database::kFileName, storage::Alias::Kvt).empty();
    if (!missing && !emptyDir && !accountDir) {
        prompter_.message(kForeignDirectory + dir.string());
        return Added::FixSubdir;
    }
    const bool makeTables = missing || emptyDir;
    const fs::path building = programDir_ / (kBuildingPrefix + subdir);
    bool placed = false;
    try {
        if (makeTables) {
            app::createAccountDirectory(programDir_, building);
            fs::rename(building, dir);  // over an empty directory too
            placed = true;
        }
        z.append();
        z.setValue("User_name", name);
        z.setValue("User_password", app::hashPassword(password));
        z.setValue("Subdir", subdir);
        z.setValue("Now", false);
        z.post();
        engine_.markBarrier();
    } catch (const std::exception& e) {
        if (z.state() != Cursor::State::Browse) z.cancel();
        fs::remove_all(building, ec);
        if (placed) {
            for (const auto& f : databaseFiles(dir)) fs::remove(f, ec);
            if (missing) fs::remove(dir, ec);
        }
        const auto* fileError = dynamic_cast<const fs::filesystem_error*>(&e);
        prompter_.message(fileError ? storage::describeFileError(*fileError) : std::string(e.what()));
        return Added::Failed;
    }
    prompter_.message(kAdded);
    return Added::Done;
}

AccountAdmin::Deleted AccountAdmin::remove(const std::string& name, const std::string& password) {
    if (name == kMyAccount || name == kDemoAccount) {
        prompter_.message(kProtected);
        return Deleted::Refused;
    }
    fs::path dir;
    bool keepTables = false;
    {
        storage::Action action(engine_);
        Cursor z(curr(), kAccounts);
        if (!z.locate("User_name", {name})) {
            prompter_.message(kNotFound);
            return Deleted::FixAccount;
        }
        if (!app::passwordMatches(z.text("User_password"), password)) {
            prompter_.message(kWrongPassword);
            return Deleted::FixPassword;
        }
        const std::string subdir = z.text("Subdir");
        dir = programDir_ / subdir;
        // A Subdir that is not one plain name may point anywhere: its row goes, no file is touched.
        keepTables = !subdirProblem(subdir).empty() || directoryInUse(name, dir);
        z.remove();
        engine_.markBarrier();
    }
    // The row goes first: a failure on the way leaves no account without tables.
    if (!keepTables) removeTables(dir);
    prompter_.message(kDeleted);
    return Deleted::Done;
}

bool AccountAdmin::registered(const fs::path& dir, std::optional<std::string_view> except) const {
    Cursor z(curr(), kAccounts);
    for (z.first(); !z.eof(); z.next()) {
        if (z.text("User_name") != except && sameDirectory(programDir_ / z.text("Subdir"), dir)) return true;
    }
    return false;
}

bool AccountAdmin::directoryInUse(const std::string& name, const fs::path& dir) const {
    if (engine_.isBound(storage::Alias::Kvt) && sameDirectory(engine_.directory(storage::Alias::Kvt), dir))
        return true;
    return sameDirectory(programDir_ / kTemplate, dir) || registered(dir, name);
}

void AccountAdmin::removeTables(const fs::path& dir) {
    std::error_code ec;
    if (fs::is_symlink(dir, ec) || !fs::is_directory(dir, ec)) return;
    std::string left;
    for (const auto& f : databaseFiles(dir)) {
        if (!fs::remove(f, ec) && ec) left += "\n" + f.string();
    }
    if (fs::is_empty(dir, ec)) fs::remove(dir, ec);
    if (!left.empty()) prompter_.message(kNotAllRemoved + left);
}

}  // namespace varneth::accounts
