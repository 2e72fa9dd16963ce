#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <filesystem>

#include "app/login_window.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "storage/engine.h"
#include "storage/file_error.h"
#include "ui/qt_prompter.h"
#include "ui/window_memory.h"

using namespace varneth;

namespace {

// A failure the core did not foresee (a database that cannot be written, a damaged table) ends the
// action it happened in; the user is told and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::filesystem::filesystem_error& e) {
            ui::QtPrompter().message(storage::describeFileError(e));
            return false;
        } catch (const std::exception& e) {
            ui::QtPrompter().message(e.what());
            return false;
        }
    }
};

int run(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varneth 2.1"));
    QApplication::setApplicationVersion(QStringLiteral(VARNETH_VERSION));
    ui::installChineseTranslation(app);
    ui::WindowMemory places;
    app.installEventFilter(&places);

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("私募基金帐户管理软件"));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption dirOption(QStringLiteral("dir"), QStringLiteral("程序目录（缺省为当前目录）"),
                                       QStringLiteral("DIR"));
    options.addOption(dirOption);
    options.process(app);

    // The program directory is the one named, else the directory the program is started in; an
    // installed program uses the user's own, made from the seed on its first start.
    const std::filesystem::path exeDir(QCoreApplication::applicationDirPath().toStdU16String());
    std::filesystem::path programDir;
    if (options.isSet(dirOption)) {
        programDir = std::filesystem::path(options.value(dirOption).toStdU16String());
    } else {
        try {
            programDir = varneth::app::defaultProgramDir(exeDir);
            if (varneth::app::isInstalled(exeDir))
                varneth::app::ensureProgramDirectory(programDir, varneth::app::findDataDir(exeDir));
        } catch (const varneth::app::SeedError& e) {
            ui::QtPrompter().message(e.what());
            return 1;
        }
    }

    storage::Engine engine;
    // The hourglass while an action waits for a scheduled job's write to end.
    engine.setWaitNotifier([](bool waiting) {
        if (waiting)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    });
    ui::QtPrompter prompter;
    port::SystemClock clock;
    // Only the login window ends the program: the main window comes and goes with each login.
    QApplication::setQuitOnLastWindowClosed(false);
    gui::LoginWindow login(engine, std::filesystem::absolute(programDir), prompter, clock);
    QObject::connect(&login, &gui::LoginWindow::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    login.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varneth: %s\n", e.what());
        return 1;
    }
}
