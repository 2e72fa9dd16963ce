#include "stats/chart_settings.h"

#include <array>

#include "text/dates.h"

namespace varneth::stats {

namespace {

constexpr const char* kName1 = "s1name";
constexpr const char* kCode1 = "s1code";
constexpr const char* kName2 = "s2name";
constexpr const char* kCode2 = "s2code";
constexpr const char* kStart = "startp";

// A row of one of these names is never taken for the code row of the name before it.
bool isNamedRow(const std::string& name) {
    static const std::array<std::string, 3> named{kName1, kName2, kStart};
    for (const auto& n : named)
        if (n == name) return true;
    return false;
}

}  // namespace

ChartSettings::ChartSettings(storage::Database& curr) : table_(curr, kTable) {}

bool ChartSettings::toCodeRow() {
    table_.next();
    return !table_.eof() && !isNamedRow(table_.text("NAME"));
}

IndexCode ChartSettings::readPair(std::string_view nameRow, const IndexCode& fallback) {
    if (!table_.locate("NAME", {nameRow})) return fallback;
    IndexCode index{table_.text("PARA"), fallback.code};
    if (toCodeRow()) index.code = table_.text("PARA");
    return index;
}

ComparisonIndices ChartSettings::indices() {
    return {readPair(kName1, {"第一行指数名称", "代码"}), readPair(kName2, {"上证指数", "699001"})};
}

void ChartSettings::writePair(std::string_view nameRow, std::string_view codeRow, const IndexCode& index) {
    if (table_.locate("NAME", {nameRow})) {
        const auto nameBookmark = table_.bookmark();
        if (toCodeRow()) {
            table_.setValue("PARA", index.code);
            table_.post();
            table_.gotoBookmark(nameBookmark);
            table_.setValue("PARA", index.name);
            table_.post();
            return;
        }
        // A name row with no code row after it: rows are only ever added at the end, so the pair
        // is added there whole and the lone name row goes.
        table_.gotoBookmark(nameBookmark);
        table_.remove();
    }
    const auto add = [this](std::string_view name, std::string_view para) {
        table_.append();
        table_.setValue("NAME", name);
        table_.setValue("PARA", para);
        table_.post();
    };
    add(nameRow, index.name);
    add(codeRow, index.code);
}

void ChartSettings::setIndices(const ComparisonIndices& indices) {
    writePair(kName1, kCode1, indices.first);
    writePair(kName2, kCode2, indices.second);
}

std::string ChartSettings::startText(const port::Clock& clock) {
    if (table_.locate("NAME", {kStart})) {
        std::string stored = table_.text("PARA");
        if (!stored.empty()) return stored;
    }
    const port::DateTime now = clock.now();
    return text::Date{now.year, now.month, now.day}.addDays(-30).iso();
}

void ChartSettings::storeStartText(std::string_view text) {
    if (!table_.locate("NAME", {kStart})) {
        table_.append();
        table_.setValue("NAME", kStart);
    }
    table_.setValue("PARA", text);
    table_.post();
}

}  // namespace varneth::stats
