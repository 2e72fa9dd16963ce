#pragma once

#include <QString>
#include <string>

#include "app/session.h"
#include "fund/report_output.h"

class QWidget;

namespace varneth::gui {

// Where a fund report goes once the user has answered printer or file: the printer with its
// preview and PDF, or a UTF-8 text file chosen in a save dialog that proposes prefix + name +
// today's date in the account's report folder. A file that cannot be written is told by name.
fund::OpenReport reportOutput(QWidget* parent, app::Session& session, const QString& title,
                              const std::string& prefix, const std::string& name);

}  // namespace varneth::gui
