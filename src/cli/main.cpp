#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "runner.h"

namespace {

// The seed of a new program directory is looked for beside the executable.
std::filesystem::path executableDir(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) self = std::filesystem::absolute(argv0, ec);
    return self.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return varneth::cli::run(args, executableDir(argv[0]), std::cout, std::cerr);
}
