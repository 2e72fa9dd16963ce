#include "accounts/file_copy.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "app/passwords.h"
#include "app/program_directory.h"
#include "storage/cursor.h"
#include "storage/engine.h"
#include "support/temp_dir.h"

using namespace varneth;
using accounts::FileCopy;
using storage::Alias;
namespace fs = std::filesystem;

namespace {

using Choice = FileCopy::Choice;
using Direction = FileCopy::Direction;
using Outcome = FileCopy::Outcome;

constexpr Choice kAccountOnly{Direction::ToBackup, true, false};
constexpr Choice kBoth{Direction::ToBackup, true, true};

Choice restoring(Choice c) {
    c.direction = Direction::FromBackup;
    return c;
}

// Writes beyond `bytes` fail as on a full disk, for as long as the limit lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

class FileCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(prog, app::findDataDir(dir.path()), /*bare=*/true);
        storage::Engine e;
        e.bind(Alias::Curr, prog);
        storage::Cursor z(e.database(Alias::Curr), "z.db");
        z.append();
        z.setValue("User_name", "张三");
        z.setValue("User_password", app::hashPassword("pw"));
        z.setValue("Subdir", "zs");
        z.post();
        app::createAccountDirectory(prog, prog / "zs");
    }
    FileCopy copier(const std::string& name, const std::string& subdir) {
        return FileCopy(prog, name, prog / subdir, prompter);
    }
    static void addRow(storage::Engine& e, const fs::path& accountDir, const char* code) {
        e.bind(Alias::Kvt, accountDir);
        storage::Cursor t(e.database(Alias::Kvt), "tr2.DBF");
        t.append();
        t.setValue("CODE", code);
        t.post();
    }
    static std::vector<std::string> codes(const fs::path& accountDir) {
        storage::Engine e;
        e.bind(Alias::Kvt, accountDir);
        std::vector<std::string> out;
        storage::Cursor t(e.database(Alias::Kvt), "tr2.DBF");
        for (t.first(); !t.eof(); t.next()) out.push_back(t.text("CODE"));
        return out;
    }
    static int accounts(const fs::path& programDir) {
        storage::Engine e;
        e.bind(Alias::Curr, programDir);
        return storage::Cursor(e.database(Alias::Curr), "z.db").count();
    }

    testsupport::TempDir dir;
    fs::path prog = dir / "prog";
    fs::path backup = dir / "backup";
    port::ScriptedPrompter prompter;
};

TEST_F(FileCopyTest, BackupHoldsWhatWasCommittedAndRestoreBringsItBack) {
    {
        // Still open and unmerged into the database file, as in a running program.
        storage::Engine live;
        addRow(live, prog / "user", "600000");
        EXPECT_EQ(copier("我的帐户", "user").copy(kBoth, backup), Outcome::LoginEnded);
    }
    EXPECT_EQ(prompter.said, std::vector<std::string>{FileCopy::kDone});
    for (const fs::path& d : {backup / "varneth", backup / "varneth" / "user"}) {
        EXPECT_TRUE(fs::exists(d / "varneth.db")) << d;
        EXPECT_FALSE(fs::exists(d / "varneth.db-wal")) << d;
    }

    {
        storage::Engine live;
        addRow(live, prog / "user", "000001");
        live.bind(Alias::Curr, prog);
        storage::Cursor z(live.database(Alias::Curr), "z.db");
        ASSERT_TRUE(z.locate("User_name", {"张三"}));
        z.remove();
        prompter.expectAnswers({true});
        EXPECT_EQ(copier("我的帐户", "user").copy(restoring(kBoth), backup), Outcome::LoginEnded);
    }
    EXPECT_EQ(prompter.questions, std::vector<std::string>{"这将覆盖硬盘中我的帐户的文件，继续吗?"});
    EXPECT_EQ(prompter.messages.back(), FileCopy::kDone);
    EXPECT_EQ(codes(prog / "user"), std::vector<std::string>{"600000"});
    EXPECT_EQ(accounts(prog), 2);
}

TEST_F(FileCopyTest, OnlyMyAccountCopiesTheSharedFiles) {
    FileCopy other = copier("张三", "zs");
    EXPECT_FALSE(other.maySharedFiles());
    EXPECT_TRUE(copier("我的帐户", "user").maySharedFiles());
    EXPECT_EQ(other.copy(kBoth, backup), Outcome::Stayed);
    EXPECT_EQ(prompter.said, std::vector<std::string>{FileCopy::kSharedNeedsMyAccount});
    EXPECT_FALSE(fs::exists(backup));

    EXPECT_EQ(other.copy(kAccountOnly, backup), Outcome::LoginEnded);
    EXPECT_TRUE(fs::exists(backup / "varneth" / "zs" / "varneth.db"));
    EXPECT_FALSE(fs::exists(backup / "varneth" / "varneth.db"));
}

