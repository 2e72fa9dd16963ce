#include "accounts/linked_program_window.h"

#include <QComboBox>
#include <QFile>

#include "demo_login.h"

using namespace varneth;
using accounts::LinkedProgram;

namespace {

struct FakeLauncher : port::Launcher {
    port::LaunchResult startProgram(const std::string&, const std::string&, port::ShowMode) override {
        return port::LaunchResult::FileNotFound;
    }
    port::LaunchResult openLink(const std::string&) override { return port::LaunchResult::Failed; }
};

}  // namespace

// The seed lists no order program; the picker always picks "wt.sh" in a short folder of its own.
class LinkedProgramWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        login = std::make_unique<DemoLogin>();
        QVERIFY(login->enter());
        programs = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/vlXXXXXX"));
        QFile(folder() + "wt.sh").open(QIODevice::WriteOnly);
        window = std::make_unique<gui::LinkedProgramWindow>(*login->session);
        window->setFilePicker([this](QWidget*) { return folder() + "wt.sh"; });
        window->showCentred();
    }
    void cleanup() {
        QVERIFY(login->prompter.unexpected.empty());
        window.reset();
        login.reset();
    }

    void aPickedProgramAndTypedNameAreStoredAndTheLinkFileWrittenOnClosing() {
        QCOMPARE(window->windowTitle(), QStringLiteral("委托程序设置窗口"));
        click("改路径及程序");
        QCOMPARE(box(1)->text(), folder());
        box(0)->setText(QStringLiteral("华泰"));  // still in the box when the window closes
        window->close();
        QCOMPARE(window->program().wtrj(), std::string("华泰"));
        QCOMPARE(window->findChild<QComboBox*>()->itemText(0), QStringLiteral("华泰 ; wt.sh ; ") + folder());
        QFile link(folder() + "path.txt");
        QVERIFY(link.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(link.readAll()).split('\n').at(2), QStringLiteral("2026-12-07"));
        QVERIFY(login->prompter.messages.empty());
    }

    void aRefusedBoxShowsTheStoredValueAndAWrongProgramIsToldOnClosing() {
        click("改路径及程序");
        box(2)->setText(QStringLiteral("missing.sh"));
        box(1)->setText(folder() + QString(300, QLatin1Char('x')) + QLatin1Char('/'));
        QMetaObject::invokeMethod(box(1), "editingFinished");
        QCOMPARE(box(1)->text(), folder());
        window->close();
        QCOMPARE(login->prompter.messages.back(), std::string(LinkedProgram::kProgramMissing));
        QVERIFY(!QFile::exists(folder() + "path.txt"));

        FakeLauncher launcher;  // a program the launcher cannot find brings the settings up again
        window->startLinkedProgram(launcher);
        QCOMPARE(login->prompter.messages.back(), std::string(LinkedProgram::kLaunchNotFound));
        QVERIFY(window->isVisible());
    }

private:
    QString folder() const { return programs->path() + QLatin1Char('/'); }
    QLineEdit* box(int i) const { return window->findChildren<QLineEdit*>().at(i); }
    void click(const char* caption) { buttonIn(window.get(), caption)->click(); }

    std::unique_ptr<DemoLogin> login;
    std::unique_ptr<QTemporaryDir> programs;
    std::unique_ptr<gui::LinkedProgramWindow> window;
};

QTEST_MAIN(LinkedProgramWindowTest)
#include "linked_program_window_test.moc"
