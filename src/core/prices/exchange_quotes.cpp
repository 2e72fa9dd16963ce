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

bool ExchangeQuotes::read(const fs::path& dir, const char* name, const char* const fields[3],
                          std::vector<Quote>& out) {
    const auto file = findFileAnyCase(dir, name);
    if (!file) {
        prompter_.message(missing(name));
        return false;
    }
    std::unique_ptr<DBFInfo, CloseDbf> dbf(wellFormed(*file) ? DBFOpen(file->string().c_str(), "rb") : nullptr);
    const int code = dbf ? DBFGetFieldIndex(dbf.get(), fields[0]) : -1;
    const int title = dbf ? DBFGetFieldIndex(dbf.get(), fields[1]) : -1;
    const int price = dbf ? DBFGetFieldIndex(dbf.get(), fields[2]) : -1;
    if (code < 0 || title < 0 || price < 0) {
        prompter_.message(damaged(name));
        return false;
    }
    for (int r = 0; r < DBFGetRecordCount(dbf.get()); ++r) {
        if (DBFIsRecordDeleted(dbf.get(), r)) continue;
        // shapelib hands out a buffer it reuses: each text is copied at once.
        Quote q;
        q.code = text::gbkToUtf8(text::trim(DBFReadStringAttribute(dbf.get(), r, code)));
        q.name = text::gbkToUtf8(text::trim(DBFReadStringAttribute(dbf.get(), r, title)));
        q.price = DBFReadDoubleAttribute(dbf.get(), r, price);
        out.push_back(std::move(q));
    }
    return true;
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
    static constexpr const char* kShanghaiFields[3] = {"S1", "S2", "S10"};
    static constexpr const char* kShenzhenFields[3] = {"HQZQDM", "HQZQJC", "HQZJCJ"};
    std::vector<Quote> shanghai, shenzhen;
    if (!read(dir, kShanghaiFile, kShanghaiFields, shanghai) || !read(dir, kShenzhenFile, kShenzhenFields, shenzhen))
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
