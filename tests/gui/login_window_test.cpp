#include "app/login_window.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "app/main_window.h"
#include "app/passwords.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "storage/engine.h"
#include "ui/help_viewer.h"

using namespace varneth;
using gui::LoginWindow;
using storage::Alias;
namespace fs = std::filesystem;

namespace {

void addAccount(storage::Cursor& z, const char* name, const char* password, const char* subdir, bool now) {
    z.append();
    z.setValue("User_name", name);
    z.setValue("User_password", app::hashPassword(password));
    z.setValue("Subdir", subdir);
    z.setValue("Now", now);
    z.post();
}

void addLedgerRow(storage::Cursor& tr2, const char* wth, const char* code, const char* name, double amt,
                  const char* gddm) {
    tr2.append();
    tr2.setValue("WTH", wth);
    tr2.setValue("QSDM", "01");
    tr2.setValue("ZJZH", "A1");
    tr2.setValue("GDDM", gddm);
    tr2.setValue("CODE", code);
    tr2.setValue("NAME", name);
    tr2.setValue("AMT", amt);
    tr2.setValue("CJ_DH", "ref");
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
    addAccount(z, "张三", "pw1", "zs", false);
    app::createAccountDirectory(dir, dir / "zs");
    storage::Database account(dir / "zs" / storage::Database::kFileName);
    storage::Cursor tr2(account, "tr2.DBF");
    addLedgerRow(tr2, "", "600000", "浦发银行", 1000, "A123");
    addLedgerRow(tr2, "", "xj", "现金", 50000, "");
    addLedgerRow(tr2, "P2026120709", "600001", "邯郸钢铁", 300, "A123");  // closed out: not shown
}

// Chinese comes through an input method, not as key presses.
void typeText(QWidget* w, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(w, &commit);
}

QString cell(QTableView* view, int row, int column) {
    return view->model()->index(row, column).data().toString();
}

}  // namespace

class LoginWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        programDir = fs::path(dir->path().toStdU16String());
        makeProgramDirectory(programDir);
        engine = std::make_unique<storage::Engine>();
        prompter = std::make_unique<port::ScriptedPrompter>();
    }
    void cleanup() {
        if (ui::HelpViewer::current()) delete ui::HelpViewer::current();
        window.reset();
        QVERIFY(prompter->unexpected.empty());
        engine.reset();
        dir.reset();
    }

    void listsAccountsAndPrefillsTheLastPicked() {
        open();
        QCOMPARE(accountBox()->list()->count(), 2);
        QCOMPARE(accountBox()->list()->maxVisibleItems(), 2);
        QCOMPARE(accountBox()->text(), QStringLiteral("我的帐户"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Varneth登录窗口"));
        QVERIFY(prompter->messages.empty());
    }

    void wrongPasswordOpensNothing() {
        open();
        logIn("张三", "pw2");
        logIn("我的帐户", "pw1");  // another account's password
        QCOMPARE(prompter->messages, std::vector<std::string>(2, app::Login::kWrongPassword));
        QVERIFY(window->mainWindow() == nullptr);
        QVERIFY(window->isVisible());
    }

    void loginShowsTheLedgerAndLogoutBringsTheLoginBack() {
        open();
        logIn("张三", "pw1");
        gui::MainWindow* main = window->mainWindow();
        QVERIFY(main != nullptr && main->isVisible() && !window->isVisible());
        QCOMPARE(main->windowTitle(), QStringLiteral("资产管理主窗口，管理帐户名：张三"));
        QTableView* catalog = main->catalogView();
        QCOMPARE(catalog->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("代码"));
        QCOMPARE(catalog->model()->rowCount(), 2);  // by code, the closed-out one hidden
        QCOMPARE(cell(catalog, 0, 0), QStringLiteral("600000"));
        QCOMPARE(cell(catalog, 0, 1), QStringLiteral("浦发银行"));
        QCOMPARE(cell(catalog, 0, 2), QStringLiteral("1000"));
        QCOMPARE(cell(catalog, 1, 0), QStringLiteral("xj"));
        QCOMPARE(main->detailView()->model()->rowCount(), 1);
        QCOMPARE(cell(main->detailView(), 0, 4), QStringLiteral("A123"));

        QTest::mouseClick(button(main, "退出系统"), Qt::LeftButton);
        QTRY_VERIFY(window->mainWindow() == nullptr);
        QVERIFY(window->isVisible() && !engine->isBound(Alias::Kvt));
        QVERIFY(passwordBox()->text().isEmpty());

        logIn("我的帐户", "");  // a fresh main window on the other account
        QCOMPARE(window->mainWindow()->windowTitle(), QStringLiteral("资产管理主窗口，管理帐户名：我的帐户"));
        QCOMPARE(window->mainWindow()->catalogView()->model()->rowCount(), 0);
        window->mainWindow()->close();  // closing it logs out too
        QTRY_VERIFY(window->mainWindow() == nullptr);
        QVERIFY(window->isVisible());
        QVERIFY(prompter->messages.empty());
    }

    void theMenusExitEndsTheProgram() {
        open();
        logIn("张三", "pw1");
        QSignalSpy closed(window.get(), &LoginWindow::closed);
        QAction* exit = menuEntry("退出系统");
        QVERIFY(exit != nullptr);
        QCOMPARE(exit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        exit->trigger();
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(window->mainWindow() == nullptr && !window->isVisible() && !engine->isBound(Alias::Kvt));
    }

    // The windows that end the login: the copy opens only once the account's tables are closed.
    void copyingFilesEndsTheLoginAndThePasswordWindowOpensOverIt() {
        open();
        logIn("张三", "pw1");
        bool passwordShown = false;
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                passwordShown = d->windowTitle() == QStringLiteral("改口令窗口");
                d->reject();
            }
        });
        menuEntry("改口令")->trigger();
        QVERIFY(passwordShown);
        QVERIFY(window->mainWindow() != nullptr);

        menuEntry("拷贝文件")->trigger();
        QTRY_VERIFY(window->mainWindow() == nullptr);
        QVERIFY(window->isVisible() && !engine->isBound(Alias::Kvt));
        QWidget* copy = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == QStringLiteral("Form_copy 文件拷贝")) copy = w;
        QVERIFY(copy != nullptr);
        QTest::mouseClick(button(copy, "关闭"), Qt::LeftButton);
        QTRY_VERIFY(!copy->isVisible());
        QVERIFY(window->isVisible());
    }

    void pickingClearsThePasswordButTypingDoesNot() {
        open();
        QTest::keyClicks(passwordBox(), "abc");
        typeName("张三");
        QCOMPARE(passwordBox()->text(), QStringLiteral("abc"));

        QTest::keyClick(accountBox()->list(), Qt::Key_Up);  // 我的帐户 → 张三 in the list
        QCOMPARE(accountBox()->text(), QStringLiteral("张三"));
        QVERIFY(passwordBox()->text().isEmpty());
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(passwordBox()));

        // The pick survives a restart.
        storage::Engine other;
        LoginWindow again(other, programDir, *prompter, clock);
        QCOMPARE(again.findChild<gui::AccountBox*>("accountBox")->text(), QStringLiteral("张三"));
    }

    void passwordEchoesHashesAndEditsTheRealText() {
        open();
        gui::PasswordEdit* pw = passwordBox();
        QTest::keyClicks(pw, "abc");
        QCOMPARE(pw->displayText(), QStringLiteral("###"));
        QGuiApplication::clipboard()->setText(QStringLiteral("xy"));
        QTest::keyClick(pw, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(pw, Qt::Key_Backspace);
        QCOMPARE(pw->text(), QStringLiteral("abcx"));
        QCOMPARE(pw->displayText(), QStringLiteral("####"));
    }

    void withoutTheAccountListNoOneEnters() {
        QTemporaryDir empty;
        LoginWindow bare(*engine, fs::path(empty.path().toStdU16String()), *prompter, clock);
        QTest::mouseClick(button(&bare, "进入"), Qt::LeftButton);
        QCOMPARE(prompter->messages, std::vector<std::string>(2, app::Login::kNoAccountList));
        QVERIFY(bare.mainWindow() == nullptr);
    }

    void helpOpensTheLoginTopicOrSaysTheFileIsMissing() {
        open();
        QTest::mouseClick(button(window.get(), "帮助"), Qt::LeftButton);  // the seed's help file
        QVERIFY(ui::HelpViewer::current() != nullptr);
        QVERIFY(ui::HelpViewer::current()->isVisible());
        QCOMPARE(ui::HelpViewer::current()->currentKeyword(), QStringLiteral("login"));
        QVERIFY(prompter->messages.empty());

        QVERIFY(fs::remove(programDir / "varneth.hlp"));
        QTest::mouseClick(button(window.get(), "帮助"), Qt::LeftButton);
        QCOMPARE(prompter->messages,
                 std::vector<std::string>{
                     "缺少varneth.hlp文件，可在https://varneth.example/download下载最新版本"});
    }

private:
    QAction* menuEntry(const char* caption) const {
        for (auto* a : window->mainWindow()->findChildren<QAction*>())
            if (a->text() == QString::fromUtf8(caption)) return a;
        return nullptr;
    }
    void open() {
        window = std::make_unique<LoginWindow>(*engine, programDir, *prompter, clock);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    gui::AccountBox* accountBox() const { return window->findChild<gui::AccountBox*>("accountBox"); }
    gui::PasswordEdit* passwordBox() const { return window->findChild<gui::PasswordEdit*>("passwordBox"); }
    static QPushButton* button(QWidget* w, const char* text) {
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text)) return b;
        return nullptr;
    }
    void typeName(const char* name) {
        QLineEdit* edit = accountBox()->edit();
        edit->clear();
        typeText(edit, QString::fromUtf8(name));
    }
    void logIn(const char* name, const char* password) {
        typeName(name);
        passwordBox()->clear();
        QTest::keyClicks(passwordBox(), password);
        QTest::mouseClick(button(window.get(), "进入"), Qt::LeftButton);
    }

    std::unique_ptr<QTemporaryDir> dir;
    fs::path programDir;
    std::unique_ptr<storage::Engine> engine;
    std::unique_ptr<port::ScriptedPrompter> prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<LoginWindow> window;
};

QTEST_MAIN(LoginWindowTest)
#include "login_window_test.moc"
