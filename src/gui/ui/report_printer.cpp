#include "ui/report_printer.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "text/gbk.h"
#include "ui/save_dialog.h"

namespace varneth::ui {

namespace {

constexpr qreal kPointSize = 10.0;

// What "打印设置" chose, for every printout after it.
struct ChosenPrinter {
    QString name;
    std::optional<QPageLayout> layout;
};
ChosenPrinter& chosenPrinter() {
    static ChosenPrinter chosen;
    return chosen;
}

void setUpPrinter(QPrinter& printer, const QString& title) {
    printer.setDocName(title);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    const ChosenPrinter& chosen = chosenPrinter();
    if (!chosen.name.isEmpty()) printer.setPrinterName(chosen.name);
    if (chosen.layout) printer.setPageLayout(*chosen.layout);
}

int cellsOf(const QString& character) {
    const QByteArray utf8 = character.toUtf8();
    if (utf8.size() == 1) return 1;
    return text::gbkWidth(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

bool isRule(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x2014 || u == 0x2015 || u == 0x2500 || u == 0x2501;  // — ― ─ ━
}

// Draws one line with every character in its own columns: runs of ASCII as they stand (the font is
// monospace), wider characters centred in the cells they take.
void drawLine(QPainter& painter, const QFontMetricsF& metrics, qreal cell, qreal baseline,
              const QString& line) {
    int column = 0;
    int runStart = 0;
    QString run;
    auto flush = [&] {
        if (!run.isEmpty()) painter.drawText(QPointF(runStart * cell, baseline), run);
        run.clear();
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const qsizetype length = line[i].isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
        const QString character = line.mid(i, length);
        i += length - 1;
        if (character[0].unicode() < 0x80) {
            if (run.isEmpty()) runStart = column;
            run += character;
            ++column;
            continue;
        }
        flush();
        const int cells = cellsOf(character);
        const qreal advance = metrics.horizontalAdvance(character);
        if (isRule(character[0]) && advance > 0) {
            // Rules are rows of dashes: stretched over their cells they join up, as on a Chinese printer.
            painter.save();
            painter.translate(column * cell, baseline);
            painter.scale(cells * cell / advance, 1.0);
            painter.drawText(QPointF(0, 0), character);
            painter.restore();
        } else {
            painter.drawText(QPointF(column * cell + (cells * cell - advance) / 2, baseline), character);
        }
        column += cells;
    }
    flush();
}

ReportPages withoutTrailingBreak(ReportPages pages) {
    if (pages.size() > 1 && pages.back().empty()) pages.pop_back();
    return pages;
}

}  // namespace

QFont reportFont() {
    QFont font(QStringLiteral("WenQuanYi Micro Hei Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(kPointSize);
    return font;
}

bool layoutReport(const ReportPages& pages, QPagedPaintDevice& device) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    std::size_t lines = 1;
    int cells = 1;
    for (const auto& page : pages) {
        lines = std::max(lines, page.size());
        for (const auto& l : page) cells = std::max(cells, text::gbkWidth(l));
    }
    QFont font = reportFont();
    {
        const QFontMetricsF m(font, &device);
        const qreal scale = std::min({1.0, device.width() / (cells * m.horizontalAdvance(QLatin1Char('0'))),
                                      device.height() / (static_cast<qreal>(lines) * m.lineSpacing())});
        if (scale < 1.0) font.setPointSizeF(kPointSize * scale * 0.99);
    }
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const qreal cell = metrics.horizontalAdvance(QLatin1Char('0'));
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage()) return false;
        qreal baseline = metrics.ascent();
        for (const auto& l : pages[p]) {
            drawLine(painter, metrics, cell, baseline, QString::fromStdString(l));
            baseline += metrics.lineSpacing();
        }
    }
    return painter.end();
}

bool writeReportPdf(const ReportPages& pages, const QString& file) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    setUpPrinter(printer, QFileInfo(file).completeBaseName());
    return layoutReport(pages, printer);
}

bool paintWidgetImage(QWidget& widget, QPagedPaintDevice& device) {
    const QPixmap image = widget.grab();
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const qreal toDevice = static_cast<qreal>(device.logicalDpiX()) / widget.logicalDpiX();
    QSizeF size = image.deviceIndependentSize() * toDevice;
    const QSizeF page(device.width(), device.height());
    if (size.width() > page.width() || size.height() > page.height()) size.scale(page, Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(QPointF(0, 0), size), image, QRectF(image.rect()));
    return painter.end();
}

bool choosePrinter(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, QStringLiteral("打印设置"));
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印设置"));
    if (dialog.exec() != QDialog::Accepted) return false;
    chosenPrinter() = {printer.printerName(), printer.pageLayout()};
    return true;
}

