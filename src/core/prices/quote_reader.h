#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "prices/quote_source.h"

namespace varneth::prices {

// What the reader returns for a code it has no price for; every caller skips it.
inline constexpr float kNotFound = -999999.0f;

// The close of one code's latest day.
struct Reading {
    enum class Status { Found, Missing, Damaged };
    Status status = Status::Missing;
    float price = kNotFound;
    std::filesystem::path file;  // the file read, or the damaged one
    bool found() const { return status == Status::Found; }
};

// How the 4 bytes of a close are read: the source's TYPE 0-3.
enum class PriceEncoding { Float = 0, ComplementedThousandths = 1, Hundredths = 2, Thousandths = 3 };
PriceEncoding encodingOf(int type);

// A close in whole cents, rounded on the exact stored value (halves to the even cent); nullopt when
// the bytes hold no price (not finite, or beyond the 32-bit range of cents).
std::optional<std::int64_t> closeCents(const unsigned char (&bytes)[4], PriceEncoding encoding);
// The 32-bit float nearest to a number of cents: the price as stored.
float priceOfCents(std::int64_t cents);

// Reads the latest close of a code from the day-K-line files of one quote source.
class QuoteReader {
public:
    explicit QuoteReader(QuoteSource source);

    // The latest close, or kNotFound; `Reading::status` tells a missing file from a damaged one.
    Reading readprice(std::string_view code) const;

    // Where the day file of a code may lie, in the order tried, with how its close is encoded.
    // Empty for a code this source has no file for.
    struct Candidate {
        std::filesystem::path file;
        PriceEncoding encoding;
    };
    std::vector<Candidate> candidates(std::string_view code) const;

private:
    Reading readFile(const Candidate& candidate) const;

    QuoteSource source_;
    long long recordLength_ = 0;
};

}  // namespace varneth::prices
