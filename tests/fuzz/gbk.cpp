// The GBK text helpers on any bytes, as legacy files and users' text hand them over.
#include "text/gbk.h"

#include <string>

#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varneth::text;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const int width = static_cast<int>(varneth::fuzz::choose(input, 64));

    const std::string utf8 = gbkToUtf8(input);
    FUZZ_CHECK(isValidUtf8(utf8));
    // The promise report columns rely on: the GBK bytes written are the width counted.
    FUZZ_CHECK(static_cast<int>(utf8ToGbk(utf8).size()) == gbkWidth(utf8));
    FUZZ_CHECK(static_cast<int>(utf8ToGbk(input).size()) == gbkWidth(input));

    const std::string cut = cutToWidth(input, width);
    FUZZ_CHECK(input.starts_with(cut) && gbkWidth(cut) <= width);
    const std::string cutText = cutToWidth(utf8, width);
    FUZZ_CHECK(std::string_view(utf8).starts_with(cutText) && gbkWidth(cutText) <= width);
    FUZZ_CHECK(isValidUtf8(cutText));

    FUZZ_CHECK(s10(utf8, width).starts_with(utf8));
    FUZZ_CHECK(cell(utf8, width).starts_with(utf8));
    return 0;
}
