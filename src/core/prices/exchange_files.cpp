#include "prices/exchange_files.h"

#include <algorithm>
#include <cctype>

#include "storage/dbase_file.h"
#include "text/gbk.h"

namespace varneth::prices {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// Records of a table as (text, text, number) triples read from the named fields; an empty second
// name leaves the second text empty. nullopt when a field is missing.
std::optional<std::vector<ExchangeFiles::Quote>> quotes(const storage::DbaseFile& dbf, const char* code,
                                                        const char* name, const char* price) {
    const int c = dbf.fieldIndex(code);
    const int n = name ? dbf.fieldIndex(name) : -1;
    const int p = price ? dbf.fieldIndex(price) : -1;
    if (c < 0 || (name && n < 0) || (price && p < 0)) return std::nullopt;
    std::vector<ExchangeFiles::Quote> rows;
    for (int r = 0; r < dbf.records(); ++r) {
        if (dbf.deleted(r)) continue;
        rows.push_back({text::gbkToUtf8(dbf.text(r, c)),
                        n >= 0 ? text::gbkToUtf8(dbf.text(r, n)) : std::string(),
                        p >= 0 ? dbf.number(r, p) : 0.0});
    }
    return rows;
}

const ExchangeFiles::Quote* first(const std::vector<ExchangeFiles::Quote>& rows, const std::string& key) {
    for (const auto& q : rows)
        if (q.code == key) return &q;
    return nullptr;
}

}  // namespace

std::optional<fs::path> findFileAnyCase(const fs::path& dir, std::string_view name) {
    const std::string wanted = lower(std::string(name));
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (lower(entry.path().filename().string()) == wanted && entry.is_regular_file(ec))
            return entry.path();
    return std::nullopt;
}

ExchangeFiles::Opened ExchangeFiles::createtabs(const fs::path& dir) {
    Opened result;
    std::vector<storage::DbaseFile> tables;
    std::vector<fs::path> paths;
    for (const char* name : kFiles) {
        const auto file = findFileAnyCase(dir, name);
        if (!file) {
            result.missing = dir / name;
            return result;
        }
        auto dbf = storage::DbaseFile::open(*file);
        if (!dbf) {
            result.unreadable = *file;
            return result;
        }
        tables.push_back(std::move(*dbf));
        paths.push_back(*file);
    }
    ExchangeFiles files;
    const auto sz = quotes(tables[0], "fzqdm", nullptr, "fzjcj");
    const auto indices = quotes(tables[1], "fzsmc", nullptr, "fzjzs");
    const auto list = quotes(tables[2], "fzqdm", "fzqjc", nullptr);
    const auto sh = quotes(tables[3], "s1", "s2", "s8");
    const std::vector<const void*> read = {sz ? &*sz : nullptr, indices ? &*indices : nullptr,
                                           list ? &*list : nullptr, sh ? &*sh : nullptr};
    for (std::size_t i = 0; i < read.size(); ++i)
        if (!read[i]) {
            result.unreadable = paths[i];
            return result;
        }
    for (const auto& q : *list) files.shenzhenNames.emplace(q.code, q.name);
    files.shenzhen = *sz;
    for (auto& q : files.shenzhen)
        if (auto it = files.shenzhenNames.find(q.code); it != files.shenzhenNames.end()) q.name = it->second;
    files.shanghai = *sh;
    files.shenzhenIndices = *indices;
    result.files = std::move(files);
    return result;
}

const ExchangeFiles::Quote* ExchangeFiles::findShenzhen(const std::string& code) const {
    return first(shenzhen, code);
}
const ExchangeFiles::Quote* ExchangeFiles::findShanghai(const std::string& code) const {
    return first(shanghai, code);
}
const ExchangeFiles::Quote* ExchangeFiles::findIndex(const std::string& name) const {
    return first(shenzhenIndices, name);
}

}  // namespace varneth::prices
