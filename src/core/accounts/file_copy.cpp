#include "accounts/file_copy.h"

#include "accounts/account_admin.h"
#include "accounts/database_copy.h"
#include "port/clock.h"
#include "storage/database.h"
#include "storage/engine.h"

namespace varneth::accounts {

namespace fs = std::filesystem;
using storage::Alias;

namespace {

fs::path databaseIn(const fs::path& dir) {
    return dir / storage::Database::kFileName;
}

bool within(const fs::path& inner, const fs::path& outer) {
    const fs::path relative = inner.lexically_relative(outer);
    return !relative.empty() && *relative.begin() != "..";
}

// The backup's "varneth" inside the program directory, or the program directory inside it, would
// put a backup over live tables (a Subdir "varneth", or the program directory as backup/varneth/Subdir).
bool overlaps(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return within(ca, cb) || within(cb, ca);
}

// The account's directory is copied whole: beside its database, the files the user keeps there
// (reports, parameter files). The database and whatever SQLite or a copy in progress keeps beside
// it go their own way.
void copyOtherFiles(const fs::path& from, const fs::path& to) {
    const std::string db = storage::Database::kFileName;
    for (const auto& entry : fs::directory_iterator(from)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || entry.is_symlink() || name.rfind(db, 0) == 0) continue;
        fs::copy_file(entry.path(), to / name, fs::copy_options::overwrite_existing);
    }
}

}  // namespace

FileCopy::FileCopy(fs::path programDir, std::string accountName, fs::path accountDir,
                   port::Prompter& prompter)
    : programDir_(std::move(programDir)),
      accountName_(std::move(accountName)),
      accountDir_(std::move(accountDir)),
      subdir_(accountDir_.lexically_relative(programDir_).string()),
      prompter_(prompter) {}

bool FileCopy::maySharedFiles() const {
    return accountName_ == kMyAccount;
}

// A damaged database is not copied over a sound backup.
bool FileCopy::sound(const Choice& choice) {
    std::string problem;
    if (choice.sharedFiles) problem = damagedDatabase(databaseIn(programDir_));
    if (problem.empty() && choice.accountFiles) problem = damagedDatabase(databaseIn(accountDir_));
    if (!problem.empty()) prompter_.message(problem);
    return problem.empty();
}

// A backup replaces live tables only when it holds every one of them.
bool FileCopy::restorable(const Choice& choice, const fs::path& shared, const fs::path& account) {
    std::string problem;
    if (choice.sharedFiles) problem = unusableDatabase(databaseIn(shared), Alias::Curr);
    if (problem.empty() && choice.accountFiles) problem = unusableDatabase(databaseIn(account), Alias::Kvt);
    if (!problem.empty()) prompter_.message(problem);
    return problem.empty();
}

FileCopy::Outcome FileCopy::copy(const Choice& choice, const fs::path& backupFolder) {
    if (choice.sharedFiles && !maySharedFiles()) {
        prompter_.message(kSharedNeedsMyAccount);
        return Outcome::Stayed;
    }
    // The account's backup lies below the backup folder only if its Subdir is one plain name.
    if (std::string problem = subdirProblem(subdir_); !problem.empty()) {
        prompter_.message(problem);
        return Outcome::Stayed;
    }
    if (backupFolder.empty()) {
        prompter_.message(kNoBackupFolder);
        return Outcome::Stayed;
    }
    const fs::path shared = backupFolder / kBackupRoot;
    const fs::path account = shared / subdir_;
    if (overlaps(shared, programDir_)) {
        prompter_.message(kOverlapsProgramDir + shared.string());
        return Outcome::Stayed;
    }
    try {
        if (choice.direction == Direction::ToBackup) {
            if (!sound(choice)) return Outcome::Stayed;
            toBackup(choice, shared, account);
        } else if (!fromBackup(choice, shared, account)) {
            return Outcome::Stayed;
        }
    } catch (const std::exception& e) {
        prompter_.message(e.what());
        return Outcome::Stayed;
    }
    prompter_.message(kDone);
    return Outcome::LoginEnded;
}

void FileCopy::toBackup(const Choice& choice, const fs::path& shared, const fs::path& account) {
    fs::create_directories(shared);
    if (choice.sharedFiles) snapshotDatabase(databaseIn(programDir_), databaseIn(shared));
    if (choice.accountFiles) {
        fs::create_directories(account);
        snapshotDatabase(databaseIn(accountDir_), databaseIn(account));
        copyOtherFiles(accountDir_, account);
    }
}

// Undo never reaches back across tables a restore replaced: the restored database says so.
void FileCopy::markRestored(const fs::path& dir, storage::Alias alias) const {
    storage::Engine engine;
    engine.bind(alias, dir);
    const port::SystemClock clock;
    engine.setLabeller([&] { return storage::JournalLabel{clock.now().iso(), accountName_, kRestored}; });
    storage::Action action(engine);
    engine.markBarrier();
}

bool FileCopy::fromBackup(const Choice& choice, const fs::path& shared, const fs::path& account) {
    if (!prompter_.ask("这将覆盖硬盘中" + accountName_ + "的文件，继续吗?")) return false;
    std::error_code ec;
    if (!fs::is_directory(shared, ec)) {
        prompter_.message(kNoSharedSource);
        return false;
    }
    if (choice.accountFiles && !fs::is_directory(account, ec)) {
        prompter_.message(kNoAccountSource);
        return false;
    }
    // Both backups are checked before either is restored.
    if (!restorable(choice, shared, account)) return false;
    if (choice.sharedFiles) {
        restoreDatabase(databaseIn(shared), databaseIn(programDir_));
        markRestored(programDir_, storage::Alias::Curr);
    }
    if (choice.accountFiles) {
        fs::create_directories(accountDir_);
        restoreDatabase(databaseIn(account), databaseIn(accountDir_));
        markRestored(accountDir_, storage::Alias::Kvt);
        copyOtherFiles(account, accountDir_);
    }
    return true;
}

}  // namespace varneth::accounts
