#include "app/login_window.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>

#include "app/main_window.h"
#include "app/passwords.h"
#include "demo_login.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "ui/help_viewer.h"

using namespace varneth;
using gui::LoginWindow;
using storage::Alias;
namespace fs = std::filesystem;

namespace {

void addLedgerRow(storage::Cursor& tr2, const char* wth, const char* code, double amt) {
    tr2.append();
    tr2.setValue("WTH", wth);
    tr2.setValue("QSDM", "01");
    tr2.setValue("ZJZH", "A1");
    tr2.setValue("CODE", code);
    tr2.setValue("AMT", amt);
    tr2.post();
}

// The bare program directory ("我的帐户", no password, picked last) and "张三" (password "pw1") with a
// small ledger.
void makeProgramDirectory(const fs::path& dir) {
    app::createProgramDirectory(
        dir, app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())),
        /*bare=*/true);
    storage::Engine engine;
    engine.bind(Alias::Curr, dir);
    storage::Cursor z(engine.database(Alias::Curr), "z.db");
    z.append();
    z.setValue("User_name", "张三");
    z.setValue("User_password", app::hashPassword("pw1"));
    z.setValue("Subdir", "zs");
    z.post();
    app::createAccountDirectory(dir, dir / "zs");
    storage::Database account(dir / "zs" / storage::Database::kFileName);
    storage::Cursor tr2(account, "tr2.DBF");
    addLedgerRow(tr2, "", "600000", 1000);
    addLedgerRow(tr2, "", "xj", 50000);
    addLedgerRow(tr2, "P2026120709", "600001", 300);  // closed out: not shown
}

}  // namespace

class LoginWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    fs::path programDir;
    std::unique_ptr<storage::Engine> engine;
    std::unique_ptr<port::ScriptedPrompter> prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<LoginWindow> window;

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        programDir = fs::path(dir->path().toStdU16String());
        makeProgramDirectory(programDir);
        engine = std::make_unique<storage::Engine>();
        prompter = std::make_unique<port::ScriptedPrompter>();
        window = std::make_unique<LoginWindow>(*engine, programDir, *prompter, clock);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        delete ui::HelpViewer::current();
        window.reset();
        QVERIFY(prompter->unexpected.empty());
        engine.reset();
        dir.reset();
    }

    void pickingClearsThePasswordButTypingDoesNotAndThePickSurvivesARestart() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Varneth登录窗口"));
        QCOMPARE(accountBox()->list()->maxVisibleItems(), 2);
        QCOMPARE(accountBox()->text(), QStringLiteral("我的帐户"));
        QTest::keyClicks(passwordBox(), "abc");
        typeName("张三");
        QCOMPARE(passwordBox()->text(), QStringLiteral("abc"));

        QTest::keyClick(accountBox()->list(), Qt::Key_Up);  // 我的帐户 → 张三 in the list
        QCOMPARE(accountBox()->text(), QStringLiteral("张三"));
        QVERIFY(passwordBox()->text().isEmpty());
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(passwordBox()));

        storage::Engine other;
        LoginWindow again(other, programDir, *prompter, clock);
        QCOMPARE(again.findChild<gui::AccountBox*>("accountBox")->text(), QStringLiteral("张三"));
    }

    // Logging out brings the login back for any account; the menu's exit ends the program.
    void loginShowsTheLedgerAndLogoutOrExitEndsIt() {
        logIn("我的帐户", "pw1");  // another account's password opens nothing
        QCOMPARE(prompter->messages, std::vector<std::string>{app::Login::kWrongPassword});
        QVERIFY(window->mainWindow() == nullptr && window->isVisible());
        prompter->messages.clear();

        logIn("张三", "pw1");
        gui::MainWindow* main = window->mainWindow();
        QVERIFY(main != nullptr && main->isVisible() && !window->isVisible());
        QCOMPARE(main->catalogView()->model()->rowCount(), 2);  // by code, the closed-out one hidden
        QCOMPARE(cellOf(main->catalogView(), 0, 0), QStringLiteral("600000"));

        buttonIn(main, "退出系统")->click();
        QTRY_VERIFY(window->mainWindow() == nullptr);
        QVERIFY(window->isVisible() && !engine->isBound(Alias::Kvt));
        QVERIFY(passwordBox()->text().isEmpty());

        logIn("我的帐户", "");  // a fresh main window on the other account
        QCOMPARE(window->mainWindow()->windowTitle(), QStringLiteral("资产管理主窗口，管理帐户名：我的帐户"));
        QCOMPARE(window->mainWindow()->catalogView()->model()->rowCount(), 0);
        window->mainWindow()->close();  // closing it logs out too
        QTRY_VERIFY(window->mainWindow() == nullptr);
        QVERIFY(window->isVisible());

        logIn("张三", "pw1");
        QSignalSpy closed(window.get(), &LoginWindow::closed);
        menuEntry(window->mainWindow(), "退出系统")->trigger();
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(window->mainWindow() == nullptr && !window->isVisible() && !engine->isBound(Alias::Kvt));
        QVERIFY(prompter->messages.empty());
    }

    // The windows that end the login: the copy opens only once the account's tables are closed.
    void copyingFilesEndsTheLoginAndThePasswordWindowOpensOverIt() {
        logIn("张三", "pw1");
        bool passwordShown = false;
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                passwordShown = d->windowTitle() == QStringLiteral("改口令窗口");
                d->reject();
            }
        });
        menuEntry(window->mainWindow(), "改口令")->trigger();
        QVERIFY(passwordShown);
        QVERIFY(window->mainWindow() != nullptr);

        menuEntry(window->mainWindow(), "拷贝文件")->trigger();
        QTRY_VERIFY(window->mainWindow() == nullptr);
        QVERIFY(window->isVisible() && !engine->isBound(Alias::Kvt));
        QWidget* copy = shownWindow("Form_copy 文件拷贝");
        QVERIFY(copy != nullptr);
        buttonIn(copy, "关闭")->click();
        QTRY_VERIFY(!copy->isVisible());
        QVERIFY(window->isVisible());
    }

    void passwordEchoesHashesAndEditsTheRealText() {
        gui::PasswordEdit* pw = passwordBox();
        QTest::keyClicks(pw, "abc");
        QCOMPARE(pw->displayText(), QStringLiteral("###"));
        QGuiApplication::clipboard()->setText(QStringLiteral("xy"));
        QTest::keyClick(pw, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(pw, Qt::Key_Backspace);
        QCOMPARE(pw->text(), QStringLiteral("abcx"));
        QCOMPARE(pw->displayText(), QStringLiteral("####"));
    }

    void helpOpensTheLoginTopicOrSaysTheFileIsMissing() {
        buttonIn(window.get(), "帮助")->click();  // the seed's help file
        QVERIFY(ui::HelpViewer::current() != nullptr && ui::HelpViewer::current()->isVisible());
        QCOMPARE(ui::HelpViewer::current()->currentKeyword(), QStringLiteral("login"));
        QVERIFY(prompter->messages.empty());

        QVERIFY(fs::remove(programDir / "varneth.hlp"));
        buttonIn(window.get(), "帮助")->click();
        QCOMPARE(prompter->messages, std::vector<std::string>{ui::HelpViewer::missingFileMessage()});
    }

private:
    gui::AccountBox* accountBox() const { return window->findChild<gui::AccountBox*>("accountBox"); }
    gui::PasswordEdit* passwordBox() const { return window->findChild<gui::PasswordEdit*>("passwordBox"); }
    // Chinese comes through an input method, not as key presses.
    void typeName(const char* name) {
        QLineEdit* edit = accountBox()->edit();
        edit->clear();
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8(name));
        QCoreApplication::sendEvent(edit, &commit);
    }
    void logIn(const char* name, const char* password) {
        typeName(name);
        passwordBox()->clear();
        QTest::keyClicks(passwordBox(), password);
        QTest::mouseClick(buttonIn(window.get(), "进入"), Qt::LeftButton);
    }
};

QTEST_MAIN(LoginWindowTest)
#include "login_window_test.moc"
