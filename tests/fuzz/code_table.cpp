// The code-table reader: any file under the fixed layouts of the packages and under layouts a user
// typed in, however wrong.
#include "prices/code_table.h"

#include <string>

#include "scratch.h"
#include "text/gbk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varneth::prices;
    namespace fuzz = varneth::fuzz;
    std::string_view input(reinterpret_cast<const char*>(data), size);

    std::vector<CodeTableLayout> layouts;
    for (const char* package : {"hjin", "ml30", "slon"})
        for (const auto& l : builtInCodeTables(package)) layouts.push_back(l);
    CodeTableLayout typed;
    typed.recordLength = static_cast<int>(fuzz::choose(input, 40)) - 2;
    typed.codePos = static_cast<int>(fuzz::choose(input, 40)) - 2;
    typed.codeLength = static_cast<int>(fuzz::choose(input, 40)) - 2;
    typed.namePos = static_cast<int>(fuzz::choose(input, 40)) - 2;
    typed.nameLength = static_cast<int>(fuzz::choose(input, 40)) - 2;
    layouts.push_back(typed);
    const CodeTableLayout& layout = layouts[fuzz::choose(input, layouts.size())];

    const auto file = fuzz::scratch() / "codes.dat";
    fuzz::writeFile(file, input);
    const CodeTable table = CodeTable::read(file, layout);
    if (!CodeTable::usableLayout(layout)) {
        FUZZ_CHECK(table.status == CodeTable::Status::BadLayout && table.entries.empty());
        return 0;
    }
    FUZZ_CHECK(table.status == CodeTable::Status::Read);
    FUZZ_CHECK(table.entries.size() == input.size() / static_cast<std::size_t>(layout.recordLength));
    for (const CodeEntry& e : table.entries)
        FUZZ_CHECK(static_cast<int>(e.code.size()) <= layout.codeLength &&
                   varneth::text::isValidUtf8(e.name));
    return 0;
}
