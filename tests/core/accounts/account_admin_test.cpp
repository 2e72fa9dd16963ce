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
namespace fs = std::filesystem;

namespace {

class AccountAdminTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(prog, app::findDataDir(dir.path()), /*bare=*/true);
        engine.bind(Alias::Curr, prog);
    }
    // An account row written directly, as an older list may hold it.
    void listAccount(const char* name, const char* password, const char* subdir) {
        storage::Cursor z(engine.database(Alias::Curr), "z.db");
        z.append();
        z.setValue("User_name", name);
        z.setValue("User_password", app::hashPassword(password));
        z.setValue("Subdir", subdir);
        z.post();
    }
    int accountCount() { return static_cast<int>(admin.accounts().size()); }
    bool logsIn(const std::string& name, const std::string& password) {
        storage::Engine other;
        app::Login login(other, prog, prompter, clock);
        login.start();
        return login.enter(name, password) != nullptr;
    }
    static void write(const fs::path& file, const char* text) { std::ofstream(file) << text; }

    testsupport::TempDir dir;
    fs::path prog = dir / "prog";
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    AccountAdmin admin{engine, prog, prompter};
};

TEST_F(AccountAdminTest, NamesCompareExactlyAndANewAccountLogsIn) {
    EXPECT_EQ(admin.add("Tom", "tom", "pw"), AccountAdmin::Added::Done);
    EXPECT_EQ(admin.add("tom", "tom2", ""), AccountAdmin::Added::Done);  // another letter case: another name
    EXPECT_EQ(admin.add("Tom", "tom3", ""), AccountAdmin::Added::FixName);
    EXPECT_EQ(admin.add("李四", "tom", ""), AccountAdmin::Added::FixSubdir);
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{AccountAdmin::kAdded, AccountAdmin::kAdded, AccountAdmin::kNameTaken,
                                        AccountAdmin::kSubdirTaken}));
    EXPECT_EQ(accountCount(), 3);
    EXPECT_FALSE(fs::exists(prog / "tom3"));

    EXPECT_TRUE(app::holdsTables(prog / "tom2"));
    EXPECT_TRUE(logsIn("Tom", "pw"));
    EXPECT_FALSE(logsIn("tom", "pw"));
    EXPECT_TRUE(logsIn("tom", ""));
    storage::Cursor z(engine.database(Alias::Curr), "z.db");
    ASSERT_TRUE(z.locate("User_name", {"Tom"}));
    EXPECT_NE(z.text("User_password"), "pw");
}

TEST_F(AccountAdminTest, ANameLongerThanTheListKeepsIsRefused) {
    EXPECT_EQ(admin.add("张三李四王", "zs", ""), AccountAdmin::Added::FixName);  // 10 bytes in GBK
    EXPECT_EQ(prompter.messages.back(), AccountAdmin::kNameTooLong);
    EXPECT_EQ(admin.add("张三李四", "zs", ""), AccountAdmin::Added::Done);
}

TEST_F(AccountAdminTest, ASubdirThatCouldReachOutsideIsRefused) {
    fs::create_directory(dir / "victim");
    for (const char* subdir : {"", ".", "..", "../victim", "a/b", "a\\b", "/tmp", "c:x", "empty", "EMPTY",
                               "abcdefghi", "汉字汉字汉"}) {
        prompter.messages.clear();
        EXPECT_EQ(admin.add("张三", subdir, ""), AccountAdmin::Added::FixSubdir) << subdir;
        ASSERT_EQ(prompter.messages.size(), 1u) << subdir;
        EXPECT_NE(prompter.messages[0], AccountAdmin::kAdded) << subdir;
    }
    EXPECT_EQ(accountCount(), 1);
    EXPECT_TRUE(fs::is_empty(dir / "victim"));
    EXPECT_FALSE(fs::exists(prog / "a"));

    // Directories that are already there: somebody else's folder, a link out, a file.
    fs::create_directory(prog / "docs");
    write(prog / "docs" / "note.txt", "mine");
    fs::create_directory_symlink(dir / "victim", prog / "lnk");
    write(prog / "file", "x");
    for (const char* subdir : {"docs", "lnk", "file"}) {
        EXPECT_EQ(admin.add("张三", subdir, ""), AccountAdmin::Added::FixSubdir) << subdir;
        EXPECT_EQ(prompter.messages.back(), AccountAdmin::kForeignDirectory + (prog / subdir).string());
    }
    EXPECT_TRUE(fs::is_empty(dir / "victim"));
    EXPECT_FALSE(app::holdsTables(prog / "docs"));
    EXPECT_EQ(accountCount(), 1);
}

TEST_F(AccountAdminTest, AnEmptyDirectoryIsFilledAndOneWithAnAccountsTablesTakenAsItIs) {
    fs::create_directory(prog / "ls");
    EXPECT_EQ(admin.add("李四", " ls ", ""), AccountAdmin::Added::Done);  // the box is trimmed
    EXPECT_TRUE(app::holdsTables(prog / "ls"));

    // Restored before the account is added again: the template does not overwrite it.
    fs::create_directory(prog / "zs");
    fs::copy_file(prog / "ls" / "varneth.db", prog / "zs" / "varneth.db");
    {
        storage::Engine e;
        e.bind(Alias::Kvt, prog / "zs");
        storage::Cursor t(e.database(Alias::Kvt), "tr2.DBF");
        t.append();
        t.setValue("CODE", "000001");
        t.post();
    }
    EXPECT_EQ(admin.add("张三", "zs", ""), AccountAdmin::Added::Done);
    storage::Engine e;
    e.bind(Alias::Kvt, prog / "zs");
    EXPECT_EQ(storage::Cursor(e.database(Alias::Kvt), "tr2.DBF").count(), 1);
}

