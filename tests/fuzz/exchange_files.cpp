// The four tables of a "dbf" quote source: any one of them damaged or strange, the others whole.
#include "prices/exchange_files.h"

#include "scratch.h"
#include "support/dbf_writer.h"
#include "text/gbk.h"

namespace {

using varneth::prices::ExchangeFiles;
namespace fuzz = varneth::fuzz;

const std::filesystem::path& wholeTables() {
    static const std::filesystem::path dir = [] {
        using varneth::testsupport::writeDbf;
        const auto d = fuzz::scratch() / "whole";
        std::filesystem::create_directories(d);
        writeDbf(d / "z_hq.dbf", {{"FZQDM", 'C'}, {"FZJCJ", 'N'}}, {{"000001", "11.05"}});
        writeDbf(d / "z_zs.dbf", {{"FZSMC", 'C'}, {"FZJZS", 'N'}}, {{"深证成指", "10234.5"}});
        writeDbf(d / "z_zqxx.dbf", {{"FZQDM", 'C'}, {"FZQJC", 'C'}}, {{"000001", "平安银行"}});
        writeDbf(d / "show128.dbf", {{"S1", 'C'}, {"S2", 'C'}, {"S8", 'N'}},
                 {{"600036", "招商银行", "38.2"}});
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const char* damaged = ExchangeFiles::kFiles[fuzz::choose(input, std::size(ExchangeFiles::kFiles))];
    const auto dir = fuzz::scratch() / "source";
    std::filesystem::create_directories(dir);
    for (const char* name : ExchangeFiles::kFiles)
        std::filesystem::copy_file(wholeTables() / name, dir / name,
                                   std::filesystem::copy_options::overwrite_existing);
    fuzz::writeFile(dir / damaged, input);

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
