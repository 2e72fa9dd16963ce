// The optimiser's parameter file: whatever parses must write back to the same parameters.
#include <string>

#include "optimiser/parameters.h"
#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varneth::optimiser;
    const auto p = parsePrd(std::string(reinterpret_cast<const char*>(data), size));
    if (!p) return 0;
    const auto again = parsePrd(prdText(*p));
    FUZZ_CHECK(again && *again == *p);
    levelsLabel(*p, 0);
    levelsLabel(*p, 1);
    forecastOf(*p);
    return 0;
}