TEST_F(FileCopyTest, RestoreStopsAtAMissingBackupFolderBeforeWritingAnything) {
    storage::Engine live;
    addRow(live, prog / "zs", "600000");
    FileCopy other = copier("张三", "zs");

    prompter.expectAnswers({false});
    EXPECT_EQ(other.copy(restoring(kAccountOnly), backup), Outcome::Stayed);
    EXPECT_TRUE(prompter.messages.empty());

    // Even for the account's files alone, the shared folder must be there.
    prompter.expectAnswers({true, true});
    EXPECT_EQ(other.copy(restoring(kAccountOnly), backup), Outcome::Stayed);
    fs::create_directories(backup / "varneth");
    EXPECT_EQ(other.copy(restoring(kAccountOnly), backup), Outcome::Stayed);
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{FileCopy::kNoSharedSource, FileCopy::kNoAccountSource}));
    EXPECT_EQ(prompter.questions.size(), 3u);
    EXPECT_TRUE(prompter.unexpected.empty());
    EXPECT_EQ(codes(prog / "zs"), std::vector<std::string>{"600000"});
}

TEST_F(FileCopyTest, ABackupThatIsDamagedOrLacksATableIsNotRestored) {
    ASSERT_EQ(copier("张三", "zs").copy(kAccountOnly, backup), Outcome::LoginEnded);
    storage::Engine live;
    addRow(live, prog / "zs", "600000");
    const fs::path saved = backup / "varneth" / "zs" / "varneth.db";
    {
        storage::Database db(saved);
        db.execute("DROP TABLE \"bi.db\"");
    }
    prompter.expectAnswers({true, true});
    EXPECT_EQ(copier("张三", "zs").copy(restoring(kAccountOnly), backup), Outcome::Stayed);
    EXPECT_EQ(prompter.messages.back(), "数据文件缺少数据表bi.db：" + saved.string());

    fs::remove(saved.string() + "-wal");
    fs::remove(saved.string() + "-shm");
    std::ofstream(saved, std::ios::trunc) << "not a database";
    EXPECT_EQ(copier("张三", "zs").copy(restoring(kAccountOnly), backup), Outcome::Stayed);
    EXPECT_EQ(prompter.messages.back(), "数据文件不能用（不是Varneth的数据库或已损坏）：" + saved.string());
    EXPECT_EQ(codes(prog / "zs"), std::vector<std::string>{"600000"});
}

TEST_F(FileCopyTest, ARestoreThatFailsMidwayLeavesTheOldTables) {
    // A backup of the same Subdir, several megabytes big.
    const fs::path big = dir / "big";
    app::createProgramDirectory(big, app::findDataDir(dir.path()), /*bare=*/true);
    {
        storage::Engine e;
        e.bind(Alias::Kvt, big / "user");
        e.database(Alias::Kvt)
            .execute(
                "INSERT INTO \"tr2.DBF\" (CODE, NAME, NOTE) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                "SELECT i + 1 FROM n WHERE i < 40000) SELECT printf('%06d', i), 'name' || i, "
                "hex(randomblob(24)) FROM n");
    }
    ASSERT_EQ(FileCopy(big, "我的帐户", big / "user", prompter).copy(kAccountOnly, backup),
              Outcome::LoginEnded);
    ASSERT_GT(fs::file_size(backup / "varneth" / "user" / "varneth.db"), 3u << 20);

    storage::Engine live;
    addRow(live, prog / "user", "600000");
    prompter.messages.clear();
    prompter.expectAnswers({true});
    {
        FileSizeLimit full(1u << 20);
        EXPECT_EQ(copier("我的帐户", "user").copy(restoring(kAccountOnly), backup), Outcome::Stayed);
    }
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].rfind("无法复制到 " + (prog / "user" / "varneth.db").string(), 0), 0u)
        << prompter.messages[0];
    EXPECT_EQ(codes(prog / "user"), std::vector<std::string>{"600000"});
}

TEST_F(FileCopyTest, ABackupFolderInsideTheProgramDirectoryIsRefused) {
    EXPECT_EQ(copier("我的帐户", "user").copy(kBoth, prog), Outcome::Stayed);
    EXPECT_EQ(prompter.said,
              std::vector<std::string>{FileCopy::kOverlapsProgramDir + (prog / "varneth").string()});
    EXPECT_FALSE(fs::exists(prog / "varneth"));
    // Nor one whose "varneth" holds the program directory: its Subdir folder could be the shared tables.
    EXPECT_EQ(FileCopy(dir / "varneth" / "user", "我的帐户", dir / "varneth" / "user" / "user", prompter)
                  .copy(kBoth, dir.path()),
              Outcome::Stayed);
    EXPECT_EQ(prompter.said.back(), FileCopy::kOverlapsProgramDir + (dir / "varneth").string());
}

}  // namespace
