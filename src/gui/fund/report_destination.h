#pragma once

#include <QString>
#include <filesystem>
#include <functional>

#include "port/prompter.h"
#include "port/report_sink.h"

class QWidget;

namespace varneth::gui {

// Where a fund report goes, asked first: Yes sends it to the printer (with preview and PDF), No to
// a UTF-8 text file chosen in a save dialog that offers `proposed`. `write` lays the report out.
// False when the user cancelled or the output failed (the failure told, naming the file).
bool deliverFundReport(QWidget* parent, port::Prompter& prompter, const QString& title,
                       const std::filesystem::path& proposed,
                       const std::function<void(port::ReportSink&)>& write);

}  // namespace varneth::gui
