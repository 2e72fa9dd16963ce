#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/session.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/engine.h"

namespace varneth::app {

// Start-up and login: binds `curr` to the program directory, reads the managing-account list
// `z.db`, checks a name and password and binds `kvt` to the account's directory.
class Login {
public:
    static constexpr const char* kNoAccountList =
        "找不到管理帐户清单文件。注意：1)执行程序需放在安装目录；2)执行程序快捷键不能直接送到桌面上，"
        "应先产生于安装目录，再送到桌面上。";
    static constexpr const char* kWrongPassword = "对不起,密码错误,请重试!";
    static constexpr const char* kNoAccountDir = "找不到管理帐户的子目录：";

    Login(storage::Engine& engine, std::filesystem::path programDir, port::Prompter& prompter,
          port::Clock& clock);

    // Binds `curr`; without the managing-account list says so and returns false (no one can enter).
    bool start();
    bool hasAccountList() const { return hasList_; }
    const std::filesystem::path& programDir() const { return programDir_; }

    std::vector<std::string> accountNames() const;  // in the list's key order
    std::string lastPicked() const;                 // the first account marked `Now`; "" when none
    // A name picked from the list becomes the only one marked `Now`, so it survives a restart.
    void pick(const std::string& name);

    // "进入": both name and password must match one account exactly. On a match `kvt` is bound to
    // the account directory and a session returned; otherwise the user is told why and nullptr
    // comes back with nothing changed.
    std::unique_ptr<Session> enter(const std::string& name, const std::string& password);
    // Ends a session: closes the `kvt` connection.
    void logout();

private:
    storage::Engine& engine_;
    std::filesystem::path programDir_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    bool hasList_ = false;
};

}  // namespace varneth::app
