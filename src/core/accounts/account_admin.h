#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port/prompter.h"
#include "storage/engine.h"

namespace varneth::accounts {

// The two accounts every program directory keeps; only "我的帐户" administers the others.
inline constexpr const char* kMyAccount = "我的帐户";
inline constexpr const char* kDemoAccount = "示范帐户";

// An account's `Subdir` must be one plain directory name inside the program directory, other than
// the template's, and fit the list's field: "" when `subdir` is such a name, otherwise why not.
std::string subdirProblem(std::string_view subdir);

// The managing-account list `z.db`: adding an account with its directory made from the template
// "empty", deleting one with its tables. Works on the engine's `curr` alone, so it goes on after
// the login that opened it has ended.
class AccountAdmin {
public:
    static constexpr const char* kOnlyMyAccount = "只有进入'我的帐户'才有权限添加和删除管理帐户.";
    static constexpr const char* kNameTaken = "此帐户名已经登记，请修改后再添加";
    static constexpr const char* kSubdirTaken = "此子目录已经登记，请修改后再添加";
    static constexpr const char* kAdded = "建立帐户成功.";
    static constexpr const char* kProtected = "'示范帐户'和'我的帐户'不能删除!";
    static constexpr const char* kNotFound = "帐户名没找到，退出重来!";
    static constexpr const char* kWrongPassword = "口令不对(需要该帐户管理人的口令)；退出重来!";
    static constexpr const char* kDeleted = "已经删除。";
    static constexpr const char* kNameTooLong = "帐户名最长8个字节（一个汉字算两个字节），请修改后再添加";
    static constexpr const char* kNameEmpty = "帐户名不能为空，请填写后再添加";
    static constexpr const char* kNoTemplate = "找不到新帐户的模板目录：";
    static constexpr const char* kForeignDirectory =
        "程序目录中已有同名的文件或目录，不是管理帐户的子目录，请换一个子目录名：";
    static constexpr const char* kNotAllRemoved = "以下文件未能删除：";
    static constexpr const char* kProgramEnds = "退出程序，要运行请重新登录。";

    // What the window does next: which box takes the focus.
    enum class Added { Done, FixName, FixSubdir, Failed };
    enum class Deleted { Done, Refused, FixAccount, FixPassword };

    struct Entry {
        std::string name;
        std::string subdir;
    };

    // Only the account named exactly "我的帐户" adds and deletes accounts.
    static bool mayAdminister(std::string_view accountName) { return accountName == kMyAccount; }

    AccountAdmin(storage::Engine& engine, std::filesystem::path programDir, port::Prompter& prompter);

    std::vector<Entry> accounts() const;  // in the list's key order

    // "确认": names compare exactly (letter case counts); an empty password means none. A directory
    // already holding an account's tables (restored before the account was added again) is taken
    // as it is, never overwritten by the template.
    Added add(const std::string& name, const std::string& subdir, const std::string& password);
    // "删除帐户": the account's own password is asked. Its tables go only when no other account
    // lives on the same directory; other files in the directory stay, and the directory with them.
    Deleted remove(const std::string& name, const std::string& password);
    // Closing the window ends the program: the next start shows the changed list.
    void closing() { prompter_.message(kProgramEnds); }

private:
    storage::Database& curr() const { return engine_.database(storage::Alias::Curr); }
    // Whether an account other than `except` lives in `dir`.
    bool registered(const std::filesystem::path& dir, std::optional<std::string_view> except) const;
    bool directoryInUse(const std::string& name, const std::filesystem::path& dir) const;
    void removeTables(const std::filesystem::path& dir);

    storage::Engine& engine_;
    std::filesystem::path programDir_;
    port::Prompter& prompter_;
};

}  // namespace varneth::accounts
