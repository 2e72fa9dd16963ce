#include "prices/price_update.h"

#include <cstdio>

#include "fund/fund_ledger.h"
#include "ledger/holdings.h"
#include "stats/chart_settings.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::prices {

namespace fs = std::filesystem;

namespace {

constexpr const char* kGeneralTable = "allstocks.DBF";
constexpr const char* kGeneralOrdering = "CODE";
constexpr int kCodeWidth = 6;

// The general price table in code order.
struct GeneralTable : storage::Cursor {
    explicit GeneralTable(storage::Engine& engine)
        : Cursor(engine.database(storage::Alias::Curr), kGeneralTable) {
        setOrdering(kGeneralOrdering);
    }
};

// The holdings view of the ledger: closed-out rows keep the price they were sold at.
struct HoldingsView : storage::Cursor {
    explicit HoldingsView(storage::Engine& engine)
        : Cursor(engine.database(storage::Alias::Kvt), ledger::Holdings::kTable) {
        setOrdering(ledger::Holdings::kHoldingsOrdering);
    }
};

// Writes a number only when it changes, so that an unchanged row is not rewritten.
void put(storage::Cursor& c, const char* field, double value) {
    const storage::Value& old = c.value(field);
    if (!old.isNull() && old.toDouble() == value) return;
    c.setValue(field, value);
    c.post();
}

}  // namespace

std::string PriceUpdate::missingFile(const fs::path& file) {
    return "找不到文件" + file.string() + ",请检查!";
}

std::string PriceUpdate::unreadableFile(const fs::path& file) {
    return "文件" + file.string() + "不能读,请检查!";
}

std::string PriceUpdate::damagedFiles(int count, const fs::path& first) {
    return "有" + std::to_string(count) + "个日K线文件不完整或已损坏,已跳过:" + first.string();
}

std::string PriceUpdate::codesAdded(int count) {
    return "股票代码价格表更新完毕,补充了" + std::to_string(count) + "个股票.";
}

std::string PriceUpdate::priceItem(std::string_view code, float price) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(price));
    return std::string(code) + ":" + buf;
}

std::string PriceUpdate::codeItem(std::string_view code, std::string_view name) {
    return std::string(code) + "-" + std::string(name);
}

void PriceUpdate::Damage::note(const Reading& r) {
    if (r.status != Reading::Status::Damaged) return;
    if (count++ == 0) first = r.file;
}

PriceUpdate::PriceUpdate(storage::Engine& engine, QuoteSources& sources, port::Prompter& prompter,
                         port::Clock& clock)
    : engine_(engine), sources_(sources), prompter_(prompter), clock_(clock) {}

std::optional<QuoteSource> PriceUpdate::usableSource() {
    auto source = sources_.current();
    if (!source || source->path.empty()) {
        prompter_.message(kUnusable);
        return std::nullopt;
    }
    std::error_code ec;
    if (!fs::is_directory(joinPath(source->path, ""), ec)) {
        prompter_.message(kNoDirectory);
        return std::nullopt;
    }
    return source;
}

void PriceUpdate::show(DisplayMode mode, const std::string& item) {
    if (mode != DisplayMode::UpdateOnly && hooks_.show) hooks_.show(item);
}

void PriceUpdate::progress(int done, int total) {
    if (hooks_.progress) hooks_.progress(done, total);
}

void PriceUpdate::tell(const Damage& damage) {
    if (damage.count > 0) prompter_.message(damagedFiles(damage.count, damage.first));
}

// The exchange tables of a "dbf" source fill the general price table, prices and codes at once.
bool PriceUpdate::exchangeCodes(const QuoteSource& source) {
    const auto files = createtabs(source);
    if (!files) return false;
    dbf_code(*files);
    prompter_.message(kDbfDone);
    return true;
}

