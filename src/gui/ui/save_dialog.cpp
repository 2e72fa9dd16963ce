#include "ui/save_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <system_error>

namespace varneth::ui {

std::filesystem::path reportFolder(const std::filesystem::path& accountDir) {
    return accountDir / "report";
}

QString saveFileName(QWidget* parent, const QString& caption, const std::filesystem::path& folder,
                     const QString& fileName, const QString& filter) {
    std::error_code ignored;  // a folder that cannot be made leaves the dialog to say where it is
    std::filesystem::create_directories(folder, ignored);
    const QDir start(QString::fromStdU16String(folder.u16string()));
    QFileDialog dialog(parent, caption, start.filePath(fileName), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString suffix = QFileInfo(fileName).suffix();
    if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace varneth::ui
