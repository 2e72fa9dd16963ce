// The four tables of a "dbf" quote source: any one of them damaged or strange, the others whole.
#include "prices/exchange_files.h"

#include <iterator>
#include <map>
#include <string>

#include "scratch.h"
#include "support/dbf_writer.h"
#include "text/gbk.h"

namespace {

using varneth::prices::ExchangeFiles;
namespace fuzz = varneth::fuzz;

// The whole tables' bytes, written anew for every input (a file copy would be cut short by the
// fuzzer's timer signal).
const std::map<std::string, std::string>& wholeTables() {
    static const std::map<std::string, std::string> tables = [] {
        using varneth::testsupport::writeDbf;
        const auto d = fuzz::scratch() / "whole";
        std::filesystem::create_directories(d);
        writeDbf(d / "z_hq.dbf", {{"FZQDM", 'C'}, {"FZJCJ", 'N'}}, {{"000001", "11.05"}});
        writeDbf(d / "z_zs.dbf", {{"FZSMC", 'C'}, {"FZJZS", 'N'}}, {{"深证成指", "10234.5"}});
        writeDbf(d / "z_zqxx.dbf", {{"FZQDM", 'C'}, {"FZQJC", 'C'}}, {{"000001", "平安银行"}});
        writeDbf(d / "show128.dbf", {{"S1", 'C'}, {"S2", 'C'}, {"S8", 'N'}},
                 {{"600036", "招商银行", "38.2"}});
        std::map<std::string, std::string> bytes;
        for (const char* name : ExchangeFiles::kFiles) {
            std::ifstream in(d / name, std::ios::binary);
            bytes[name].assign(std::istreambuf_iterator<char>(in), {});
        }
        return bytes;
    }();
    return tables;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const char* damaged = ExchangeFiles::kFiles[fuzz::choose(input, std::size(ExchangeFiles::kFiles))];
    const auto dir = fuzz::scratch() / "source";
    std::filesystem::create_directories(dir);
    for (const auto& [name, bytes] : wholeTables())
        fuzz::writeFile(dir / name, name == damaged ? input : std::string_view(bytes));

    const auto opened = ExchangeFiles::createtabs(dir);
    FUZZ_CHECK(opened.missing.empty());
    FUZZ_CHECK(opened.files.has_value() == opened.unreadable.empty());
    if (!opened.files) return 0;
    for (const auto* rows :
         {&opened.files->shenzhen, &opened.files->shanghai, &opened.files->shenzhenIndices})
        for (const auto& q : *rows)
            FUZZ_CHECK(varneth::text::isValidUtf8(q.code) && varneth::text::isValidUtf8(q.name));
    return 0;
}
