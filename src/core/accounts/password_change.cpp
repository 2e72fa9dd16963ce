#include "accounts/password_change.h"

#include "accounts/account_admin.h"
#include "app/passwords.h"
#include "storage/cursor.h"

namespace varneth::accounts {

PasswordChange::PasswordChange(storage::Engine& engine, std::string accountName, port::Prompter& prompter)
    : engine_(engine), accountName_(std::move(accountName)), prompter_(prompter) {}

PasswordChange::Result PasswordChange::change(const std::string& oldPassword, const std::string& newPassword,
                                              const std::string& repeated) {
    storage::Action action(engine_);
    storage::Cursor z(engine_.database(storage::Alias::Curr), "z.db");
    if (!z.locate("User_name", {accountName_})) {
        prompter_.message(AccountAdmin::kNotFound);  // the row went while the account was in
        return Result::FixOld;
    }
    if (!app::passwordMatches(z.text("User_password"), oldPassword)) {
        prompter_.message(kWrongOld);
        return Result::FixOld;
    }
    if (newPassword != repeated) {
        prompter_.message(kNewDiffer);
        return Result::FixNew;
    }
    // Storing the same password again would change nothing but its hash's salt.
    if (newPassword == oldPassword) {
        prompter_.message(kUnchanged);
        return Result::Unchanged;
    }
    z.setValue("User_password", app::hashPassword(newPassword));
    z.post();
    prompter_.message(kChanged);
    return Result::Changed;
}

}  // namespace varneth::accounts
