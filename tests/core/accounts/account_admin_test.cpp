#include "accounts/account_admin.h"

#include <gtest/gtest.h>

#include <fstream>

#include "accounts/password_change.h"
#include "app/login.h"
#include "app/passwords.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"

using namespace varneth;
using accounts::AccountAdmin;
using accounts::PasswordChange;
using storage::Alias;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

class AccountAdminTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(prog, app::findDataDir(dir.path()), /*bare=*/true);
        engine.bind(Alias::Curr, prog);
    }
    // A row written directly, as an older or hand-edited list may hold it.
    void listAccount(const char* name, const char* password, const char* subdir) {
        storage::Cursor z(engine.database(Alias::Curr), "z.db");
        z.append();
        z.setValue("User_name", name);
        z.setValue("User_password", app::hashPassword(password));
        z.setValue("Subdir", subdir);
        z.post();
    }
    std::size_t accountCount() { return admin.accounts().size(); }
    bool logsIn(const std::string& name, const std::string& password) {
        storage::Engine other;
        app::Login login(other, prog, prompter, clock);
        login.start();
        return login.enter(name, password) != nullptr;
    }

    testsupport::TempDir dir;
    fs::path prog = dir / "prog";
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    AccountAdmin admin{engine, prog, prompter};
};

TEST_F(AccountAdminTest, NamesCompareExactlyAndANewAccountLogsInWithItsHashedPassword) {
    EXPECT_EQ(admin.add("Tom", "tom", "pw"), AccountAdmin::Added::Done);
    EXPECT_EQ(admin.add("tom", "tom2", ""), AccountAdmin::Added::Done);
    EXPECT_EQ(admin.add("Tom", "tom3", ""), AccountAdmin::Added::FixName);
    EXPECT_EQ(admin.add("李四", "tom", ""), AccountAdmin::Added::FixSubdir);
    EXPECT_EQ(admin.add("张三李四王", "zs", ""), AccountAdmin::Added::FixName);  // 10 bytes: would be cut
    EXPECT_EQ(admin.add(" ", "zs", ""), AccountAdmin::Added::FixName);
    EXPECT_EQ(prompter.messages,
              (Strings{AccountAdmin::kAdded, AccountAdmin::kAdded, AccountAdmin::kNameTaken,
                       AccountAdmin::kSubdirTaken, AccountAdmin::kNameTooLong, AccountAdmin::kNameEmpty}));
    EXPECT_EQ(accountCount(), 3u);
    EXPECT_TRUE(logsIn("Tom", "pw"));
    EXPECT_FALSE(logsIn("tom", "pw"));
    EXPECT_TRUE(logsIn("tom", ""));
    storage::Cursor z(engine.database(Alias::Curr), "z.db");
    ASSERT_TRUE(z.locate("User_name", {"Tom"}));
    EXPECT_NE(z.text("User_password"), "pw");
}

TEST_F(AccountAdminTest, ASubdirThatCouldReachOutsideOrIsNotOursIsRefused) {
    fs::create_directory(dir / "victim");
    fs::create_directory(prog / "docs");
    std::ofstream(prog / "docs" / "note.txt") << "mine";
    fs::create_directory_symlink(dir / "victim", prog / "lnk");
    for (const char* subdir :
         {"", "..", "../victim", "a/b", "a\\b", "/tmp", "empty", "abcdefghi", "docs", "lnk"}) {
        prompter.messages.clear();
        EXPECT_EQ(admin.add("张三", subdir, ""), AccountAdmin::Added::FixSubdir) << subdir;
        ASSERT_EQ(prompter.messages.size(), 1u) << subdir;
    }
    EXPECT_EQ(prompter.messages[0], AccountAdmin::kForeignDirectory + (prog / "lnk").string());
    EXPECT_EQ(accountCount(), 1u);
    EXPECT_TRUE(fs::is_empty(dir / "victim"));
    EXPECT_FALSE(app::holdsTables(prog / "docs"));

    // A directory already holding an account's tables (restored first) is taken as it is.
    fs::create_directory(prog / "zs");
    fs::copy_file(prog / "user" / "varneth.db", prog / "zs" / "varneth.db");
    EXPECT_EQ(admin.add("张三", " zs ", ""), AccountAdmin::Added::Done);
}

