// The day-K-line reader: any file at any record layout and price type of every quote package,
// the "tdx" files of both markets included, reads as a price, a missing file or a damaged one.
#include <cmath>
#include <string>

#include "prices/quote_reader.h"
#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varneth::prices;
    namespace fuzz = varneth::fuzz;
    static const char* const packages[] = {"hjin", "qlong", "slon", "eye98", "tdx", "own"};
    static const char* const codes[] = {"600036", "000001", "900901", "150001",
                                        "0001",   "699001", "999999", "510050"};
    std::string_view input(reinterpret_cast<const char*>(data), size);

    QuoteSource source;
    source.hqcode = packages[fuzz::choose(input, std::size(packages))];
    source.path = fuzz::scratch().string();
    source.shSubPath = "\\sh";
    source.szSubPath = "\\sz";
    source.shHead = "sh";
    source.szHead = "sz";
    source.tail = "day";
    source.type = static_cast<int>(fuzz::choose(input, 4));
    source.length = static_cast<double>(fuzz::choose(input, 64) + 12);
    const std::string code = codes[fuzz::choose(input, std::size(codes))];
    const std::size_t place = fuzz::choose(input, 2);

    const QuoteReader reader(source);
    const auto candidates = reader.candidates(code);
    std::error_code ec;
    for (const auto& c : candidates) std::filesystem::remove(c.file, ec);
    if (candidates.empty()) return 0;
    fuzz::writeFile(candidates[place % candidates.size()].file, input);

    const Reading r = reader.readprice(code);
    FUZZ_CHECK(r.status != Reading::Status::Missing);
    if (r.found())
        FUZZ_CHECK(std::isfinite(r.price) && std::fabs(r.price) <= 2147483648.0f / 100);
    else
        FUZZ_CHECK(r.price == kNotFound);
    return 0;
}
