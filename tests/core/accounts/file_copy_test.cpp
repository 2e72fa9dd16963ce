#include "accounts/file_copy.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "app/program_directory.h"
#include "storage/cursor.h"
#include "storage/engine.h"
#include "support/temp_dir.h"

using namespace varneth;
using accounts::FileCopy;
using storage::Alias;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

using Direction = FileCopy::Direction;
using Outcome = FileCopy::Outcome;

constexpr FileCopy::Choice kAccountOnly{Direction::ToBackup, true, false};
constexpr FileCopy::Choice kBoth{Direction::ToBackup, true, true};
constexpr FileCopy::Choice kRestoreAccount{Direction::FromBackup, true, false};
constexpr FileCopy::Choice kRestoreBoth{Direction::FromBackup, true, true};

// Writes beyond `bytes` fail as on a full disk, for as long as the limit lives.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
};

class FileCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(prog, app::findDataDir(dir.path()), /*bare=*/true);
        app::createAccountDirectory(prog, prog / "zs");
    }
    FileCopy copier(const std::string& name, const std::string& subdir) {
        return FileCopy(prog, name, prog / subdir, prompter);
    }
    // Appends through a connection that stays open, as the running program's would.
    static void addRow(storage::Engine& e, const fs::path& accountDir, const char* code) {
        e.bind(Alias::Kvt, accountDir);
        storage::Cursor t(e.database(Alias::Kvt), "tr2.DBF");
        t.append();
        t.setValue("CODE", code);
        t.post();
    }
    static Strings codes(const fs::path& accountDir) {
        storage::Engine e;
        e.bind(Alias::Kvt, accountDir);
        Strings out;
        storage::Cursor t(e.database(Alias::Kvt), "tr2.DBF");
        for (t.first(); !t.eof(); t.next()) out.push_back(t.text("CODE"));
        return out;
    }

    testsupport::TempDir dir;
    fs::path prog = dir / "prog";
    fs::path backup = dir / "backup";
    port::ScriptedPrompter prompter;
};

TEST_F(FileCopyTest, BackupHoldsWhatWasCommittedAndRestoreBringsItBack) {
    storage::Engine live;
    addRow(live, prog / "user", "600000");
    std::ofstream(prog / "user" / "default.prd") << "25 lines";
    EXPECT_EQ(copier("我的帐户", "user").copy(kBoth, backup), Outcome::LoginEnded);
    EXPECT_EQ(prompter.said, Strings{FileCopy::kDone});
    EXPECT_TRUE(fs::exists(backup / "varneth" / "varneth.db"));
    EXPECT_FALSE(fs::exists(backup / "varneth" / "varneth.db-wal"));  // one file that opens anywhere
    EXPECT_TRUE(fs::exists(backup / "varneth" / "user" / "default.prd"));

    addRow(live, prog / "user", "000001");
    fs::remove(prog / "user" / "default.prd");
    prompter.expectAnswers({true});
    EXPECT_EQ(copier("我的帐户", "user").copy(kRestoreBoth, backup), Outcome::LoginEnded);
    EXPECT_EQ(prompter.questions, Strings{"这将覆盖硬盘中我的帐户的文件，继续吗?"});
    EXPECT_EQ(codes(prog / "user"), Strings{"600000"});
    EXPECT_TRUE(fs::exists(prog / "user" / "default.prd"));
}

TEST_F(FileCopyTest, RestoreStopsAtAMissingOrUnusableBackupBeforeWritingAnything) {
    FileCopy other = copier("张三", "zs");
    prompter.expectAnswers({false, true, true});
    EXPECT_EQ(other.copy(kRestoreAccount, backup), Outcome::Stayed);
    // The shared folder must be there even for the account's files alone.
    EXPECT_EQ(other.copy(kRestoreAccount, backup), Outcome::Stayed);
    fs::create_directories(backup / "varneth");
    EXPECT_EQ(other.copy(kRestoreAccount, backup), Outcome::Stayed);
    EXPECT_EQ(prompter.messages, (Strings{FileCopy::kNoSharedSource, FileCopy::kNoAccountSource}));

    EXPECT_EQ(other.copy(kBoth, backup), Outcome::Stayed);  // the shared tables only from "我的帐户"
    EXPECT_EQ(prompter.messages.back(), FileCopy::kSharedNeedsMyAccount);
    ASSERT_EQ(other.copy(kAccountOnly, backup), Outcome::LoginEnded);
    const fs::path saved = backup / "varneth" / "zs" / "varneth.db";
    storage::Database(saved).execute("DROP TABLE \"bi.db\"");
    storage::Engine live;
    addRow(live, prog / "zs", "600000");
    prompter.expectAnswers({true});
    EXPECT_EQ(other.copy(kRestoreAccount, backup), Outcome::Stayed);
    EXPECT_EQ(prompter.messages.back(), "数据文件缺少数据表bi.db：" + saved.string());
    EXPECT_TRUE(prompter.unexpected.empty());
    EXPECT_EQ(codes(prog / "zs"), Strings{"600000"});
}

TEST_F(FileCopyTest, ARestoreThatFailsMidwayLeavesTheOldTables) {
    ASSERT_EQ(copier("张三", "zs").copy(kAccountOnly, backup), Outcome::LoginEnded);
    storage::Database(backup / "varneth" / "zs" / "varneth.db")
        .execute(
            "INSERT INTO \"tr2.DBF\" (CODE, NOTE) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
            "FROM n WHERE i < 40000) SELECT printf('%06d', i), hex(randomblob(24)) FROM n");
    storage::Engine live;
    addRow(live, prog / "zs", "600000");
    prompter.expectAnswers({true});
    {
        FileSizeLimit full(1u << 20);  // the backup is several megabytes
        EXPECT_EQ(copier("张三", "zs").copy(kRestoreAccount, backup), Outcome::Stayed);
    }
    EXPECT_EQ(prompter.messages.back().rfind("无法复制到 " + (prog / "zs" / "varneth.db").string(), 0), 0u);
    EXPECT_EQ(codes(prog / "zs"), Strings{"600000"});
}

TEST_F(FileCopyTest, ABackupFolderOverlappingTheProgramDirectoryIsRefused) {
    EXPECT_EQ(copier("我的帐户", "user").copy(kBoth, prog), Outcome::Stayed);
    EXPECT_EQ(prompter.said, Strings{FileCopy::kOverlapsProgramDir + (prog / "varneth").string()});
    EXPECT_FALSE(fs::exists(prog / "varneth"));
}

}  // namespace