// The close of every row's code into `field`: shown unless the mode is 0, written unless it is 1;
// a zero is shown but never written.
void PriceUpdate::pricePass(storage::Cursor& rows, const char* field, const QuoteReader& reader,
                            DisplayMode mode, Damage& damage) {
    const int total = rows.count();
    int done = 0;
    rows.suspendDisplay();
    for (rows.first(); !rows.eof(); rows.next()) {
        progress(done++, total);
        const std::string code = rows.text("CODE");
        if (code.empty()) continue;
        const Reading r = reader.readprice(code);
        damage.note(r);
        if (!r.found()) continue;
        show(mode, priceItem(code, r.price));
        if (mode != DisplayMode::ShowOnly && r.price != 0) put(rows, field, r.price);
    }
    rows.resumeDisplay();
    progress(total, total);
}

bool PriceUpdate::updateAll(DisplayMode mode) {
    storage::Action action(engine_);
    const auto source = usableSource();
    if (!source) return false;
    if (source->isDbf()) return exchangeCodes(*source);
    GeneralTable general(engine_);
    Damage damage;
    pricePass(general, "PRICE", QuoteReader(*source), mode, damage);
    tell(damage);
    return true;
}

bool PriceUpdate::updateMine(DisplayMode mode) {
    storage::Action action(engine_);
    const auto source = usableSource();
    if (!source) return false;
    if (source->isDbf()) {
        const auto files = createtabs(*source);
        if (!files) return false;
        dbf_price(*files);
        if (hooks_.reopenViews) hooks_.reopenViews();
        dbf_index(*files);
        return true;
    }
    const QuoteReader reader(*source);
    HoldingsView book(engine_);
    Damage damage;
    pricePass(book, "PRICE2", reader, mode, damage);
    if (hooks_.reopenViews) hooks_.reopenViews();
    indexLevels(reader, damage);
    tell(damage);
    return true;
}

bool PriceUpdate::toTodaysMarketRow(storage::Cursor& fund) {
    const std::string today = clock_.now().isoDate();
    for (int at = fund.count() - 1; at >= 0; --at) {
        fund.moveTo(at);
        const auto dt = fund.date("DT");
        if (fund.text("PYCODE") == fund::FundLedger::kMarketCode && dt && *dt <= today) {
            if (*dt == today) return true;
            break;
        }
    }
    prompter_.message(kNoMarketRowToday);
    return false;
}

// The comparison indices' levels, in every display mode, into the last fund-ledger row; an empty
// fund ledger gets no row for them.
void PriceUpdate::indexLevels(const QuoteReader& reader, Damage& damage) {
    const stats::ComparisonIndices indices =
        stats::ChartSettings(engine_.database(storage::Alias::Curr)).indices();
    storage::Cursor fund(engine_.database(storage::Alias::Kvt), fund::FundLedger::kTable);
    if (fund.isEmpty()) return;
    fund.last();
    const std::pair<const std::string*, const char*> levels[] = {{&indices.first.code, "SZ"},
                                                                 {&indices.second.code, "SHZ"}};
    for (const auto& [code, field] : levels) {
        const Reading r = reader.readprice(*code);
        damage.note(r);
        if (r.found() && r.price != 0) put(fund, field, text::roundScaled(r.price, 1));
    }
}

bool PriceUpdate::updateCodes(DisplayMode mode) {
    storage::Action action(engine_);
    const auto source = usableSource();
    if (!source) return false;
    if (source->isDbf()) return exchangeCodes(*source);
    if (source->hqcode == "eye98" || source->hqcode == "tdx") {
        prompter_.message(kCannotRead);
        return false;
    }
    GeneralTable general(engine_);
    std::vector<CodeTableLayout> tables = builtInCodeTables(source->hqcode);
    if (tables.empty()) {
        // A package of its own: both markets' tables when both are named, Shenzhen first.
        if (!source->sz.file.empty()) tables.push_back(source->sz);
        if (!source->sh.file.empty()) tables.push_back(source->sh);
        if (tables.empty()) {
            prompter_.message(kNoCodeFiles);
            return false;
        }
    }
    for (const CodeTableLayout& table : tables)
        appe_code(joinPath(source->path, table.subPath + "\\" + table.file), table, mode, general);
    return true;
}

