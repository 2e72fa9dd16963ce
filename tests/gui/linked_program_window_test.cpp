#include "accounts/linked_program_window.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "app/login.h"
#include "app/program_directory.h"

using namespace varneth;
using accounts::LinkedProgram;
namespace fs = std::filesystem;

namespace {

struct FakeLauncher : port::Launcher {
    port::LaunchResult startProgram(const std::string&, const std::string&, port::ShowMode) override { return result; }
    port::LaunchResult openLink(const std::string&) override { return port::LaunchResult::Failed; }
    port::LaunchResult result = port::LaunchResult::FileNotFound;
};

// A bare program directory per case, logged in on "我的帐户".
struct Fixture {
    QTemporaryDir dir;
    QTemporaryDir programs{QStringLiteral("/tmp/vlXXXXXX")};  // fits the 25 bytes of the path field
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Session> session;
    std::unique_ptr<gui::LinkedProgramWindow> window;
};

}  // namespace

class LinkedProgramWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        f = std::make_unique<Fixture>();
        const fs::path programDir(f->dir.path().toStdU16String());
        app::createProgramDirectory(
            programDir, app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())), true);
        app::Login login(f->engine, programDir, f->prompter, f->clock);
        QVERIFY(login.start());
        f->session = login.enter("我的帐户", "");
        QVERIFY(f->session != nullptr);
        QFile(folder() + "wt.sh").open(QIODevice::WriteOnly);
        f->window = std::make_unique<gui::LinkedProgramWindow>(*f->session);
        f->window->setFilePicker([this](QWidget*) { return folder() + "wt.sh"; });
        f->window->showCentred();
    }
    void cleanup() {
        QVERIFY(f->prompter.unexpected.empty());
        f.reset();
    }

    void aPickedProgramAndTypedNameAreStoredAndTheLinkFileWrittenOnClosing() {
        QCOMPARE(f->window->windowTitle(), QStringLiteral("委托程序设置窗口"));
        click("改路径及程序");
        QCOMPARE(box(1)->text(), folder());
        box(0)->setText(QStringLiteral("华泰"));  // still in the box when the window closes
        f->window->close();
        QCOMPARE(f->window->program().wtrj(), std::string("华泰"));
        QCOMPARE(list()->itemText(0), QStringLiteral("华泰 ; wt.sh ; ") + folder());
        QFile link(folder() + "path.txt");
        QVERIFY(link.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(link.readAll()).split('\n').at(2), QStringLiteral("2026-12-07"));
        QVERIFY(f->prompter.messages.empty());
    }

    void aRefusedBoxShowsTheStoredValueAndAWrongProgramIsToldOnClosing() {
        click("改路径及程序");
        box(2)->setText(QStringLiteral("missing.sh"));
        box(1)->setText(folder() + QStringLiteral("much-too-long-a-name/"));
        QMetaObject::invokeMethod(box(1), "editingFinished");
        QCOMPARE(box(1)->text(), folder());
        f->window->close();
        QCOMPARE(f->prompter.messages.back(), std::string(LinkedProgram::kProgramMissing));
        QVERIFY(!QFile::exists(folder() + "path.txt"));

        // A program the launcher cannot find brings the settings up again.
        FakeLauncher launcher;
        f->window->startLinkedProgram(launcher);
        QCOMPARE(f->prompter.messages.back(), std::string(LinkedProgram::kLaunchNotFound));
        QVERIFY(f->window->isVisible());
    }

private:
    QString folder() const { return f->programs.path() + QLatin1Char('/'); }
    QComboBox* list() const { return f->window->findChild<QComboBox*>(); }
    QLineEdit* box(int i) const { return f->window->findChildren<QLineEdit*>().at(i); }
    void click(const char* caption) {
        for (auto* b : f->window->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(caption)) return b->click();
        QFAIL(caption);
    }

    std::unique_ptr<Fixture> f;
};

QTEST_MAIN(LinkedProgramWindowTest)
#include "linked_program_window_test.moc"
