#include "app/login.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/passwords.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"

using namespace varneth;
using storage::Alias;

namespace {

class LoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/true);
        // Two more accounts: one with a password, one sharing the directory of "我的帐户".
        storage::Engine e;
        e.bind(Alias::Curr, dir.path());
        storage::Cursor z(e.database(Alias::Curr), "z.db");
        addAccount(z, "张三", "pw1", "zs");
        addAccount(z, "李四", "pw2", "user");
        app::createAccountDirectory(dir.path(), dir / "zs");
    }
    static void addAccount(storage::Cursor& z, const char* name, const char* pw, const char* subdir) {
        z.append();
        z.setValue("User_name", name);
        z.setValue("User_password", app::hashPassword(pw));
        z.setValue("Subdir", subdir);
        z.post();
    }
    std::unique_ptr<app::Login> start() {
        auto l = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        l->start();
        return l;
    }

    testsupport::TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
};

TEST_F(LoginTest, NameAndHashedPasswordMustMatchTheSameAccount) {
    auto login = start();
    EXPECT_EQ(login->accountNames().size(), 3u);
    EXPECT_EQ(login->enter("张三", "pw2"), nullptr);  // 李四's password
    EXPECT_EQ(login->enter("张", "pw1"), nullptr);
    EXPECT_EQ(login->enter("张三", "PW1"), nullptr);
    EXPECT_EQ(login->enter("我的帐户", "x"), nullptr);  // an empty password means none
    EXPECT_EQ(prompter.messages, std::vector<std::string>(4, app::Login::kWrongPassword));
    EXPECT_FALSE(engine.isBound(Alias::Kvt));
    storage::Cursor z(engine.database(Alias::Curr), "z.db");
    ASSERT_TRUE(z.locate("User_name", {"张三"}));
    EXPECT_NE(z.text("User_password"), "pw1");
    auto s = login->enter("张三", "pw1");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(std::filesystem::canonical(engine.directory(Alias::Kvt)),
              std::filesystem::canonical(dir / "zs"));
}

TEST_F(LoginTest, ThePickedNameSurvivesARestart) {
    {
        auto login = start();
        EXPECT_EQ(login->lastPicked(), "我的帐户");
        login->pick("张三");
        EXPECT_EQ(login->lastPicked(), "张三");
    }
    engine.unbind(Alias::Curr);
    auto again = start();
    EXPECT_EQ(again->lastPicked(), "张三");
    storage::Cursor z(engine.database(Alias::Curr), "z.db");
    int marked = 0;
    for (z.first(); !z.eof(); z.next()) marked += z.logical("Now");
    EXPECT_EQ(marked, 1);
}

TEST_F(LoginTest, TwoAccountsWithOneSubdirShareOneLedger) {
    auto login = start();
    {
        auto s = login->enter("我的帐户", "");
        ASSERT_NE(s, nullptr);
        storage::Cursor t(s->kvt(), "tr2.DBF");
        t.append();
        t.setValue("CODE", "600000");
        t.post();
        login->logout();
    }
    auto s = login->enter("李四", "pw2");
    ASSERT_NE(s, nullptr);
    storage::Cursor t(s->kvt(), "tr2.DBF");
    EXPECT_TRUE(t.locate("CODE", {"600000"}));
}

TEST_F(LoginTest, MissingListOrAccountDirectoryIsToldAndNothingIsWritten) {
    testsupport::TempDir empty;
    app::Login none(engine, empty.path(), prompter, clock);
    EXPECT_FALSE(none.start());
    EXPECT_EQ(prompter.messages.back(), app::Login::kNoAccountList);
    EXPECT_EQ(none.enter("我的帐户", ""), nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(empty.path()));

    std::filesystem::remove_all(dir / "zs");
    auto login = start();
    EXPECT_EQ(login->enter("张三", "pw1"), nullptr);
    EXPECT_EQ(prompter.messages.back().rfind(app::Login::kNoAccountDir, 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "zs"));
}

TEST(ProgramDirectoryTest, RefusesADirectoryThatHoldsTablesOrFiles) {
    testsupport::TempDir dir;
    auto data = app::findDataDir(dir.path());
    app::createProgramDirectory(dir / "p", data, true);
    EXPECT_THROW(app::createProgramDirectory(dir / "p", data, true), app::SeedError);
    std::filesystem::create_directory(dir / "q");
    { std::ofstream(dir / "q" / "note.txt") << "mine"; }
    EXPECT_THROW(app::createProgramDirectory(dir / "q", data, true), app::SeedError);
    EXPECT_TRUE(std::filesystem::exists(dir / "q" / "note.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "q.init-tmp"));
}

}  // namespace
