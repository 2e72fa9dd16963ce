#include "fund/report_destination.h"

#include "fund/report_output.h"
#include "ui/report_printer.h"
#include "ui/save_dialog.h"

namespace varneth::gui {

bool deliverFundReport(QWidget* parent, port::Prompter& prompter, const QString& title,
                       const std::filesystem::path& proposed,
                       const std::function<void(port::ReportSink&)>& write) {
    if (prompter.ask(fund::kPrintOrFile)) {
        ui::ReportPrinter printer(parent, prompter, title, proposed.parent_path());
        write(printer);
        return printer.finish();
    }
    const QString file = ui::saveFileName(
        parent, QString::fromUtf8(fund::kSaveCaption), proposed.parent_path(),
        QString::fromStdU16String(proposed.filename().u16string()), QStringLiteral("文本文件 (*.txt)"));
    if (file.isEmpty()) return false;
    // The file is written whole at the end, so a report that fails leaves no half file behind.
    port::TextFileReport out{std::filesystem::path(file.toStdU16String())};
    write(out);
    if (out.finish()) return true;
    prompter.message(port::cannotWrite(out.file()));
    return false;
}

}  // namespace varneth::gui
