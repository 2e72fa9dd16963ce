#pragma once

#include <filesystem>
#include <stdexcept>

namespace varneth::app {

class SeedError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The seed of a program directory (`data/` of the source tree, installed beside the executables).
// `exeDir` is searched first, then its parents' "data", then the source tree's.
std::filesystem::path findDataDir(const std::filesystem::path& exeDir);

// True when `exeDir` is the bin/ of an installed program: its seed lies in ../share/varneth/data.
bool isInstalled(const std::filesystem::path& exeDir);

// Where each user's data lives: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
// Throws SeedError when neither is known.
std::filesystem::path userDataHome(const char* xdgDataHome, const char* home);

// The program directory of a program started without one named. An installed program keeps one per
// user (userDataHome()/varneth), as it cannot write beside its executables; run from a build tree or
// an unpacked folder it works in the current directory, as it always did.
std::filesystem::path defaultProgramDir(const std::filesystem::path& exeDir);

// The per-user program directory on first start: made from the seed when it holds no tables yet,
// never touched when it does. True when it was made now.
bool ensureProgramDirectory(const std::filesystem::path& dir, const std::filesystem::path& dataDir);

// True when `dir` already holds a program or account database.
bool holdsTables(const std::filesystem::path& dir);

// Makes `dir` (new or empty) a program directory: the shared tables, the template "empty",
// the help file and the accounts of the seed. `bare`: every table empty but the one account
// "我的帐户" (no password, Subdir "user") and the template. Throws SeedError when `dir` holds
// tables already or the seed does not load; nothing is left half-made in an empty `dir`.
void createProgramDirectory(const std::filesystem::path& dir, const std::filesystem::path& dataDir,
                            bool bare);

// A new account directory: a copy of the template "empty" under the program directory.
void createAccountDirectory(const std::filesystem::path& programDir, const std::filesystem::path& accountDir);

}  // namespace varneth::app
