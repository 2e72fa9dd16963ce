#pragma once

// Day-K-line files and code tables written byte by byte, as the quote packages lay them out.
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace varneth::testsupport {

// One day's record: the date at offset 0 and the close's 4 raw bytes at 16, the rest zero.
inline std::string dayRecord(std::int32_t date, std::uint32_t closeBits, int length = 32) {
    std::string r(static_cast<std::size_t>(length), '\0');
    const auto put = [&r](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            r[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i) & 0xff);
    };
    put(0, static_cast<std::uint32_t>(date));
    put(16, closeBits);
    return r;
}
inline std::uint32_t intBits(std::int32_t v) {
    return static_cast<std::uint32_t>(v);
}
inline std::uint32_t floatBits(float f) {
    return std::bit_cast<std::uint32_t>(f);
}

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// A file of two days, the latest closing at `closeBits`.
inline void writeDayFile(const std::filesystem::path& file, std::uint32_t closeBits, int length = 32) {
    writeBytes(file, dayRecord(20261203, intBits(1), length) + dayRecord(20261204, closeBits, length));
}

// A fixed-length code-table record: `code` at 1-based `codePos`, `gbkName` at `namePos`, blank-padded.
inline std::string codeRecord(int length, int codePos, const std::string& code, int namePos,
                              const std::string& gbkName) {
    std::string r(static_cast<std::size_t>(length), ' ');
    r.replace(static_cast<std::size_t>(codePos - 1), code.size(), code);
    r.replace(static_cast<std::size_t>(namePos - 1), gbkName.size(), gbkName);
    return r;
}

}  // namespace varneth::testsupport
