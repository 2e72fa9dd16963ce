#include "app/login.h"

#include "app/passwords.h"
#include "storage/cursor.h"
#include "storage/error.h"

namespace varneth::app {

using storage::Alias;
using storage::Cursor;

namespace {
constexpr const char* kAccounts = "z.db";
}

Login::Login(storage::Engine& engine, std::filesystem::path programDir, port::Prompter& prompter,
             port::Clock& clock)
    : engine_(engine), programDir_(std::move(programDir)), prompter_(prompter), clock_(clock) {}

bool Login::start() {
    try {
        engine_.bind(Alias::Curr, programDir_);
        hasList_ = engine_.database(Alias::Curr).hasTable(kAccounts);
    } catch (const storage::CannotOpen& e) {
        prompter_.message(e.what());  // the file is there: say what is wrong with it
        return false;
    } catch (const storage::Busy& e) {
        prompter_.message(e.what());
        return false;
    } catch (const storage::Error&) {
        hasList_ = false;  // no database in the directory: the list is missing
    }
    if (!hasList_) prompter_.message(kNoAccountList);
    return hasList_;
}

std::vector<std::string> Login::accountNames() const {
    std::vector<std::string> names;
    if (!hasList_) return names;
    Cursor z(engine_.database(Alias::Curr), kAccounts);
    for (z.first(); !z.eof(); z.next()) names.push_back(z.text("User_name"));
    return names;
}

std::string Login::lastPicked() const {
    if (!hasList_) return {};
    Cursor z(engine_.database(Alias::Curr), kAccounts);
    for (z.first(); !z.eof(); z.next())
        if (z.logical("Now")) return z.text("User_name");
    return {};
}

void Login::pick(const std::string& name) {
    if (!hasList_) return;
    storage::Action action(engine_);
    Cursor z(engine_.database(Alias::Curr), kAccounts);
    for (z.first(); !z.eof(); z.next()) {
        if (z.logical("Now")) {
            z.setValue("Now", false);
            z.post();
        }
    }
    if (z.locate("User_name", {name})) {
        z.setValue("Now", true);
        z.post();
    }
}

std::unique_ptr<Session> Login::enter(const std::string& name, const std::string& password) {
    if (!hasList_) {
        prompter_.message(kNoAccountList);
        return nullptr;
    }
    std::string subdir;
    bool found = false;
    {
        Cursor z(engine_.database(Alias::Curr), kAccounts);
        for (z.first(); !z.eof() && !found; z.next()) {
            if (z.text("User_name") == name && passwordMatches(z.text("User_password"), password)) {
                subdir = z.text("Subdir");
                found = true;
            }
        }
    }
    if (!found) {
        prompter_.message(kWrongPassword);
        return nullptr;
    }
    auto accountDir = programDir_ / subdir;
    try {
        engine_.bind(Alias::Kvt, accountDir);
    } catch (const storage::CannotOpen& e) {
        prompter_.message(e.what());
        return nullptr;
    } catch (const storage::Busy& e) {
        prompter_.message(e.what());
        return nullptr;
    } catch (const storage::Error&) {
        prompter_.message(std::string(kNoAccountDir) + accountDir.string());
        return nullptr;
    }
    try {
        return std::make_unique<Session>(engine_, programDir_, name, accountDir, prompter_, clock_);
    } catch (const storage::Error& e) {
        engine_.unbind(Alias::Kvt);  // an account whose tables do not open is not logged in
        prompter_.message(e.what());
        return nullptr;
    }
}

void Login::logout() {
    engine_.unbind(Alias::Kvt);
}

}  // namespace varneth::app
