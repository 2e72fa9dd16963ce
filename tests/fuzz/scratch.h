#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "support/temp_dir.h"

namespace varneth::fuzz {

// The directory a target writes its inputs into: one per process, removed at exit.
inline const std::filesystem::path& scratch() {
    static const testsupport::TempDir dir;
    return dir.path();
}

inline void writeFile(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Takes the first byte of an input as a choice among `n`; 0 when the input is empty.
inline std::size_t choose(std::string_view& input, std::size_t n) {
    if (input.empty()) return 0;
    const auto c = static_cast<unsigned char>(input.front());
    input.remove_prefix(1);
    return c % n;
}

// A property the reader promises; a breach stops the run as a crash would.
#define FUZZ_CHECK(condition)               \
    do {                                    \
        if (!(condition)) __builtin_trap(); \
    } while (0)

}  // namespace varneth::fuzz
