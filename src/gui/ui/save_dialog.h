#pragma once

#include <QString>
#include <filesystem>

class QWidget;

namespace varneth::ui {

// The account's folder for reports and exports, "report" in the account directory.
std::filesystem::path reportFolder(const std::filesystem::path& accountDir);

// A save dialog that starts in `folder` (made when missing) with `fileName` suggested. The chosen
// file, or empty when the user cancelled.
QString saveFileName(QWidget* parent, const QString& caption, const std::filesystem::path& folder,
                     const QString& fileName, const QString& filter);

}  // namespace varneth::ui
