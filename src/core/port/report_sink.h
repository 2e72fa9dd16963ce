#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace varneth::port {

// Where a report's plain-text lines go: the printer (preview, PDF) in the GUI, or a text file.
// A report is a sequence of pages, each a sequence of lines.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void line(std::string_view text) = 0;
    virtual void newPage() = 0;
    // The report is complete; false when it could not be delivered (the sink has said why).
    virtual bool finish() = 0;
};

// Collects pages in memory: for tests, and for front ends that lay pages out themselves.
class MemoryReport : public ReportSink {
public:
    void line(std::string_view text) override;
    void newPage() override { pages.emplace_back(); }
    bool finish() override { return true; }
    std::vector<std::vector<std::string>> pages;
    // The pages as one text, every line ending with "\n": a report's own page layout (its closing
    // blank lines) separates the pages, as on paper.
    std::string text() const;
};

// An output file (report, image, CSV) must never land on the program's own database files: a report
// named varneth.db would replace an account's tables.
constexpr const char* kDataFileRefused = "不能写到数据文件上，请换一个文件名。";
bool isDataFile(const std::filesystem::path& file);
// Why `file` was not written: a data file is refused, anything else could not be written.
std::string cannotWrite(const std::filesystem::path& file);

// Writes the report's lines to a UTF-8 text file, page after page. A data file is never written.
class TextFileReport : public ReportSink {
public:
    explicit TextFileReport(std::filesystem::path file);
    void line(std::string_view text) override;
    void newPage() override;
    bool finish() override;
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    MemoryReport pages_;
};

}  // namespace varneth::port
