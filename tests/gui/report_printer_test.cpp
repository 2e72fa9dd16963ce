#include "ui/report_printer.h"

#include <QFile>
#include <QLabel>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "port/prompter.h"

using namespace varneth;

namespace {

// Page objects of a PDF as Qt writes it (uncompressed dictionaries).
int pdfPages(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    static const QRegularExpression page(QStringLiteral(R"(/Type\s*/Page(?![a-zA-Z]))"));
    const QString text = QString::fromLatin1(f.readAll());
    return static_cast<int>(text.count(page));
}

}  // namespace

class ReportPrinterTest : public QObject {
    Q_OBJECT

private slots:
    void oneReportPageIsOnePrintedPage() {
        QTemporaryDir dir;
        ui::ReportPrinter report(nullptr, prompter, QStringLiteral("持仓报告"), {});
        for (int p = 0; p < 3; ++p) {
            if (p > 0) report.newPage();
            report.line("                                      持仓报告");
            for (int i = 0; i < 66; ++i)  // taller and wider than a page holds at the report's size
                report.line("600000  浦发银行  " + std::to_string(i) + std::string(120, '-'));
        }
        report.newPage();  // a closing break adds no page
        QCOMPARE(report.pages().size(), 3u);
        const QString file = dir.filePath(QStringLiteral("report.pdf"));
        QVERIFY(ui::writeReportPdf(report.pages(), file));
        QCOMPARE(pdfPages(file), 3);
        QVERIFY(prompter.said.empty());
    }

    void aPdfThatCannotBeWrittenFails() {
        QVERIFY(!ui::writeReportPdf({{"x"}}, QStringLiteral("/nonexistent-dir/report.pdf")));
    }

    void aWindowImageIsOnePage() {
        QTemporaryDir dir;
        QLabel window(QStringLiteral("基金业绩"));
        window.resize(2000, 300);  // wider than the page: shrunk to fit
        const QString file = dir.filePath(QStringLiteral("window.pdf"));
        QPdfWriter pdf(file);
        QVERIFY(ui::paintWidgetImage(window, pdf));
        QCOMPARE(pdfPages(file), 1);
    }

private:
    port::ScriptedPrompter prompter;
};

QTEST_MAIN(ReportPrinterTest)
#include "report_printer_test.moc"
