#include "accounts/linked_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "port/clock.h"
#include "port/prompter.h"
#include "storage/schema.h"
#include "support/temp_dir.h"

using namespace varneth;
using accounts::LinkedProgram;
using port::LaunchResult;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

struct FakeLauncher : port::Launcher {
    LaunchResult startProgram(const std::string& path, const std::string& parameters,
                              port::ShowMode) override {
        calls.push_back(path + "|" + parameters);
        return result;
    }
    LaunchResult openLink(const std::string&) override { return LaunchResult::Failed; }
    LaunchResult result = LaunchResult::Started;
    Strings calls;
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
        std::string tmpl = "/tmp/vlXXXXXX";  // short enough for the Path field however wide it is
        prog = mkdtemp(tmpl.data());
        engine.bind(storage::Alias::Curr, dir.path(), /*create=*/true);
        engine.database(storage::Alias::Curr).createTables(storage::Alias::Curr);
        write(prog / "wt.sh", "#!/bin/sh\n");
    }
    void TearDown() override { fs::remove_all(prog); }
    std::string progText() const { return prog.string() + "/"; }
    std::unique_ptr<LinkedProgram> open() {
        return std::make_unique<LinkedProgram>(engine, "/home/fund/varneth", "/home/fund/varneth/user",
                                               prompter, clock);
    }

    testsupport::TempDir dir;
    fs::path prog;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
};

TEST_F(LinkedProgramTest, TheRowChosenLastIsCurrentAtTheNextStartAndIsTheOneLaunched) {
    FakeLauncher launcher;
    auto lp = open();
    EXPECT_EQ(lp->launch(launcher), LaunchResult::FileNotFound);  // nothing set: nothing to start
    ASSERT_TRUE(lp->setProgram("/opt/a", "a.exe"));               // an empty list gets its first row, marked
    ASSERT_TRUE(lp->setProgram(progText(), "wt.sh"));             // then the current row is edited
    storage::Cursor& rows = lp->programs();
    rows.append();
    rows.setValue("Path", "/z/");
    rows.setValue("Name", "b.exe");
    rows.post();
    EXPECT_EQ(open()->name(), "wt.sh");
    lp->dropDownOpened();
    lp->choose(1);  // "/z/" sorts last
    EXPECT_EQ(rows.count(), 2);
    EXPECT_EQ(open()->launch(launcher), LaunchResult::Started);
    EXPECT_EQ(launcher.calls, Strings{"/z/b.exe|\"/z/\""});  // the directory as one argument
    launcher.result = LaunchResult::Failed;
    EXPECT_EQ(lp->launch(launcher), LaunchResult::Failed);
    EXPECT_EQ(prompter.messages, (Strings{LinkedProgram::kLaunchNotFound, LinkedProgram::kLaunchFailed}));
}

TEST_F(LinkedProgramTest, APathOrNameWiderThanItsFieldIsRefusedWholeWithNothingWritten) {
    const auto* def = storage::findTable("wt_path.DB");
    const int pathWidth = def->field("Path").width, nameWidth = def->field("Name").width;
    const std::string longDir = "/" + std::string(pathWidth - 1, 'p');  // with the separator: one too many
    const std::string longName = std::string(nameWidth - 3, 'n') + "委托";
    auto lp = open();
    EXPECT_FALSE(lp->setProgram(longDir, "wt.exe"));
    EXPECT_FALSE(lp->setProgram("/opt/", longName));
    EXPECT_EQ(
        prompter.messages,
        (Strings{
            "路径：" + longDir + "/ 太长，最多" + std::to_string(pathWidth) + "字节(汉字算两字节)。",
            "程序名：" + longName + " 太长，最多" + std::to_string(nameWidth) + "字节(汉字算两字节)。"}));
    EXPECT_TRUE(lp->programs().isEmpty());
    EXPECT_TRUE(lp->setProgram(longDir.substr(1), longName.substr(1)));
}

TEST_F(LinkedProgramTest, ClosingChecksTheProgramThenWritesOrRewritesTheLinkFile) {
    auto lp = open();
    EXPECT_FALSE(lp->closing());
    ASSERT_TRUE(lp->setProgram(progText(), "missing.sh"));
    EXPECT_FALSE(lp->closing());
    EXPECT_EQ(prompter.messages, (Strings{LinkedProgram::kNotSet, LinkedProgram::kProgramMissing}));
    EXPECT_FALSE(fs::exists(prog / "path.txt"));

    ASSERT_TRUE(lp->setField(LinkedProgram::kName, "wt.sh"));
    EXPECT_TRUE(lp->closing());
    EXPECT_EQ(slurp(prog / "path.txt"), "/home/fund/varneth\n/home/fund/varneth/user\n2026-12-07\n");

    // Lines 3 to 5 belong to the order program and stay; so do Windows line ends.
    write(prog / "path.txt", "c:\\old\r\nc:\\old\\user\r\n2001-05-06\r\n委托口令\r\nline5\r\n");
    EXPECT_TRUE(lp->closing());
    EXPECT_EQ(slurp(prog / "path.txt"),
              "/home/fund/varneth\r\n/home/fund/varneth/user\r\n2001-05-06\r\n委托口令\r\nline5\r\n");
    EXPECT_EQ(prompter.messages.size(), 2u);
}

}  // namespace
