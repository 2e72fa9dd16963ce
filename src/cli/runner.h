#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace varneth::cli {

// Runs one command line (the arguments after the program name) and returns the exit status:
// 0 done, 1 refused or stopped with a message (on `out`), 2 a usage error (on `err`).
int run(const std::vector<std::string>& argv, const std::filesystem::path& exeDir, std::ostream& out,
        std::ostream& err);

}  // namespace varneth::cli
