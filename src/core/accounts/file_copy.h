#pragma once

#include <filesystem>
#include <string>

#include "port/prompter.h"
#include "storage/schema.h"

namespace varneth::accounts {

// Backup of the tables to a backup folder (the floppy drive of old) and restore from it: the shared
// tables go to <folder>/varneth, the account's directory (its tables and the files kept beside them)
// to <folder>/varneth/<Subdir>. Every database is copied whole and consistent, and nothing is written
// before every check has passed. It runs with no table of the account open: the login ends before
// the copy starts.
class FileCopy {
public:
    static constexpr const char* kBackupRoot = "varneth";
    static constexpr const char* kNoSharedSource = "A盘上共用文件子目录不存在，退出操作!";
    static constexpr const char* kNoAccountSource = "A盘上管理帐户文件子目录不存在，退出操作!";
    static constexpr const char* kDone = "复制结束，自动退出系统。";
    static constexpr const char* kSharedNeedsMyAccount = "进我的帐户方可拷贝公用文件。";
    static constexpr const char* kNoBackupFolder = "请先选择备份文件夹。";
    static constexpr const char* kRestored = "从备份恢复";
    static constexpr const char* kOverlapsProgramDir =
        "备份文件夹与程序目录重叠（一个在另一个之中），请另选一个备份文件夹：";

    enum class Direction { ToBackup, FromBackup };
    struct Choice {
        Direction direction = Direction::ToBackup;
        bool accountFiles = true;  // "拷贝本管理帐户文件"
        bool sharedFiles = false;  // "拷贝公用文件"
    };
    // Stayed: refused or stopped with a message, the window stays. LoginEnded: copied; the window
    // goes and the login stays ended (the login window is in front).
    enum class Outcome { Stayed, LoginEnded };

    FileCopy(std::filesystem::path programDir, std::string accountName, std::filesystem::path accountDir,
             port::Prompter& prompter);

    // The shared tables are copied only from within "我的帐户".
    bool maySharedFiles() const;
    Outcome copy(const Choice& choice, const std::filesystem::path& backupFolder);

private:
    bool sound(const Choice& choice);
    bool restorable(const Choice& choice, const std::filesystem::path& shared,
                    const std::filesystem::path& account);
    void toBackup(const Choice& choice, const std::filesystem::path& shared,
                  const std::filesystem::path& account);
    bool fromBackup(const Choice& choice, const std::filesystem::path& shared,
                    const std::filesystem::path& account);
    void markRestored(const std::filesystem::path& dir, storage::Alias alias) const;

    std::filesystem::path programDir_;
    std::string accountName_;
    std::filesystem::path accountDir_;
    std::string subdir_;
    port::Prompter& prompter_;
};

}  // namespace varneth::accounts
