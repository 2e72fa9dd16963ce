#include "accounts/linked_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "port/clock.h"
#include "port/prompter.h"
#include "support/temp_dir.h"

using namespace varneth;
using accounts::LinkedProgram;
using port::LaunchResult;
namespace fs = std::filesystem;

namespace {

struct FakeLauncher : port::Launcher {
    LaunchResult startProgram(const std::string& path, const std::string& parameters, port::ShowMode) override {
        calls.push_back(path + "|" + parameters);
        return result;
    }
    LaunchResult openLink(const std::string&) override { return LaunchResult::Failed; }
    LaunchResult result = LaunchResult::Started;
    std::vector<std::string> calls;
};

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write(const fs::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

class LinkedProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = "/tmp/vlXXXXXX";  // the program's directory must fit the 25 bytes of Path
        prog = mkdtemp(tmpl.data());
        engine.bind(storage::Alias::Curr, dir.path(), /*create=*/true);
        engine.database(storage::Alias::Curr).createTables(storage::Alias::Curr);
        write(prog / "wt.sh", "#!/bin/sh\n");
    }
    void TearDown() override { fs::remove_all(prog); }
    std::string progText() const { return prog.string() + "/"; }
    std::unique_ptr<LinkedProgram> open() {
        return std::make_unique<LinkedProgram>(engine, "/home/fund/varneth", "/home/fund/varneth/user", prompter,
                                               clock);
    }

    testsupport::TempDir dir;
    fs::path prog;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
};

TEST_F(LinkedProgramTest, TheRowChosenLastIsCurrentAtTheNextStart) {
    auto lp = open();
    ASSERT_TRUE(lp->setProgram(progText(), "wt.sh"));  // an empty list gets its first row, marked
    ASSERT_TRUE(lp->setProgram("/opt/b", "b.exe"));     // then the current row is edited
    EXPECT_EQ(lp->programs().count(), 1);
    EXPECT_EQ(lp->path(), "/opt/b/");

    storage::Cursor& rows = lp->programs();
    rows.append();
    rows.setValue("Path", "/a/");
    rows.setValue("Name", "a.exe");
    rows.post();
    EXPECT_EQ(open()->name(), "b.exe");
    lp->dropDownOpened();
    for (rows.first(); !rows.eof(); rows.next()) EXPECT_FALSE(rows.logical("Now"));
    lp->choose(0);  // "/a/" sorts first
    EXPECT_EQ(open()->name(), "a.exe");
}

TEST_F(LinkedProgramTest, APathOrNameWiderThanItsFieldIsRefusedWholeWithNothingWritten) {
    auto lp = open();
    EXPECT_FALSE(lp->setProgram("/opt/brokers/huatai/binary", "wt.exe"));  // 26 bytes and the separator
    EXPECT_FALSE(lp->setProgram("/opt/", "委托程序下单.exe"));  // six Chinese characters: 16 bytes
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{"路径：/opt/brokers/huatai/binary/ 太长，最多25字节(汉字算两字节)。",
                                        "程序名：委托程序下单.exe 太长，最多15字节(汉字算两字节)。"}));
    EXPECT_TRUE(lp->programs().isEmpty());
    EXPECT_TRUE(lp->setProgram("/opt/brokers/huatai/bina", "委托程序下.exe"));  // 25 and 14 fit
}

TEST_F(LinkedProgramTest, ClosingChecksTheProgramThenWritesOrRewritesTheLinkFile) {
    auto lp = open();
    EXPECT_FALSE(lp->closing());
    ASSERT_TRUE(lp->setProgram(progText(), "missing.sh"));
    EXPECT_FALSE(lp->closing());
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{LinkedProgram::kNotSet, LinkedProgram::kProgramMissing}));
    EXPECT_FALSE(fs::exists(prog / "path.txt"));

    ASSERT_TRUE(lp->setField(LinkedProgram::kName, "wt.sh"));
    EXPECT_TRUE(lp->closing());
    EXPECT_EQ(slurp(prog / "path.txt"), "/home/fund/varneth\n/home/fund/varneth/user\n2026-12-07\n");

    // Lines 3 to 5 belong to the order program and stay; so do Windows line ends.
    write(prog / "path.txt", "c:\\old\nc:\\old\\user\n2001-05-06\n委托口令\nline5\n");
    EXPECT_TRUE(lp->closing());
    EXPECT_EQ(slurp(prog / "path.txt"), "/home/fund/varneth\n/home/fund/varneth/user\n2001-05-06\n委托口令\nline5\n");
    write(prog / "path.txt", "a\r\nb\r\nc\r\n");
    EXPECT_TRUE(lp->closing());
    EXPECT_EQ(slurp(prog / "path.txt"), "/home/fund/varneth\r\n/home/fund/varneth/user\r\nc\r\n");
    EXPECT_EQ(prompter.messages.size(), 2u);
}

TEST_F(LinkedProgramTest, LaunchStartsTheStoredFileWithItsDirectoryAsCommandLine) {
    FakeLauncher launcher;
    auto lp = open();
    EXPECT_EQ(lp->launch(launcher), LaunchResult::FileNotFound);  // nothing set: nothing to start
    EXPECT_TRUE(launcher.calls.empty());
    ASSERT_TRUE(lp->setProgram(progText(), "wt.sh"));
    EXPECT_EQ(lp->launch(launcher), LaunchResult::Started);
    EXPECT_EQ(launcher.calls, std::vector<std::string>{progText() + "wt.sh|\"" + progText() + "\""});
    launcher.result = LaunchResult::Failed;
    EXPECT_EQ(lp->launch(launcher), LaunchResult::Failed);
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{LinkedProgram::kLaunchNotFound, LinkedProgram::kLaunchFailed}));
}

}  // namespace
