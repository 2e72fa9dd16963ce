#pragma once

#include <QString>
#include <filesystem>

class QWidget;

namespace varneth::ui {

// The account's folder for reports and exports, "report" in the account directory.
std::filesystem::path reportFolder(const std::filesystem::path& accountDir);

// The logged-in account's report folder, for grids and printers made without a folder of their own.
// The main window sets it at login.
void setAccountReportFolder(std::filesystem::path folder);
const std::filesystem::path& accountReportFolder();

// A save dialog that starts in `folder` (the account's report folder when empty) (made when missing) with
// `fileName` suggested. The chosen file, or empty when the user cancelled.
QString saveFileName(QWidget* parent, const QString& caption, const std::filesystem::path& folder,
                     const QString& fileName, const QString& filter);

}  // namespace varneth::ui
