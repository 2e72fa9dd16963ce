#pragma once

#include <string>

#include "port/prompter.h"
#include "storage/engine.h"

namespace varneth::accounts {

// A new password for the logged-in account, in the managing-account list of `curr`.
class PasswordChange {
public:
    static constexpr const char* kWrongOld = "旧口令不对，请重新输入！";
    static constexpr const char* kNewDiffer = "新口令不一致，请重新输入！";
    static constexpr const char* kChanged = "口令已改，重新登录!";
    static constexpr const char* kUnchanged = "口令未改!";

    // Changed ends the login; FixOld clears the old box, FixNew both new ones.
    enum class Result { Changed, Unchanged, FixOld, FixNew };

    PasswordChange(storage::Engine& engine, std::string accountName, port::Prompter& prompter);

    // "确认新口令": the old password must be the account's, the two new boxes must agree; an empty
    // new password means none.
    Result change(const std::string& oldPassword, const std::string& newPassword,
                  const std::string& repeated);

private:
    storage::Engine& engine_;
    std::string accountName_;
    port::Prompter& prompter_;
};

}  // namespace varneth::accounts
