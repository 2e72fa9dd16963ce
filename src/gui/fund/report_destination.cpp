#include "fund/report_destination.h"

#include "port/told_report_file.h"
#include "ui/report_printer.h"
#include "ui/save_dialog.h"

namespace varneth::gui {

fund::OpenReport reportOutput(QWidget* parent, app::Session& session, const QString& title,
                              const std::string& prefix, const std::string& name) {
    return [=, &session](fund::ReportTarget target) -> std::unique_ptr<port::ReportSink> {
        if (target == fund::ReportTarget::Printer)
            return std::make_unique<ui::ReportPrinter>(parent, session.prompter(), title,
                                                       ui::reportFolder(session.accountDir()));
        const auto proposed =
            fund::proposedReportFile(session.accountDir(), prefix, name, session.clock().now());
        const QString file = ui::saveFileName(
            parent, QString::fromUtf8(fund::kSaveCaption), proposed.parent_path(),
            QString::fromStdU16String(proposed.filename().u16string()), QStringLiteral("文本文件 (*.txt)"));
        if (file.isEmpty()) return nullptr;
        return std::make_unique<port::ToldReportFile>(std::filesystem::path(file.toStdU16String()),
                                                      session.prompter());
    };
}

}  // namespace varneth::gui
