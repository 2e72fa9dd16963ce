#include "port/report_sink.h"

#include <cctype>

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

bool isDataFile(const std::filesystem::path& file) {
    std::error_code ec;
    // Through links and "..", to the file that would really be written.
    const auto real = std::filesystem::weakly_canonical(file, ec);
    std::string name = (ec ? file : real).filename().string();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* data : {"varneth.db", "varneth.db-wal", "varneth.db-shm", "varneth.db-journal"})
        if (name == data) return true;
    return false;
}

std::string cannotWrite(const std::filesystem::path& file) {
    return isDataFile(file) ? kDataFileRefused : "不能写入文件：" + file.string();
}

bool TextFileReport::finish() {
    if (isDataFile(file_)) return false;
    // Written whole at the end so that a failed report never leaves half a file behind.
    std::error_code ec;
    if (file_.has_parent_path()) std::filesystem::create_directories(file_.parent_path(), ec);
    auto tmp = file_;
    tmp += ".tmp";
    bool written;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << pages_.text();
        written = static_cast<bool>(out.flush());
    }
    if (written) std::filesystem::rename(tmp, file_, ec);
    if (written && !ec) return true;
    // Nothing half-written stays beside the file either.
    std::filesystem::remove(tmp, ec);
    return false;
}

}  // namespace varneth::port