bool printWidgetImage(QWidget& widget, port::Prompter& prompter) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, widget.windowTitle());
    if (widget.width() > widget.height()) printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, &widget);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (paintWidgetImage(widget, printer)) return true;
    prompter.message("打印失败。");
    return false;
}

ReportPrinter::ReportPrinter(QWidget* parent, port::Prompter& prompter, QString title,
                             std::filesystem::path folder)
    : parent_(parent), prompter_(prompter), title_(std::move(title)), folder_(std::move(folder)) {}

void ReportPrinter::line(std::string_view text) {
    report_.line(text);
}

void ReportPrinter::newPage() {
    report_.newPage();
}

ReportPages ReportPrinter::pages() const {
    return withoutTrailingBreak(report_.pages);
}

bool ReportPrinter::finish() {
    const ReportPages pages = this->pages();
    QMessageBox box(parent_);
    box.setWindowTitle(title_);
    box.setIcon(QMessageBox::Question);
    box.setText(QStringLiteral("%1共%2页，请选择输出方式：").arg(title_).arg(pages.size()));
    QPushButton* print = box.addButton(QStringLiteral("打印..."), QMessageBox::AcceptRole);
    QPushButton* preview = box.addButton(QStringLiteral("打印预览..."), QMessageBox::ActionRole);
    QPushButton* pdf = box.addButton(QStringLiteral("存为PDF文件..."), QMessageBox::ActionRole);
    QPushButton* text = box.addButton(QStringLiteral("存为文本文件..."), QMessageBox::ActionRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(print);
    box.exec();
    if (box.clickedButton() == print) return this->print(pages);
    if (box.clickedButton() == preview) return this->preview(pages);
    if (box.clickedButton() == pdf) return savePdf(pages);
    if (box.clickedButton() == text) return saveText(pages);
    return false;
}

bool ReportPrinter::print(const ReportPages& pages) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, title_);
    QPrintDialog dialog(&printer, parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (layoutReport(pages, printer)) return true;
    prompter_.message("打印失败。");
    return false;
}

bool ReportPrinter::preview(const ReportPages& pages) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, title_);
    QPrintPreviewDialog dialog(&printer, parent_);
    dialog.setWindowTitle(title_);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&pages](QPrinter* target) { layoutReport(pages, *target); });
    return dialog.exec() == QDialog::Accepted;
}

bool ReportPrinter::savePdf(const ReportPages& pages) {
    const QString file = saveFileName(parent_, QStringLiteral("存为PDF文件"), folder_,
                                      title_ + QStringLiteral(".pdf"), QStringLiteral("PDF文件 (*.pdf)"));
    if (file.isEmpty()) return false;
    const std::filesystem::path path(file.toStdU16String());
    if (!port::isDataFile(path) && writeReportPdf(pages, file)) return true;
    prompter_.message(port::cannotWrite(path));
    return false;
}

bool ReportPrinter::saveText(const ReportPages& pages) {
    const QString file = saveFileName(parent_, QStringLiteral("存为文本文件"), folder_,
                                      title_ + QStringLiteral(".txt"), QStringLiteral("文本文件 (*.txt)"));
    if (file.isEmpty()) return false;
    port::TextFileReport out{std::filesystem::path(file.toStdU16String())};
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0) out.newPage();
        for (const auto& l : pages[p]) out.line(l);
    }
    if (out.finish()) return true;
    prompter_.message(port::cannotWrite(out.file()));
    return false;
}

}  // namespace varneth::ui
