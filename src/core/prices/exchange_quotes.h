#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "port/prompter.h"
#include "reference/maintenance.h"
#include "storage/engine.h"
#include "storage/table.h"

namespace varneth::prices {

// The exchanges' day-end quote files, downloaded by the user into the program directory, loaded
// into the general price table; the holdings' price list then follows the general table.
class ExchangeQuotes {
public:
    static constexpr const char* kCaption = "根据交易所行情文件更新价格";
    static constexpr const char* kShanghaiFile = "SHOW2003.DBF";
    static constexpr const char* kShenzhenFile = "SJSHQ.DBF";
    static constexpr const char* kLocationsFile = "SJLJ.TXT";
    static constexpr const char* kDone = "更新完毕        ";
    static constexpr const char* kHelp = "dbf";
    static std::string missing(const std::string& name);  // "找不到文件" + name + ",请检查!"
    static std::string damaged(const std::string& name);  // "文件" + name + "已损坏,请检查!"
    // The status line while a market is loaded.
    static std::string shanghaiStatus(int count);
    static std::string shenzhenStatus(int count);

    struct Quote {
        std::string code, name;
        double price = 0;
    };

    // The download locations, one a line of `SJLJ.TXT` in `dir` (blank lines left out); none when
    // the file is missing.
    static std::vector<std::string> locations(const std::filesystem::path& dir);
    static std::vector<std::string> links(const std::string& location);  // the two files' addresses

    // An exchange file and the three fields read from it: code, short name, price.
    struct File {
        const char* name;
        const char* fields[3];
        int codeWidth, nameWidth;
    };
    static constexpr File kShanghai{kShanghaiFile, {"S1", "S2", "S10"}, 6, 8};
    static constexpr File kShenzhen{kShenzhenFile, {"HQZQDM", "HQZQJC", "HQZJCJ"}, 6, 8};

    enum class FileState { Read, Missing, Damaged };
    // Every live record of `file` in `dir` appended to `out`; nothing read unless the file is whole.
    static FileState readFile(const std::filesystem::path& dir, const File& file, std::vector<Quote>& out);
    // The file's records as a read-only table of its three fields, for a grid: empty when the file
    // is missing or damaged, so that a bad download never stops the window.
    static std::shared_ptr<storage::Table> table(const std::filesystem::path& dir, const File& file);

    // The status line: `final` marks the last text of a market (and the closing "更新完毕").
    using Status = std::function<void(const std::string& text, bool final)>;

    ExchangeQuotes(storage::Engine& engine, reference::Maintenance& maintenance, port::Prompter& prompter);
    void setStatus(Status status) { status_ = std::move(status); }

    // "更新所有股票价格表": both files from `dir` checked and read whole before anything is written,
    // then loaded and the holdings' price list updated. False after a message (nothing written).
    bool update(const std::filesystem::path& dir);

private:
    bool read(const std::filesystem::path& dir, const File& file, std::vector<Quote>& out);
    void load(const std::vector<Quote>& quotes, std::string (*statusText)(int));

    storage::Engine& engine_;
    reference::Maintenance& maintenance_;
    port::Prompter& prompter_;
    Status status_;
};

}  // namespace varneth::prices
