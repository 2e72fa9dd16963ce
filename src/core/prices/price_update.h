#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "port/clock.h"
#include "port/prompter.h"
#include "prices/code_table.h"
#include "prices/exchange_files.h"
#include "prices/quote_reader.h"
#include "prices/quote_source.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::prices {

// What a price update does with what it reads.
enum class DisplayMode { UpdateOnly = 0, ShowOnly = 1, Both = 2 };

// The price window's three actions on the source in use: close prices into the general price table
// or the holdings, the two comparison index levels into the last fund-ledger row, and codes the
// general price table lacks from the package's code tables. A zero read never replaces a stored
// price or level. Each action is one transaction.
class PriceUpdate {
public:
    static constexpr const char* kUnusable = "不能用!";
    static constexpr const char* kNoDirectory = "设置的路径不存在！";
    static constexpr const char* kDbfDone = "是交易所dbf数据，代码表和价格已一同更新.";
    static constexpr const char* kCannotRead = "暂不能读！";
    static constexpr const char* kNoCodeFiles = "没有相应文件，放弃补充.";
    static constexpr const char* kBadLayout = "代码表格式参数不对,请检查!";
    static constexpr const char* kPricesUpdated = "价格已更新!";
    static constexpr const char* kShenzhenIndexUpdated = "深市成份指数已更新!";
    static constexpr const char* kShanghaiIndexUpdated = "沪市综合指数已更新!";
    static constexpr const char* kNoMarketRowToday =
        "基金文件中没有今天的市场记录,指数没有更新,请先重算基金价格!";
    static constexpr const char* kShenzhenIndexName = "深证成份指数";
    static constexpr const char* kShanghaiIndexCode = "000008";
    static std::string missingFile(const std::filesystem::path& file);     // "找不到文件…,请检查!"
    static std::string unreadableFile(const std::filesystem::path& file);  // "文件…不能读,请检查!"
    static std::string damagedFiles(int count, const std::filesystem::path& first);
    static std::string codesAdded(int count);  // "股票代码价格表更新完毕,补充了…个股票."
    // "CODE:P" and "CODE-NAME", as the display area shows them.
    static std::string priceItem(std::string_view code, float price);
    static std::string codeItem(std::string_view code, std::string_view name);

    // What the window does along the way: draw a display item; move the progress bar (securities done
    // of the total); reopen the main window's views after the holdings changed.
    struct Hooks {
        std::function<void(const std::string&)> show;
        std::function<void(int done, int total)> progress;
        std::function<void()> reopenViews;
    };

    PriceUpdate(storage::Engine& engine, QuoteSources& sources, port::Prompter& prompter, port::Clock& clock);
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // "更新所有股票价", "更新我的股票价", "更新(补充)代码表". False when the action stopped with a
    // message before its work (no usable source or path, a missing exchange file, nothing to read).
    bool updateAll(DisplayMode mode);
    bool updateMine(DisplayMode mode);
    bool updateCodes(DisplayMode mode);
    // `createtabs` as the window runs it when it opens on, or is switched to, a "dbf" source: the
    // user hears at once of an exchange table that is missing. True when there is nothing to tell.
    bool checkExchangeFiles();

private:
    // Damaged day files met during one action, told once at its end.
    struct Damage {
        int count = 0;
        std::filesystem::path first;
        void note(const Reading& r);
    };

    std::optional<QuoteSource> usableSource();
    void show(DisplayMode mode, const std::string& item);
    void progress(int done, int total);
    void tell(const Damage& damage);
    void pricePass(storage::Cursor& rows, const char* field, const QuoteReader& reader, DisplayMode mode,
                   Damage& damage);
    void indexLevels(const QuoteReader& reader, Damage& damage);
    // Today's market row, where the exchange files' index levels belong. False (told) when the fund
    // ledger has none yet.
    bool toTodaysMarketRow(storage::Cursor& fund);
    bool exchangeCodes(const QuoteSource& source);
    void appe_code(const std::filesystem::path& file, const CodeTableLayout& layout, DisplayMode mode,
                   storage::Cursor& general);

    std::optional<ExchangeFiles> createtabs(const QuoteSource& source);
    void dbf_code(const ExchangeFiles& files);
    void dbf_price(const ExchangeFiles& files);
    void dbf_index(const ExchangeFiles& files);

    storage::Engine& engine_;
    QuoteSources& sources_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    Hooks hooks_;
};

}  // namespace varneth::prices
