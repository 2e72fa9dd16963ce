#include "ui/qt_launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace varneth::ui {

using port::LaunchResult;

LaunchResult QtLauncher::startProgram(const std::string& path, const std::string& parameters,
                                      port::ShowMode) {
    QString program = QString::fromStdString(path);
    if (program.isEmpty()) return LaunchResult::FileNotFound;
    if (!QFileInfo::exists(program)) {
        const bool bareName = !program.contains(QLatin1Char('/')) && !program.contains(QDir::separator());
        program = bareName ? QStandardPaths::findExecutable(program) : QString();
        if (program.isEmpty()) return LaunchResult::FileNotFound;
    }
    const QStringList arguments = QProcess::splitCommand(QString::fromStdString(parameters));
    return QProcess::startDetached(program, arguments) ? LaunchResult::Started : LaunchResult::Failed;
}

LaunchResult QtLauncher::openLink(const std::string& url) {
    const QUrl target = QUrl::fromUserInput(QString::fromStdString(url), QDir::currentPath());
    if (!target.isValid()) return LaunchResult::Failed;
    if (target.isLocalFile() && !QFileInfo::exists(target.toLocalFile())) return LaunchResult::FileNotFound;
    return QDesktopServices::openUrl(target) ? LaunchResult::Started : LaunchResult::Failed;
}

}  // namespace varneth::ui
