#include "prices/exchange_quotes.h"

#include <algorithm>
#include <fstream>

#include "prices/exchange_files.h"
#include "storage/cursor.h"
#include "storage/dbase_file.h"
#include "text/gbk.h"

namespace varneth::prices {

namespace fs = std::filesystem;
using storage::Value;

namespace {

constexpr int kRepaintEvery = 100;

}  // namespace

std::string ExchangeQuotes::missing(const std::string& name) {
    return "找不到文件" + name + ",请检查!";
}
std::string ExchangeQuotes::damaged(const std::string& name) {
    return "文件" + name + "已损坏,请检查!";
}
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

ExchangeQuotes::FileState ExchangeQuotes::readFile(const fs::path& dir, const File& file,
                                                   std::vector<Quote>& out) {
    const auto path = findFileAnyCase(dir, file.name);
    if (!path) return FileState::Missing;
    const auto dbf = storage::DbaseFile::open(*path);
    const int code = dbf ? dbf->fieldIndex(file.fields[0]) : -1;
    const int title = dbf ? dbf->fieldIndex(file.fields[1]) : -1;
    const int price = dbf ? dbf->fieldIndex(file.fields[2]) : -1;
    if (code < 0 || title < 0 || price < 0) return FileState::Damaged;
    for (int r = 0; r < dbf->records(); ++r) {
        if (dbf->deleted(r)) continue;
        out.push_back({text::gbkToUtf8(dbf->text(r, code)), text::gbkToUtf8(dbf->text(r, title)),
                       dbf->number(r, price)});
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
        for (Quote& q : quotes)
            rows.push_back({Value(std::move(q.code)), Value(std::move(q.name)), Value(q.price)});
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
    if (!read(dir, kShanghai, shanghai) || !read(dir, kShenzhen, shenzhen)) return false;
    // The head of the Shanghai file holds indices and bonds, up to the first code from "5".
    const auto start =
        std::find_if(shanghai.begin(), shanghai.end(), [](const Quote& q) { return q.code >= "5"; });
    shanghai.erase(shanghai.begin(), start);

    storage::Action action(engine_);
    load(shanghai, &shanghaiStatus);
    load(shenzhen, &shenzhenStatus);
    if (status_) status_(kDone, true);
    maintenance_.pricesFromGeneral();
    return true;
}

}  // namespace varneth::prices
