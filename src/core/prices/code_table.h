#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "prices/quote_source.h"

namespace varneth::prices {

// One security of a quote package's code table.
struct CodeEntry {
    std::string code;  // trimmed, as written
    std::string name;  // trimmed, UTF-8
};

// A code table: fixed-length records without a header, code and name cut out of each at 1-based
// byte positions. Names are GBK.
struct CodeTable {
    enum class Status { Read, Missing, BadLayout };
    Status status = Status::Missing;
    std::vector<CodeEntry> entries;  // in file order; a trailing part record is not read

    // A record length of 0 or a field reaching outside the record cannot be read.
    static bool usableLayout(const CodeTableLayout& layout);
    static CodeTable read(const std::filesystem::path& file, const CodeTableLayout& layout);
};

// The code-table files of the packages whose layouts are fixed, in the order they are read; empty
// for other sources.
std::vector<CodeTableLayout> builtInCodeTables(std::string_view hqcode);

}  // namespace varneth::prices
