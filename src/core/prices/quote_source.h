#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::prices {

// Where one market's code table lies and how its fixed-length records are cut.
struct CodeTableLayout {
    std::string subPath;  // relative to PATH, "\"-separated
    std::string file;
    int recordLength = 0;
    int codePos = 0, codeLength = 0;  // 1-based
    int namePos = 0, nameLength = 0;
};

// One row of "hq_path.DBF" as the readers use it.
struct QuoteSource {
    std::string hqcode, hqname, note, path;
    std::string shSubPath, szSubPath, shHead, szHead, tail;
    double length = 0;  // day-K-line record length in bytes
    int type = 0;       // price data type 0-3
    CodeTableLayout sz, sh;

    bool isDbf() const { return hqcode == "dbf"; }
};

// `base` followed by a relative part written with either separator, as a path of this platform:
// the stored paths keep the "\" of the packages' home platform.
std::filesystem::path joinPath(std::string_view base, std::string_view relative);

// The quote sources "hq_path.DBF", walked in natural order; the row with NOW true is the source in
// use. The price window, the definitions window and the path window all work through `table()`.
class QuoteSources {
public:
    static constexpr const char* kTable = "hq_path.DBF";
    static constexpr const char* kDbf = "dbf";
    static constexpr int kPathWidth = 60;
    static constexpr const char* kPathTooLong = "路径超过60个字节，存不下，请选一个短一些的路径。";

    explicit QuoteSources(storage::Engine& engine);

    storage::Cursor& table() { return table_; }
    // To the row with NOW true; false (the cursor stays) when there is none.
    bool toCurrent();
    // The current row of the cursor as a source; nullopt when the table is empty.
    std::optional<QuoteSource> shown() const;
    // The source in use: the row with NOW true.
    std::optional<QuoteSource> current();

    // The selector's choice: NOW false on every row, then true on the first row with this code,
    // which becomes the cursor's current row. False when no row has the code (nothing changed).
    bool choose(std::string_view hqcode);
    // "确定退出" of the definitions window: the row shown becomes the source in use.
    void chooseShown();
    // PATH of the row shown, without a trailing separator; false (nothing written) when it does not
    // fit the field: a cut path would point somewhere else.
    bool setPath(const std::filesystem::path& dir);

private:
    storage::Engine& engine_;
    storage::Cursor table_;
};

}  // namespace varneth::prices
