// The exchanges' day-end quote files: any file reads whole, or is refused as damaged.
#include "prices/exchange_quotes.h"

#include "scratch.h"
#include "text/gbk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using varneth::prices::ExchangeQuotes;
    namespace fuzz = varneth::fuzz;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const ExchangeQuotes::File& file =
        fuzz::choose(input, 2) ? ExchangeQuotes::kShanghai : ExchangeQuotes::kShenzhen;
    fuzz::writeFile(fuzz::scratch() / file.name, input);

    std::vector<ExchangeQuotes::Quote> quotes;
    const auto state = ExchangeQuotes::readFile(fuzz::scratch(), file, quotes);
    FUZZ_CHECK(state != ExchangeQuotes::FileState::Missing);
    if (state == ExchangeQuotes::FileState::Damaged) FUZZ_CHECK(quotes.empty());
    for (const auto& q : quotes)
        FUZZ_CHECK(varneth::text::isValidUtf8(q.code) && varneth::text::isValidUtf8(q.name));
    ExchangeQuotes::table(fuzz::scratch(), file);
    return 0;
}
