#include "prices/exchange_quotes.h"

#include <shapefil.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>

#include "prices/exchange_files.h"
#include "storage/cursor.h"
#include "text/gbk.h"

namespace varneth::prices {

namespace fs = std::filesystem;
using storage::Value;

namespace {

constexpr int kRepaintEvery = 100;

// A dBASE III table whose header, field list and record count fit the file's size: a file cut
// short by a broken download is refused before a single record is read from it.
bool wellFormed(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    unsigned char head[32];
    if (ec || !in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
    const std::uint64_t records = head[4] | head[5] << 8 | head[6] << 16 | std::uint64_t(head[7]) << 24;
    const unsigned headerLength = head[8] | head[9] << 8, recordLength = head[10] | head[11] << 8;
    if (headerLength < 65 || recordLength < 2 || headerLength > size) return false;
    std::string header(headerLength - 32, '\0');
    if (!in.read(header.data(), static_cast<std::streamsize>(header.size()))) return false;
    unsigned fieldsLength = 0;
    std::size_t at = 0;
    for (; at + 32 <= header.size() && header[at] != '\x0d'; at += 32)
        fieldsLength += static_cast<unsigned char>(header[at + 16]);
    if (at == 0 || at >= header.size() || header[at] != '\x0d') return false;
    return fieldsLength + 1 == recordLength && headerLength + records * recordLength <= size;
}

struct CloseDbf {
    void operator()(DBFInfo* h) const { DBFClose(h); }
};

}  // namespace

std::string ExchangeQuotes::missing(const std::string& name) { return "找不到文件" + name + ",请检查!"; }
std::string ExchangeQuotes::damaged(const std::string& name) { return "文件" + name + "已损坏,请检查!"; }
std::string ExchangeQuotes::shanghaiStatus(int count) {
    return "请等，上海已处理" + std::to_string(count) + "个记录         ";
}
std::string ExchangeQuotes::shenzhenStatus(int count) {
    return "请等，深圳已处理" + std::to_string(count) + "个记录          ";
}

std::vector<std::string> ExchangeQuotes::locations(const fs::path& dir) {
    std::vector<std::string> out;
    const auto file = findFileAnyCase(dir, kLocationsFile);
    if (!file) return out;
    std::ifstream in(*file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        // Kept with a text editor: it may be saved in GBK.
        std::string text = text::trim(line);
        if (!text::isValidUtf8(text)) text = text::gbkToUtf8(text);
        if (!text.empty()) out.push_back(text);
    }
    return out;
}

std::vector<std::string> ExchangeQuotes::links(const std::string& location) {
    return {location + "/" + kShanghaiFile, location + "/" + kShenzhenFile};
}

ExchangeQuotes::ExchangeQuotes(storage::Engine& engine, reference::Maintenance& maintenance,
                               port::Prompter& prompter)
    : engine_(engine), maintenance_(maintenance), prompter_(prompter) {}

ExchangeQuotes::FileState ExchangeQuotes::readFile(const fs::path& dir, const File& file, std::vector<Quote>& out) {
    const auto path = findFileAnyCase(dir, file.name);
    if (!path) return FileState::Missing;
    std::unique_ptr<DBFInfo, CloseDbf> dbf(wellFormed(*path) ? DBFOpen(path->string().c_str(), "rb") : nullptr);
    const int code = dbf ? DBFGetFieldIndex(dbf.get(), file.fields[0]) : -1;
    const int title = dbf ? DBFGetFieldIndex(dbf.get(), file.fields[1]) : -1;
    const int price = dbf ? DBFGetFieldIndex(dbf.get(), file.fields[2]) : -1;
    if (code < 0 || title < 0 || price < 0) return FileState::Damaged;
    for (int r = 0; r < DBFGetRecordCount(dbf.get()); ++r) {
        if (DBFIsRecordDeleted(dbf.get(), r)) continue;
        // shapelib hands out a buffer it reuses: each text is copied at once.
        Quote q;
        q.code = text::gbkToUtf8(text::trim(DBFReadStringAttribute(dbf.get(), r, code)));
        q.name = text::gbkToUtf8(text::trim(DBFReadStringAttribute(dbf.get(), r, title)));
        q.price = DBFReadDoubleAttribute(dbf.get(), r, price);
        out.push_back(std::move(q));
    }
    return FileState::Read;
}

std::shared_ptr<storage::Table> ExchangeQuotes::table(const fs::path& dir, const File& file) {
    storage::TableDef def;
    def.name = file.name;
    def.fields = {{file.fields[0], storage::FieldType::Text, file.codeWidth},
                  {file.fields[1], storage::FieldType::Text, file.nameWidth},
                  {file.fields[2], storage::FieldType::Number, 0}};
    std::vector<Quote> quotes;
    std::vector<storage::Record> rows;
    if (readFile(dir, file, quotes) == FileState::Read)
        for (Quote& q : quotes) rows.push_back({Value(std::move(q.code)), Value(std::move(q.name)), Value(q.price)});
    return std::make_shared<storage::Table>(std::move(def), std::move(rows));
}

bool ExchangeQuotes::read(const fs::path& dir, const File& file, std::vector<Quote>& out) {
    switch (readFile(dir, file, out)) {
        case FileState::Read:
            return true;
        case FileState::Missing:
            prompter_.message(missing(file.name));
            return false;
        case FileState::Damaged:
            prompter_.message(damaged(file.name));
            return false;
    }
    return false;
}

void ExchangeQuotes::load(const std::vector<Quote>& quotes, std::string (*statusText)(int)) {
    storage::Cursor general(engine_.database(storage::Alias::Curr), "allstocks.DBF");
    general.setOrdering("CODE");
    const std::vector<int> key{general.fieldIndex("CODE")};
    int count = 0;
    for (const Quote& q : quotes) {
        if (general.locate(key, {Value(q.code)})) {
            if (q.price != 0) {  // a zero never replaces a stored price
                general.setValue("PRICE", Value(q.price));
                general.post();
            }
        } else {
            general.append();
            general.setValue("CODE", Value(q.code));
            general.setValue("NAME", Value(q.name));
            general.setValue("PRICE", Value(q.price));
            general.post();
        }
        if (++count % kRepaintEvery == 0 && status_) status_(statusText(count), false);
    }
    if (status_) status_(statusText(count), true);
}

bool ExchangeQuotes::update(const fs::path& dir) {
    std::vector<Quote> shanghai, shenzhen;
    if (!read(dir, kShanghai, shanghai) || !read(dir, kShenzhen, shenzhen))
        return false;
    // The head of the Shanghai file holds indices and bonds, up to the first code from "5".
    const auto start = std::find_if(shanghai.begin(), shanghai.end(), [](const Quote& q) { return q.code >= "5"; });
    shanghai.erase(shanghai.begin(), start);

    storage::Action action(engine_);
    load(shanghai, &shanghaiStatus);
    load(shenzhen, &shenzhenStatus);
    if (status_) status_(kDone, true);
    maintenance_.pricesFromGeneral();
    return true;
}

}  // namespace varneth::prices
