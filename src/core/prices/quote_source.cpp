#include "prices/quote_source.h"

#include <cmath>

#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::prices {

namespace fs = std::filesystem;

namespace {

int smallInt(const storage::Cursor& c, const char* field) {
    const double v = c.number(field);
    return std::isfinite(v) && std::fabs(v) < 1e6 ? static_cast<int>(v) : 0;
}

CodeTableLayout layout(const storage::Cursor& c, const std::string& m) {
    return {c.text(m + "SUBTAB"),
            c.text(m + "CODEFILE"),
            smallInt(c, (m + "LEN").c_str()),
            smallInt(c, (m + "C1").c_str()),
            smallInt(c, (m + "CLEN").c_str()),
            smallInt(c, (m + "N1").c_str()),
            smallInt(c, (m + "NLEN").c_str())};
}

}  // namespace

fs::path joinPath(std::string_view base, std::string_view relative) {
    std::string whole(base);
    whole += relative;
    for (char& c : whole)
        if (c == '\\') c = '/';
    return fs::path(whole).lexically_normal();
}

QuoteSources::QuoteSources(storage::Engine& engine)
    : engine_(engine), table_(engine.database(storage::Alias::Curr), kTable) {}

bool QuoteSources::toCurrent() {
    return table_.locate("NOW", {true});
}

std::optional<QuoteSource> QuoteSources::shown() const {
    if (table_.isEmpty()) return std::nullopt;
    const auto& c = table_;
    QuoteSource s;
    s.hqcode = c.text("HQCODE");
    s.hqname = c.text("HQNAME");
    s.note = c.text("NOTE");
    s.path = c.text("PATH");
    s.shSubPath = c.text("SHSUBPATH");
    s.szSubPath = c.text("SZSUBPATH");
    s.shHead = c.text("SHHEAD");
    s.szHead = c.text("SZHEAD");
    s.tail = c.text("TAIL");
    s.length = c.number("LENGTH");
    const auto type = text::parseInteger(c.text("TYPE"));
    s.type = type ? static_cast<int>(*type) : 0;
    s.sz = layout(c, "SZ");
    s.sh = layout(c, "SH");
    return s;
}

std::optional<QuoteSource> QuoteSources::current() {
    if (!toCurrent()) return std::nullopt;
    return shown();
}

bool QuoteSources::choose(std::string_view hqcode) {
    storage::Action action(engine_);
    if (table_.state() != storage::Cursor::State::Browse) table_.post();
    if (!table_.locate("HQCODE", {std::string(hqcode)})) return false;
    chooseShown();
    return true;
}

void QuoteSources::chooseShown() {
    if (table_.isEmpty()) return;
    storage::Action action(engine_);
    if (table_.state() != storage::Cursor::State::Browse) table_.post();
    const auto row = table_.bookmark();
    for (table_.first(); !table_.eof(); table_.next())
        if (table_.logical("NOW") && table_.bookmark().rowid != row.rowid) {
            table_.setValue("NOW", false);
            table_.post();
        }
    table_.gotoBookmark(row);
    table_.setValue("NOW", true);
    table_.post();
}

bool QuoteSources::setPath(const fs::path& dir) {
    std::string text = dir.lexically_normal().string();
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    if (text::gbkWidth(text) > kPathWidth || table_.isEmpty()) return false;
    storage::Action action(engine_);
    table_.setValue("PATH", text);
    table_.post();
    return true;
}

}  // namespace varneth::prices
