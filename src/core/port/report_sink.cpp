#include "port/report_sink.h"

namespace varneth::port {

void MemoryReport::line(std::string_view text) {
    if (pages.empty()) pages.emplace_back();
    pages.back().emplace_back(text);
}

std::string MemoryReport::text() const {
    std::string out;
    for (const auto& page : pages) {
        for (const auto& l : page) {
            out += l;
            out += '\n';
        }
    }
    return out;
}

TextFileReport::TextFileReport(std::filesystem::path file) : file_(std::move(file)) {}

void TextFileReport::line(std::string_view text) {
    pages_.line(text);
}

void TextFileReport::newPage() {
    pages_.newPage();
}

bool TextFileReport::finish() {
    // Written whole at the end so that a failed report never leaves half a file behind.
    std::error_code ec;
    if (file_.has_parent_path()) std::filesystem::create_directories(file_.parent_path(), ec);
    auto tmp = file_;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << pages_.text();
        if (!out.flush()) return false;
    }
    std::filesystem::rename(tmp, file_, ec);
    return !ec;
}

}  // namespace varneth::port
