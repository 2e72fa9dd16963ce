#include "prices/quote_reader.h"

#include <bit>
#include <cmath>
#include <fstream>
#include <limits>

#include "text/numbers.h"

namespace varneth::prices {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMaxCents = std::numeric_limits<std::int32_t>::max();
constexpr long long kCloseOffset = 16;
constexpr long long kCloseWidth = 4;

// Codes name files: anything but letters and digits could lead out of the quote directory.
bool usableCode(std::string_view code) {
    if (code.empty()) return false;
    for (const char c : code)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    return true;
}

// 699001 is the program's own code for the Shanghai composite index, whose file is 000001.
std::string shanghaiFileCode(std::string_view code) {
    if (code == "699001" || code == "999") return "000001";
    return std::string(code);
}

bool shenzhenRange(std::string_view code, bool upToInclusive) {
    const bool below = upToInclusive ? code <= "499999" : code < "499999";
    return code >= "000001" && below && code != "000300";
}

// Shanghai B shares, funds and bonds keep their close in thousandths in tdx day files; every other
// code (A shares, indices, Shenzhen B shares) in hundredths.
PriceEncoding tdxEncoding(std::string_view code) {
    for (const char* prefix : {"900", "5", "15", "16", "18", "01", "10", "11", "12", "13", "14"})
        if (code.starts_with(prefix)) return PriceEncoding::Thousandths;
    return PriceEncoding::Hundredths;
}

std::int64_t thousandthsToCents(std::int64_t thousandths) {
    std::int64_t q = thousandths / 10;
    std::int64_t r = thousandths % 10;
    if (r < 0) {  // floor division, so that the remainder is 0..9
        q -= 1;
        r += 10;
    }
    if (r > 5 || (r == 5 && (q & 1) != 0)) ++q;
    return q;
}

}  // namespace

PriceEncoding encodingOf(int type) {
    switch (type) {
        case 1:
            return PriceEncoding::ComplementedThousandths;
        case 2:
            return PriceEncoding::Hundredths;
        case 3:
            return PriceEncoding::Thousandths;
        default:
            return PriceEncoding::Float;
    }
}

std::optional<std::int64_t> closeCents(const unsigned char (&bytes)[4], PriceEncoding encoding) {
    const std::uint32_t raw =
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    const auto v = static_cast<std::int64_t>(std::bit_cast<std::int32_t>(raw));
    std::int64_t cents = 0;
    switch (encoding) {
        case PriceEncoding::ComplementedThousandths:
            cents = thousandthsToCents(~v);
            break;
        case PriceEncoding::Hundredths:
            cents = v;
            break;
        case PriceEncoding::Thousandths:
            cents = thousandthsToCents(v);
            break;
        case PriceEncoding::Float: {
            const float f = std::bit_cast<float>(raw);
            if (!std::isfinite(f)) return std::nullopt;
            // A float has 24 significant bits, so f × 100 is exact in a double: the half is a true half.
            const double scaled = text::roundHalfEven(static_cast<double>(f) * 100.0);
            if (std::fabs(scaled) > static_cast<double>(kMaxCents)) return std::nullopt;
            cents = static_cast<std::int64_t>(scaled);
            break;
        }
    }
    if (cents > kMaxCents || cents < -kMaxCents) return std::nullopt;
    return cents;
}

float priceOfCents(std::int64_t cents) {
    // cents / 100 is never close enough to a float's halfway point for the double step to matter.
    return static_cast<float>(static_cast<double>(cents) / 100.0);
}

QuoteReader::QuoteReader(QuoteSource source) : source_(std::move(source)) {
    if (std::isfinite(source_.length) && source_.length > 0 && source_.length < 1e9)
        recordLength_ = std::llround(source_.length);
}

std::vector<QuoteReader::Candidate> QuoteReader::candidates(std::string_view code) const {
    if (!usableCode(code)) return {};
    const std::string& p = source_.path;
    const std::string c(code);
    const bool shortCode = code.size() <= 4;
    const PriceEncoding typed = encodingOf(source_.type);
    auto one = [&](const std::string& relative) {
        return std::vector<Candidate>{{joinPath(p, relative), typed}};
    };
    const std::string& h = source_.hqcode;
    if (h == "hjin")
        return one(shortCode ? "\\exe\\lineday\\sz\\sz" + c + ".psd" : "\\exe\\lineday\\sh\\sh" + c + ".psd");
    if (h == "qlong") {
        if (shortCode || code >= "999998") return one("\\hkse\\day\\" + c + ".1dy");
        if (shenzhenRange(code, true)) return one("\\sznse\\day\\" + c + ".day");
        return one("\\shase\\day\\" + shanghaiFileCode(code) + ".day");
    }
    if (h == "slon")
        return one(shortCode ? "\\data\\sz\\day\\" + c + ".day" : "\\data\\sh\\day\\" + c + ".day");
    if (h == "eye98") return one(shortCode ? "\\stkdt\\za" + c + ".dat" : "\\stkdt\\ha" + c + ".dat");
    if (h == "tdx") {
        if (code.size() != 6) return {};
        const PriceEncoding e = tdxEncoding(code);
        const Candidate sz{joinPath(p, "\\vipdoc\\sz\\lday\\sz" + c + ".day"), e};
        const Candidate sh{joinPath(p, "\\vipdoc\\sh\\lday\\sh" + shanghaiFileCode(code) + ".day"), e};
        if (shenzhenRange(code, false)) return {sz, sh};
        return {sh, sz};
    }
    if (shortCode) return one("\\hkse\\day\\" + c + ".day");
    if (shenzhenRange(code, false))
        return one(source_.szSubPath + "\\" + source_.szHead + c + "." + source_.tail);
    return one(source_.shSubPath + "\\" + source_.shHead + shanghaiFileCode(code) + "." + source_.tail);
}

Reading QuoteReader::readprice(std::string_view code) const {
    Reading last;
    // Only a missing file sends the reader on to the next place: a damaged one is reported as such.
    for (const Candidate& candidate : candidates(code)) {
        last = readFile(candidate);
        if (last.status != Reading::Status::Missing) return last;
    }
    return last;
}

Reading QuoteReader::readFile(const Candidate& candidate) const {
    Reading r;
    r.file = candidate.file;
    std::error_code ec;
    const fs::file_status status = fs::status(candidate.file, ec);
    if (!fs::exists(status)) return r;
    r.status = Reading::Status::Damaged;
    if (!fs::is_regular_file(status)) return r;
    std::ifstream in;
    in.rdbuf()->pubsetbuf(nullptr, 0);  // four bytes are read: no block to fill
    in.open(candidate.file, std::ios::binary);
    if (!in) return r;
    const auto size = static_cast<long long>(fs::file_size(candidate.file, ec));
    if (ec || recordLength_ < kCloseOffset + kCloseWidth || size < recordLength_) return r;
    unsigned char bytes[4];
    in.seekg(size - recordLength_ + kCloseOffset);
    if (!in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) return r;
    const auto cents = closeCents(bytes, candidate.encoding);
    if (!cents) return r;
    r.status = Reading::Status::Found;
    r.price = priceOfCents(*cents);
    return r;
}

}  // namespace varneth::prices