TEST_F(AccountAdminTest, DeletingAsksTheAccountsOwnPasswordAndSparesTheProtectedOnes) {
    listAccount("示范帐户", "demo", "user");
    ASSERT_EQ(admin.add("张三", "zs", "zpw"), AccountAdmin::Added::Done);
    prompter.messages.clear();
    EXPECT_EQ(admin.remove("我的帐户", ""), AccountAdmin::Deleted::Refused);
    EXPECT_EQ(admin.remove("示范帐户", "demo"), AccountAdmin::Deleted::Refused);
    EXPECT_EQ(admin.remove("张", "zpw"), AccountAdmin::Deleted::FixAccount);
    EXPECT_EQ(admin.remove("张三", "ZPW"), AccountAdmin::Deleted::FixPassword);
    EXPECT_EQ(admin.remove("张三", ""), AccountAdmin::Deleted::FixPassword);
    EXPECT_EQ(
        prompter.messages,
        (std::vector<std::string>{AccountAdmin::kProtected, AccountAdmin::kProtected, AccountAdmin::kNotFound,
                                  AccountAdmin::kWrongPassword, AccountAdmin::kWrongPassword}));
    EXPECT_EQ(accountCount(), 3);
    EXPECT_TRUE(app::holdsTables(prog / "user"));

    write(prog / "zs" / "report.txt", "kept");
    EXPECT_EQ(admin.remove("张三", "zpw"), AccountAdmin::Deleted::Done);
    EXPECT_EQ(prompter.messages.back(), AccountAdmin::kDeleted);
    EXPECT_EQ(accountCount(), 2);
    EXPECT_FALSE(app::holdsTables(prog / "zs"));
    EXPECT_TRUE(fs::exists(prog / "zs" / "report.txt"));  // other files stay, and the directory with them

    ASSERT_EQ(admin.add("李四", "ls", ""), AccountAdmin::Added::Done);
    EXPECT_EQ(admin.remove("李四", ""), AccountAdmin::Deleted::Done);
    EXPECT_FALSE(fs::exists(prog / "ls"));
}

TEST_F(AccountAdminTest, DeletingKeepsTablesAnotherAccountLivesOnAndNeverLeavesItsDirectory) {
    listAccount("李四", "", "user");         // shares the directory of "我的帐户"
    listAccount("老帐户", "", "../victim");  // from a list written before Subdirs were checked
    listAccount("模板", "", "empty");
    fs::create_directory(dir / "victim");
    fs::copy_file(prog / "user" / "varneth.db", dir / "victim" / "varneth.db");

    for (const char* name : {"李四", "老帐户", "模板"})
        EXPECT_EQ(admin.remove(name, ""), AccountAdmin::Deleted::Done);
    EXPECT_EQ(accountCount(), 1);
    EXPECT_TRUE(app::holdsTables(prog / "user"));
    EXPECT_TRUE(app::holdsTables(dir / "victim"));
    EXPECT_TRUE(app::holdsTables(prog / "empty"));
    EXPECT_TRUE(logsIn("我的帐户", ""));

    // Nor the directory the engine has open as the account logged in.
    ASSERT_EQ(admin.add("张三", "zs", ""), AccountAdmin::Added::Done);
    engine.bind(Alias::Kvt, prog / "zs");
    EXPECT_EQ(admin.remove("张三", ""), AccountAdmin::Deleted::Done);
    EXPECT_TRUE(app::holdsTables(prog / "zs"));
}

class PasswordChangeTest : public AccountAdminTest {
protected:
    void SetUp() override {
        AccountAdminTest::SetUp();
        listAccount("张三", "old", "user");
    }
    PasswordChange change{engine, "张三", prompter};
};

TEST_F(PasswordChangeTest, TheOldPasswordAndTwoEqualNewOnesAreNeeded) {
    EXPECT_EQ(change.change("OLD", "new", "new"), PasswordChange::Result::FixOld);
    EXPECT_EQ(change.change("old", "new", "neu"), PasswordChange::Result::FixNew);
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{PasswordChange::kWrongOld, PasswordChange::kNewDiffer}));
    EXPECT_TRUE(logsIn("张三", "old"));

    EXPECT_EQ(change.change("old", "new", "new"), PasswordChange::Result::Changed);
    EXPECT_EQ(prompter.messages.back(), PasswordChange::kChanged);
    EXPECT_FALSE(logsIn("张三", "old"));
    EXPECT_TRUE(logsIn("张三", "new"));
}

TEST_F(PasswordChangeTest, TheSamePasswordIsNoChangeAndAnEmptyOneMeansNone) {
    EXPECT_EQ(change.change("old", "old", "old"), PasswordChange::Result::Unchanged);
    EXPECT_EQ(prompter.messages.back(), PasswordChange::kUnchanged);
    EXPECT_TRUE(logsIn("张三", "old"));

    EXPECT_EQ(change.change("old", "", ""), PasswordChange::Result::Changed);
    EXPECT_TRUE(logsIn("张三", ""));
    EXPECT_FALSE(logsIn("张三", "old"));
}

}  // namespace
