#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <vector>

#include "port/prompter.h"
#include "port/report_sink.h"

class QPagedPaintDevice;
class QWidget;
class QFont;

namespace varneth::ui {

using ReportPages = std::vector<std::vector<std::string>>;

// Plain-text reports line up only in a monospace font whose Chinese characters are double width.
QFont reportFont();

// One report page per device page, in the report font, shrunk when the longest line or the longest
// page would not fit. Each character sits in the columns its GBK width gives it, so the columns
// hold even where a glyph comes from another font. False when painting could not start.
bool layoutReport(const ReportPages& pages, QPagedPaintDevice& device);
// The report as an A4 PDF file; false when the file could not be written.
bool writeReportPdf(const ReportPages& pages, const QString& file);

// The image of a window on one page, at its size on the screen or shrunk to fit the page.
bool paintWidgetImage(QWidget& widget, QPagedPaintDevice& device);
// Prints the image of a window on a printer the user chooses; false when cancelled or failed
// (a failure is told through the prompter).
bool printWidgetImage(QWidget& widget, port::Prompter& prompter);

// "打印设置": the printer and page layout the following printouts start from. False when cancelled.
bool choosePrinter(QWidget* parent);

// A report collected page by page; when it is finished the user sends it to a printer, a print
// preview, a PDF file or a UTF-8 text file.
class ReportPrinter : public port::ReportSink {
public:
    // Files are offered in `folder`, by default the account's report folder.
    ReportPrinter(QWidget* parent, port::Prompter& prompter, QString title,
                  std::filesystem::path folder = {});

    void line(std::string_view text) override;
    void newPage() override;
    // False when the user cancelled or the output failed (a failure is told through the prompter).
    bool finish() override;
    // The pages collected; a report that ends with a page break has no empty page after it.
    ReportPages pages() const;

private:
    bool print(const ReportPages& pages);
    bool preview(const ReportPages& pages);
    bool savePdf(const ReportPages& pages);
    bool saveText(const ReportPages& pages);

    QWidget* parent_;
    port::Prompter& prompter_;
    QString title_;
    std::filesystem::path folder_;
    port::MemoryReport report_;
};

}  // namespace varneth::ui
