#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varneth::prices {

// The file of that name in `dir`, the name matched in any letter case; nullopt when there is none.
std::optional<std::filesystem::path> findFileAnyCase(const std::filesystem::path& dir, std::string_view name);

// The exchanges' own quote tables that a "dbf" source points at, read whole when opened: Shenzhen
// quotes "z_hq.dbf", indices "z_zs.dbf" and security list "z_zqxx.dbf"; Shanghai quotes
// "show128.dbf". File and field names are matched in any case; text is GBK, trailing blanks trimmed.
class ExchangeFiles {
public:
    static constexpr const char* kFiles[] = {"z_hq.dbf", "z_zs.dbf", "z_zqxx.dbf", "show128.dbf"};

    struct Quote {
        std::string code, name;
        double price = 0;
    };

    // `createtabs`: all four tables, or the path of the first that is missing (`missing`) or does
    // not read as a dBASE table with the fields used (`unreadable`).
    struct Opened;
    static Opened createtabs(const std::filesystem::path& dir);

    std::vector<Quote> shenzhen;                       // z_hq: fzqdm, fzjcj; name from z_zqxx
    std::vector<Quote> shanghai;                       // show128: s1, s8, s2
    std::vector<Quote> shenzhenIndices;                // z_zs: fzsmc (as the code), fzjzs
    std::map<std::string, std::string> shenzhenNames;  // z_zqxx: fzqdm → fzqjc (first row of a code)

    // The first quote of a code, as a key search finds it.
    const Quote* findShenzhen(const std::string& code) const;
    const Quote* findShanghai(const std::string& code) const;
    const Quote* findIndex(const std::string& name) const;
};

struct ExchangeFiles::Opened {
    std::optional<ExchangeFiles> files;
    std::filesystem::path missing;
    std::filesystem::path unreadable;
};

}  // namespace varneth::prices