TEST_F(AccountAdminTest, DeletingAsksTheAccountsOwnPasswordSparesTheProtectedAndKeepsOtherFiles) {
    listAccount("示范帐户", "demo", "user");
    ASSERT_EQ(admin.add("张三", "zs", "zpw"), AccountAdmin::Added::Done);
    prompter.messages.clear();
    EXPECT_EQ(admin.remove("我的帐户", ""), AccountAdmin::Deleted::Refused);
    EXPECT_EQ(admin.remove("示范帐户", "demo"), AccountAdmin::Deleted::Refused);
    EXPECT_EQ(admin.remove("张", "zpw"), AccountAdmin::Deleted::FixAccount);
    EXPECT_EQ(admin.remove("张三", "ZPW"), AccountAdmin::Deleted::FixPassword);
    EXPECT_EQ(prompter.messages, (Strings{AccountAdmin::kProtected, AccountAdmin::kProtected,
                                          AccountAdmin::kNotFound, AccountAdmin::kWrongPassword}));
    EXPECT_EQ(accountCount(), 3u);

    std::ofstream(prog / "zs" / "report.txt") << "kept";
    EXPECT_EQ(admin.remove("张三", "zpw"), AccountAdmin::Deleted::Done);
    EXPECT_EQ(prompter.messages.back(), AccountAdmin::kDeleted);
    EXPECT_EQ(accountCount(), 2u);
    EXPECT_FALSE(app::holdsTables(prog / "zs"));
    EXPECT_TRUE(fs::exists(prog / "zs" / "report.txt"));  // and the directory with it
}

TEST_F(AccountAdminTest, DeletingKeepsTablesAnotherAccountLivesOnAndNeverLeavesItsDirectory) {
    listAccount("李四", "", "user");         // shares the directory of "我的帐户"
    listAccount("老帐户", "", "../victim");  // from a list written before Subdirs were checked
    fs::create_directory(dir / "victim");
    fs::copy_file(prog / "user" / "varneth.db", dir / "victim" / "varneth.db");
    ASSERT_EQ(admin.add("张三", "zs", ""), AccountAdmin::Added::Done);
    engine.bind(Alias::Kvt, prog / "zs");  // logged in there

    for (const char* name : {"李四", "老帐户", "张三"})
        EXPECT_EQ(admin.remove(name, ""), AccountAdmin::Deleted::Done);
    EXPECT_EQ(accountCount(), 1u);
    EXPECT_TRUE(logsIn("我的帐户", ""));
    EXPECT_TRUE(app::holdsTables(dir / "victim"));
    EXPECT_TRUE(app::holdsTables(prog / "zs"));
}

TEST_F(AccountAdminTest, APasswordChangeNeedsTheOldOneAndTwoEqualNewOnesAndMayEmptyIt) {
    listAccount("张三", "old", "user");
    PasswordChange change{engine, "张三", prompter};
    EXPECT_EQ(change.change("OLD", "new", "new"), PasswordChange::Result::FixOld);
    EXPECT_EQ(change.change("old", "new", "neu"), PasswordChange::Result::FixNew);
    EXPECT_EQ(change.change("old", "old", "old"), PasswordChange::Result::Unchanged);
    EXPECT_EQ(prompter.messages,
              (Strings{PasswordChange::kWrongOld, PasswordChange::kNewDiffer, PasswordChange::kUnchanged}));
    EXPECT_TRUE(logsIn("张三", "old"));

    EXPECT_EQ(change.change("old", "", ""), PasswordChange::Result::Changed);
    EXPECT_EQ(prompter.messages.back(), PasswordChange::kChanged);
    EXPECT_FALSE(logsIn("张三", "old"));
    EXPECT_TRUE(logsIn("张三", ""));
}

}  // namespace
