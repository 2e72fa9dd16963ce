// Where a program finds its seed and which program directory it works in without --dir: an
// installed one keeps the user's own, made once from the seed and never written over.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "app/program_directory.h"
#include "support/temp_dir.h"

using namespace varneth;
namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Sets an environment variable for one test and puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class ProgramDirTest : public ::testing::Test {
protected:
    // A prefix laid out as `cmake --install` does: bin/ and share/varneth/data/shared.
    fs::path install() {
        fs::create_directories(dir / "usr" / "bin");
        fs::create_directories(dir / "usr" / "share" / "varneth" / "data" / "shared");
        return dir / "usr" / "bin";
    }
    testsupport::TempDir dir;
};

TEST_F(ProgramDirTest, UserDataHomeFollowsTheXdgRules) {
    EXPECT_EQ(app::userDataHome("/data/u", "/home/u"), fs::path("/data/u"));
    // A relative or empty XDG_DATA_HOME is to be ignored.
    EXPECT_EQ(app::userDataHome("rel/dir", "/home/u"), fs::path("/home/u/.local/share"));
    EXPECT_EQ(app::userDataHome("", "/home/u"), fs::path("/home/u/.local/share"));
    EXPECT_THROW(app::userDataHome(nullptr, ""), app::SeedError);
    EXPECT_THROW(app::userDataHome("rel", nullptr), app::SeedError);
}

TEST_F(ProgramDirTest, AnInstalledProgramUsesTheUsersOwnDirectory) {
    const fs::path bin = install();
    EXPECT_TRUE(app::isInstalled(bin));
    EXPECT_EQ(app::findDataDir(bin), dir / "usr" / "share" / "varneth" / "data");
    const ScopedEnv xdg("XDG_DATA_HOME", (dir / "xdg").c_str());
    EXPECT_EQ(app::defaultProgramDir(bin), dir / "xdg" / "varneth");
    const ScopedEnv noXdg("XDG_DATA_HOME", nullptr);
    const ScopedEnv home("HOME", (dir / "home").c_str());
    EXPECT_EQ(app::defaultProgramDir(bin), dir / "home" / ".local" / "share" / "varneth");
}

TEST_F(ProgramDirTest, ASeedBesideTheExecutableKeepsTheCurrentDirectory) {
    const fs::path bin = install();
    fs::create_directories(bin / "data" / "shared");
    EXPECT_EQ(app::findDataDir(bin), bin / "data");
    EXPECT_FALSE(app::isInstalled(bin));
    EXPECT_EQ(app::defaultProgramDir(bin), fs::current_path());
    // A build tree: no seed near the executable at all.
    EXPECT_FALSE(app::isInstalled(dir / "build" / "src" / "app"));
}

TEST_F(ProgramDirTest, FirstStartMakesTheDirectoryAndNeverWritesOverIt) {
    const fs::path prog = dir / "home" / ".local" / "share" / "varneth";
    const fs::path seed = app::findDataDir(dir.path());
    ASSERT_TRUE(app::ensureProgramDirectory(prog, seed));
    EXPECT_TRUE(app::holdsTables(prog));
    EXPECT_TRUE(fs::exists(prog / "varneth.hlp"));
    EXPECT_TRUE(app::holdsTables(prog / "demo"));
    const std::string before = contents(prog / "varneth.db");
    std::ofstream(prog / "mine.txt") << "kept";
    EXPECT_FALSE(app::ensureProgramDirectory(prog, seed));
    EXPECT_EQ(contents(prog / "varneth.db"), before);
    EXPECT_EQ(contents(prog / "mine.txt"), "kept");
}

TEST_F(ProgramDirTest, AFolderOfOtherFilesIsNotTakenOver) {
    const fs::path prog = dir / "varneth";
    fs::create_directories(prog);
    std::ofstream(prog / "notes.txt") << "mine";
    EXPECT_THROW(app::ensureProgramDirectory(prog, app::findDataDir(dir.path())), app::SeedError);
    EXPECT_EQ(contents(prog / "notes.txt"), "mine");
    EXPECT_FALSE(app::holdsTables(prog));
}

}  // namespace
