// Which program directory a program works in without --dir: an installed one keeps the user's own,
// made once from the seed and never written over.
#include "app/program_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "support/temp_dir.h"

using namespace varneth;
namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ProgramDir, UserDataHomeFollowsTheXdgRules) {
    EXPECT_EQ(app::userDataHome("/data/u", "/home/u"), fs::path("/data/u"));
    // A relative or empty XDG_DATA_HOME is to be ignored.
    EXPECT_EQ(app::userDataHome("rel/dir", "/home/u"), fs::path("/home/u/.local/share"));
    EXPECT_EQ(app::userDataHome("", "/home/u"), fs::path("/home/u/.local/share"));
    EXPECT_THROW(app::userDataHome("rel", nullptr), app::SeedError);
}

TEST(ProgramDir, OnlyAnInstalledProgramUsesTheUsersOwnDirectory) {
    testsupport::TempDir dir;
    const fs::path bin = dir / "usr/bin";
    fs::create_directories(dir / "usr/share/varneth/data/shared");
    fs::create_directories(bin);
    const char* was = std::getenv("XDG_DATA_HOME");
    const std::optional<std::string> old = was ? std::optional<std::string>(was) : std::nullopt;
    setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
    EXPECT_EQ(app::defaultProgramDir(bin), dir / "xdg/varneth");
    // A seed beside the executable is an unpacked folder: the current directory, as before.
    fs::create_directories(bin / "data/shared");
    EXPECT_EQ(app::defaultProgramDir(bin), fs::current_path());
    EXPECT_EQ(app::defaultProgramDir(dir / "build/src/app"), fs::current_path());
    old ? setenv("XDG_DATA_HOME", old->c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

TEST(ProgramDir, FirstStartMakesTheDirectoryAndNeverWritesOverIt) {
    testsupport::TempDir dir;
    const fs::path prog = dir / "share/varneth";
    const fs::path seed = app::findDataDir(dir.path());
    ASSERT_TRUE(app::ensureProgramDirectory(prog, seed));
    EXPECT_TRUE(app::holdsTables(prog / "demo"));
    EXPECT_TRUE(fs::exists(prog / "varneth.hlp"));
    const std::string before = contents(prog / "varneth.db");
    EXPECT_FALSE(app::ensureProgramDirectory(prog, seed));
    EXPECT_EQ(contents(prog / "varneth.db"), before);

    // A folder of the user's own files is not taken over.
    fs::create_directories(dir / "other");
    std::ofstream(dir / "other/notes.txt") << "mine";
    EXPECT_THROW(app::ensureProgramDirectory(dir / "other", seed), app::SeedError);
    EXPECT_EQ(contents(dir / "other/notes.txt"), "mine");
}

}  // namespace
