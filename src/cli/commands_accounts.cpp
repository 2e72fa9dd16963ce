// Managing accounts and copying the tables to and from a backup folder.
#include <set>

#include "accounts/account_admin.h"
#include "accounts/file_copy.h"
#include "accounts/password_change.h"
#include "app/login.h"
#include "command.h"

namespace varneth::cli {

using accounts::AccountAdmin;
using accounts::FileCopy;
using accounts::PasswordChange;

namespace {

void allowOnly(const Context& ctx, const std::set<std::string>& allowed) {
    for (const auto& [name, value] : ctx.call.options)
        if (!allowed.count(name))
            throw UsageError("选项 --" + name + " 不适用于 " + ctx.call.command->name + " " + ctx.arg(0),
                             ctx.call.command);
}

std::string required(const Context& ctx, const std::string& name) {
    auto value = ctx.option(name);
    if (!value)
        throw UsageError(ctx.call.command->name + " " + ctx.arg(0) + " 需要 --" + name, ctx.call.command);
    return *value;
}

// As every logged-in command: the named account, or the one the login list pre-fills, and --password.
std::unique_ptr<app::Session> logIn(Context& ctx, app::Login& login) {
    if (!login.start()) return nullptr;
    const std::string name = ctx.call.global.account ? *ctx.call.global.account : login.lastPicked();
    return login.enter(name, ctx.call.global.password.value_or(""));
}

// Only "我的帐户" reaches the window that adds accounts.
int add(Context& ctx, app::Login& login) {
    allowOnly(ctx, {"name", "subdir", "new-password"});
    const std::string name = required(ctx, "name");
    const std::string subdir = required(ctx, "subdir");
    auto session = logIn(ctx, login);
    if (!session) return 1;
    if (!AccountAdmin::mayAdminister(session->accountName())) {
        ctx.prompter.message(AccountAdmin::kOnlyMyAccount);
        return 1;
    }
    AccountAdmin admin(ctx.engine, login.programDir(), ctx.prompter);
    return admin.add(name, subdir, ctx.option("new-password").value_or("")) == AccountAdmin::Added::Done ? 0
                                                                                                         : 1;
}

// As the window: reached only from "我的帐户", and it asks the deleted account's own password.
int remove(Context& ctx, app::Login& login) {
    allowOnly(ctx, {"name", "its-password"});
    const std::string name = required(ctx, "name");
    const std::string itsPassword = required(ctx, "its-password");
    auto session = logIn(ctx, login);
    if (!session) return 1;
    if (!AccountAdmin::mayAdminister(session->accountName())) {
        ctx.prompter.message(AccountAdmin::kOnlyMyAccount);
        return 1;
    }
    AccountAdmin admin(ctx.engine, login.programDir(), ctx.prompter);
    return admin.remove(name, itsPassword) == AccountAdmin::Deleted::Done ? 0 : 1;
}

int passwd(Context& ctx, app::Login& login) {
    allowOnly(ctx, {"old", "new"});
    const std::string oldPassword = required(ctx, "old");
    const std::string newPassword = required(ctx, "new");
    auto session = logIn(ctx, login);
    if (!session) return 1;
    PasswordChange change(ctx.engine, session->accountName(), ctx.prompter);
    const auto result = change.change(oldPassword, newPassword, newPassword);
    return result == PasswordChange::Result::Changed || result == PasswordChange::Result::Unchanged ? 0 : 1;
}

int account(Context& ctx) {
    app::Login login(ctx.engine, ctx.programDir(), ctx.prompter, ctx.clock);
    const std::string& what = ctx.arg(0);
    if (what == "add") return add(ctx, login);
    if (what == "delete") return remove(ctx, login);
    if (what == "passwd") return passwd(ctx, login);
    throw UsageError("account 后应为 add、delete 或 passwd：" + what, ctx.call.command);
}

int backup(Context& ctx) {
    FileCopy::Choice choice;
    if (ctx.arg(0) == "to")
        choice.direction = FileCopy::Direction::ToBackup;
    else if (ctx.arg(0) == "from")
        choice.direction = FileCopy::Direction::FromBackup;
    else
        throw UsageError("backup 后应为 to 或 from：" + ctx.arg(0), ctx.call.command);
    choice.sharedFiles = ctx.flag("shared");
    choice.accountFiles = !ctx.flag("no-account");
    const std::string target = required(ctx, "target");
    app::Session& s = *ctx.session;
    FileCopy copy(s.programDir(), s.accountName(), s.accountDir(), ctx.prompter);
    return copy.copy(choice, target) == FileCopy::Outcome::LoginEnded ? 0 : 1;
}

}  // namespace

std::vector<Command> accountCommands() {
    return {
        {"account",
         "add --name 名称 --subdir 子目录 [--new-password 口令] | delete --name 名称 --its-password 口令 | "
         "passwd --old 旧口令 --new 新口令",
         1,
         1,
         {{"name", true},
          {"subdir", true},
          {"new-password", true},
          {"its-password", true},
          {"old", true},
          {"new", true}},
         false,
         account},
        {"backup",
         "to|from [--shared] [--no-account] --target 备份文件夹",
         1,
         1,
         {{"shared", false}, {"no-account", false}, {"target", true}},
         true,
         backup,
         Command::Access::Files},
    };
}

}  // namespace varneth::cli
