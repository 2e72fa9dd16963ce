#include <QCheckBox>
#include <QComboBox>
#include <QSettings>
#include <QStandardPaths>

#include "accounts/account_window.h"
#include "accounts/file_copy_window.h"
#include "accounts/password_window.h"
#include "demo_login.h"

using namespace varneth;
using storage::Alias;
namespace fs = std::filesystem;

// The bare program directory: "我的帐户" alone, with no password.
class AccountWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanupTestCase() { QSettings(QStringLiteral("Varneth"), QStringLiteral("Varneth")).clear(); }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        programDir = fs::path(dir->path().toStdU16String());
        app::createProgramDirectory(
            programDir, app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())),
            /*bare=*/true);
        engine = std::make_unique<storage::Engine>();
        engine->bind(Alias::Curr, programDir);
        prompter = std::make_unique<port::ScriptedPrompter>();
    }
    void cleanup() {
        QVERIFY(prompter->unexpected.empty());
        engine.reset();
        dir.reset();
    }

    void addsAnAccountAndEndsTheProgramOnClosing() {
        gui::AccountWindow window(*engine, programDir, *prompter);
        QCOMPARE(window.windowTitle(), QStringLiteral("添加/删除管理帐户"));
        auto* name = window.findChild<QLineEdit*>("nameBox");
        auto* subdir = window.findChild<QLineEdit*>("subdirBox");
        auto* list = window.findChild<QComboBox*>("accountList");
        QCOMPARE(name->text() + subdir->text(), QStringLiteral("张三zs"));
        window.show();

        // Each "确认" ends the login first; a Subdir taken is told and its box takes the focus.
        QSignalSpy loginEnd(&window, &gui::AccountWindow::loginEndRequested);
        subdir->setText(QStringLiteral("user"));
        QTest::mouseClick(buttonIn(&window, "确认"), Qt::LeftButton);
        QCOMPARE(prompter->messages.back(), std::string(accounts::AccountAdmin::kSubdirTaken));
        QCOMPARE(window.focusWidget(), static_cast<QWidget*>(subdir));

        name->setText(QStringLiteral("李四"));
        subdir->setText(QStringLiteral("ls"));
        QTest::keyClicks(window.findChild<QLineEdit*>("passwordBox"), "pw");
        QTest::mouseClick(buttonIn(&window, "确认"), Qt::LeftButton);
        QCOMPARE(prompter->messages.back(), std::string(accounts::AccountAdmin::kAdded));
        QCOMPARE(loginEnd.count(), 2);
        QCOMPARE(list->maxVisibleItems(), 2);
        QVERIFY(list->findText(QStringLiteral("李四;ls")) >= 0);

        // Deleting the chosen account asks its own password.
        list->setCurrentIndex(list->findText(QStringLiteral("李四;ls")));
        QTest::keyClicks(window.findChild<QLineEdit*>("accountPasswordBox"), "pw");
        // It asks first, naming the account: No keeps it.
        prompter->expectAnswers({false, true});
        buttonIn(&window, "删除帐户")->click();
        QCOMPARE(prompter->questions.back(), std::string("删除记录：李四？"));
        QCOMPARE(list->count(), 2);
        buttonIn(&window, "删除帐户")->click();
        QCOMPARE(prompter->messages.back(), std::string(accounts::AccountAdmin::kDeleted));
        QCOMPARE(list->count(), 1);

        QSignalSpy programEnd(&window, &gui::AccountWindow::programEndRequested);
        window.close();
        QCOMPARE(programEnd.count(), 1);
        QCOMPARE(prompter->messages.back(), std::string(accounts::AccountAdmin::kProgramEnds));
    }

    void aRealPasswordChangeEndsTheLogin() {
        gui::PasswordWindow window(*engine, "我的帐户", *prompter);
        QCOMPARE(window.windowTitle(), QStringLiteral("改口令窗口"));
        window.show();
        auto* newBox = window.findChild<QLineEdit*>("newBox");
        auto* repeated = window.findChild<QLineEdit*>("repeatedBox");
        QSignalSpy loginEnd(&window, &gui::PasswordWindow::loginEndRequested);

        QTest::mouseClick(buttonIn(&window, "确认新口令"), Qt::LeftButton);  // the same empty password
        QCOMPARE(prompter->messages.back(), std::string(accounts::PasswordChange::kUnchanged));
        QTest::keyClicks(newBox, "abc");
        QTest::keyClicks(repeated, "abd");
        QTest::mouseClick(buttonIn(&window, "确认新口令"), Qt::LeftButton);
        QCOMPARE(prompter->messages.back(), std::string(accounts::PasswordChange::kNewDiffer));
        QVERIFY(newBox->text().isEmpty() && repeated->text().isEmpty());
        QCOMPARE(window.focusWidget(), static_cast<QWidget*>(newBox));
        QCOMPARE(loginEnd.count(), 0);
        QVERIFY(window.isVisible());

        QTest::keyClicks(newBox, "abc");
        QTest::keyClicks(repeated, "abc");
        QTest::mouseClick(buttonIn(&window, "确认新口令"), Qt::LeftButton);
        QCOMPARE(prompter->messages.back(), std::string(accounts::PasswordChange::kChanged));
        QCOMPARE(loginEnd.count(), 1);
        QVERIFY(!window.isVisible());
    }

    void theCopyWindowOffersSharedFilesToMyAccountOnlyAndRemembersTheFolder() {
        gui::FileCopyWindow other(programDir, "张三", programDir / "user", *prompter);
        QVERIFY(!buttonIn(&other, "拷贝公用文件")->isEnabled());

        QTemporaryDir elsewhere;
        const QString folder = elsewhere.filePath(QStringLiteral("backup"));
        gui::FileCopyWindow mine(programDir, "我的帐户", programDir / "user", *prompter);
        QCOMPARE(mine.windowTitle(), QStringLiteral("Form_copy 文件拷贝"));
        mine.findChild<QLineEdit*>("folderBox")->setText(folder);
        QSignalSpy discarded(&mine, &gui::FileCopyWindow::discarded);
        QSignalSpy programEnd(&mine, &gui::FileCopyWindow::programEndRequested);
        mine.show();
        buttonIn(&mine, "拷贝文件   ")->click();
        QCOMPARE(prompter->messages, std::vector<std::string>{accounts::FileCopy::kDone});
        QVERIFY(fs::exists(fs::path(folder.toStdU16String()) / "varneth" / "user" / "varneth.db"));
        QCOMPARE(discarded.count(), 1);
        QCOMPARE(programEnd.count(), 0);

        gui::FileCopyWindow again(programDir, "我的帐户", programDir / "user", *prompter);
        QCOMPARE(again.findChild<QLineEdit*>("folderBox")->text(), folder);
        QSignalSpy ends(&again, &gui::FileCopyWindow::programEndRequested);
        again.close();  // through the title bar: the program ends
        QCOMPARE(ends.count(), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    fs::path programDir;
    std::unique_ptr<storage::Engine> engine;
    std::unique_ptr<port::ScriptedPrompter> prompter;
};

QTEST_MAIN(AccountWindowsTest)
#include "account_windows_test.moc"