void PriceUpdate::appe_code(const fs::path& file, const CodeTableLayout& layout, DisplayMode mode,
                            storage::Cursor& general) {
    const CodeTable table = CodeTable::read(file, layout);
    if (table.status == CodeTable::Status::Missing) {
        prompter_.message(missingFile(file));
        return;
    }
    if (table.status == CodeTable::Status::BadLayout) {
        prompter_.message(kBadLayout);
        return;
    }
    const int total = static_cast<int>(table.entries.size());
    int done = 0;
    for (const CodeEntry& entry : table.entries) {
        progress(done++, total);
        // Codes are kept at the field's width: checking the cut code adds an over-long one only once.
        const std::string code = text::cutToWidth(entry.code, kCodeWidth);
        if (entry.code < "0" || entry.code > "999999" || general.findKey({code})) continue;
        show(mode, codeItem(entry.code, entry.name));
        if (mode == DisplayMode::ShowOnly) continue;
        general.append();
        general.setValue("CODE", code);
        general.setValue("NAME", entry.name);
        general.post();
    }
    progress(total, total);
}

bool PriceUpdate::checkExchangeFiles() {
    const auto source = sources_.current();
    std::error_code ec;
    if (!source || !source->isDbf() || source->path.empty() ||
        !fs::is_directory(joinPath(source->path, ""), ec))
        return true;
    return createtabs(*source).has_value();
}

std::optional<ExchangeFiles> PriceUpdate::createtabs(const QuoteSource& source) {
    auto opened = ExchangeFiles::createtabs(joinPath(source.path, ""));
    if (!opened.missing.empty()) prompter_.message(missingFile(opened.missing));
    if (!opened.unreadable.empty()) prompter_.message(unreadableFile(opened.unreadable));
    return std::move(opened.files);
}

void PriceUpdate::dbf_code(const ExchangeFiles& files) {
    GeneralTable general(engine_);
    int added = 0;
    for (const auto* market : {&files.shenzhen, &files.shanghai})
        for (const ExchangeFiles::Quote& q : *market) {
            if (q.code.empty()) continue;
            if (general.findKey({q.code})) {
                if (q.price != 0) put(general, "PRICE", q.price);
                continue;
            }
            general.append();
            general.setValue("CODE", q.code);
            general.setValue("PRICE", q.price);
            if (!q.name.empty()) general.setValue("NAME", q.name);
            general.post();
            ++added;
        }
    prompter_.message(codesAdded(added));
}

void PriceUpdate::dbf_price(const ExchangeFiles& files) {
    HoldingsView book(engine_);
    for (book.first(); !book.eof(); book.next()) {
        const std::string code = book.text("CODE");
        const ExchangeFiles::Quote* q = nullptr;
        if (code.size() == 4) q = files.findShenzhen(code);
        if (code.size() == 6) q = files.findShanghai(code);
        if (q && q->price != 0) put(book, "PRICE2", q->price);
    }
    prompter_.message(kPricesUpdated);
}

void PriceUpdate::dbf_index(const ExchangeFiles& files) {
    storage::Cursor fund(engine_.database(storage::Alias::Kvt), fund::FundLedger::kTable);
    if (!toTodaysMarketRow(fund)) return;
    if (const auto* sz = files.findIndex(kShenzhenIndexName); sz && sz->price != 0) {
        put(fund, "SZ", text::roundHalfEven(sz->price));
        prompter_.message(kShenzhenIndexUpdated);
    }
    if (const auto* sh = files.findShanghai(kShanghaiIndexCode); sh && sh->price != 0) {
        put(fund, "SHZ", text::roundHalfEven(sh->price));
        prompter_.message(kShanghaiIndexUpdated);
    }
}

}  // namespace varneth::prices
