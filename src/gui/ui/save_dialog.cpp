#include "ui/save_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <system_error>

namespace varneth::ui {

std::filesystem::path reportFolder(const std::filesystem::path& accountDir) {
    return accountDir / "report";
}

namespace {

std::filesystem::path& loggedInReports() {
    static std::filesystem::path folder;
    return folder;
}

}  // namespace

void setAccountReportFolder(std::filesystem::path folder) {
    loggedInReports() = std::move(folder);
}

const std::filesystem::path& accountReportFolder() {
    return loggedInReports();
}

QString saveFileName(QWidget* parent, const QString& caption, const std::filesystem::path& folder,
                     const QString& fileName, const QString& filter) {
    const std::filesystem::path& where = folder.empty() ? accountReportFolder() : folder;
    std::error_code ignored;  // a folder that cannot be made leaves the dialog to say where it is
    if (!where.empty()) std::filesystem::create_directories(where, ignored);
    const QDir start(QString::fromStdU16String(where.u16string()));
    QFileDialog dialog(parent, caption, start.filePath(fileName), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString suffix = QFileInfo(fileName).suffix();
    if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace varneth::ui
