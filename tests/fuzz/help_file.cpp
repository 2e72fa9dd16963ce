// The help file as users may edit it: any text parses, every topic renders.
#include "ui/help_file.h"

#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using varneth::ui::HelpFile;
    const HelpFile file =
        HelpFile::parse(QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const int contents = file.contentsIndex();
    FUZZ_CHECK(contents < static_cast<int>(file.topics().size()));
    FUZZ_CHECK((contents < 0) == file.topics().empty());
    for (const HelpFile::Topic& topic : file.topics()) {
        FUZZ_CHECK(file.indexOf(topic.keyword) >= 0);
        HelpFile::html(topic);
    }
    return 0;
}
