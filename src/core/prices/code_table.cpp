#include "prices/code_table.h"

#include <fstream>
#include <iterator>

#include "text/gbk.h"

namespace varneth::prices {

namespace {

bool within(int pos, int length, int recordLength, int minLength) {
    return pos >= 1 && length >= minLength && pos - 1 + length <= recordLength;
}

std::string field(const std::string& record, int pos, int length) {
    return text::trim(
        std::string_view(record).substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(length)));
}

}  // namespace

bool CodeTable::usableLayout(const CodeTableLayout& l) {
    return l.recordLength > 0 && within(l.codePos, l.codeLength, l.recordLength, 1) &&
           within(l.namePos, l.nameLength, l.recordLength, 0);
}

CodeTable CodeTable::read(const std::filesystem::path& file, const CodeTableLayout& layout) {
    CodeTable table;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return table;
    if (!usableLayout(layout)) {
        table.status = Status::BadLayout;
        return table;
    }
    table.status = Status::Read;
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto length = static_cast<std::size_t>(layout.recordLength);
    for (std::size_t at = 0; at + length <= bytes.size(); at += length) {
        const std::string record = bytes.substr(at, length);
        table.entries.push_back({field(record, layout.codePos, layout.codeLength),
                                 text::gbkToUtf8(field(record, layout.namePos, layout.nameLength))});
    }
    return table;
}

std::vector<CodeTableLayout> builtInCodeTables(std::string_view hqcode) {
    if (hqcode == "hjin") return {{"", "\\sz.cod", 20, 3, 6, 10, 8}, {"", "\\sh.cod", 20, 3, 6, 10, 8}};
    if (hqcode == "ml30") return {{"", "\\sse\\nametbl.dat", 81, 8, 6, 18, 9}};
    if (hqcode == "slon")
        return {{"", "\\cfg\\stock.sza", 18, 1, 4, 5, 8},
                {"", "\\cfg\\stock.szb", 18, 1, 4, 5, 8},
                {"", "\\cfg\\stock.szc", 18, 1, 4, 5, 8},
                {"", "\\cfg\\stock.sha", 20, 1, 6, 7, 8},
                {"", "\\cfg\\stock.shc", 20, 1, 8, 9, 6}};
    return {};
}

}  // namespace varneth::prices
