#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "accounts/account_window.h"
#include "accounts/file_copy_window.h"
#include "accounts/password_window.h"
#include "app/login.h"
#include "app/passwords.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/engine.h"

using namespace varneth;
using storage::Alias;
namespace fs = std::filesystem;

namespace {

QPushButton* button(QWidget* w, const char* text) {
    for (auto* b : w->findChildren<QPushButton*>())
        if (b->text() == QString::fromUtf8(text)) return b;
    return nullptr;
}

// Chinese comes through an input method, not as key presses.
void typeText(QWidget* w, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(w, &commit);
}

}  // namespace

class AccountWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanupTestCase() { QSettings(QStringLiteral("Varneth"), QStringLiteral("Varneth")).clear(); }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
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
        QCOMPARE(window.pages()->tabText(0), QStringLiteral("添加管理帐户"));
        QCOMPARE(window.pages()->tabText(1), QStringLiteral("删除管理帐户"));
        auto* name = window.findChild<QLineEdit*>("nameBox");
        auto* subdir = window.findChild<QLineEdit*>("subdirBox");
        auto* list = window.findChild<QComboBox*>("accountList");
        QCOMPARE(name->text(), QStringLiteral("张三"));
        QCOMPARE(subdir->text(), QStringLiteral("zs"));
        QCOMPARE(list->count(), 1);
        window.show();

        // A Subdir taken: told, and the box takes the focus.
        QSignalSpy loginEnd(&window, &gui::AccountWindow::loginEndRequested);
        subdir->setText(QStringLiteral("user"));
        QTest::mouseClick(button(&window, "确认"), Qt::LeftButton);
        QCOMPARE(prompter->messages.back(), std::string(accounts::AccountAdmin::kSubdirTaken));
        QCOMPARE(window.focusWidget(), static_cast<QWidget*>(subdir));

        name->clear();
        typeText(name, QStringLiteral("李四"));
        subdir->clear();
        QTest::keyClicks(subdir, "ls");
        QTest::keyClicks(window.findChild<QLineEdit*>("passwordBox"), "pw");
        QTest::mouseClick(button(&window, "确认"), Qt::LeftButton);
        QCOMPARE(prompter->messages.back(), std::string(accounts::AccountAdmin::kAdded));
        QCOMPARE(loginEnd.count(), 2);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->maxVisibleItems(), 2);
        QVERIFY(list->findText(QStringLiteral("李四;ls")) >= 0);
        QVERIFY(app::holdsTables(programDir / "ls"));

        storage::Engine other;
        app::Login login(other, programDir, *prompter, clock);
        login.start();
        QVERIFY(login.enter("李四", "pw") != nullptr);

        QSignalSpy programEnd(&window, &gui::AccountWindow::programEndRequested);
        window.close();
        QCOMPARE(programEnd.count(), 1);
        QCOMPARE(prompter->messages.back(), std::string(accounts::AccountAdmin::kProgramEnds));
    }

    void changesThePasswordAndEndsTheLogin() {
        gui::PasswordWindow window(*engine, "我的帐户", *prompter);
        QCOMPARE(window.windowTitle(), QStringLiteral("改口令窗口"));
        window.show();
        auto* oldBox = window.findChild<QLineEdit*>("oldBox");
        auto* newBox = window.findChild<QLineEdit*>("newBox");
        auto* repeated = window.findChild<QLineEdit*>("repeatedBox");
        QSignalSpy loginEnd(&window, &gui::PasswordWindow::loginEndRequested);

        QTest::keyClicks(newBox, "abc");
        QTest::keyClicks(repeated, "abd");
        QTest::mouseClick(button(&window, "确认新口令"), Qt::LeftButton);
        QCOMPARE(prompter->messages.back(), std::string(accounts::PasswordChange::kNewDiffer));
        QVERIFY(newBox->text().isEmpty() && repeated->text().isEmpty());
        QCOMPARE(window.focusWidget(), static_cast<QWidget*>(newBox));

        QTest::keyClicks(newBox, "abc");
        QTest::keyClicks(repeated, "abc");
        QTest::mouseClick(button(&window, "确认新口令"), Qt::LeftButton);
        QCOMPARE(prompter->messages.back(), std::string(accounts::PasswordChange::kChanged));
        QCOMPARE(loginEnd.count(), 1);
        QVERIFY(!window.isVisible());
        QVERIFY(oldBox->text().isEmpty());

        storage::Engine other;
        app::Login login(other, programDir, *prompter, clock);
        login.start();
        QVERIFY(login.enter("我的帐户", "") == nullptr);
        QVERIFY(login.enter("我的帐户", "abc") != nullptr);
    }

    void theCopyWindowOffersSharedFilesToMyAccountOnlyAndRemembersTheFolder() {
        gui::FileCopyWindow other(programDir, "张三", programDir / "user", *prompter);
        QCheckBox* shared = nullptr;
        for (auto* c : other.findChildren<QCheckBox*>())
            if (c->text() == QStringLiteral("拷贝公用文件")) shared = c;
        QVERIFY(shared && !shared->isEnabled());

        QTemporaryDir elsewhere;
        const QString folder = elsewhere.filePath(QStringLiteral("backup"));
        gui::FileCopyWindow mine(programDir, "我的帐户", programDir / "user", *prompter);
        QCOMPARE(mine.windowTitle(), QStringLiteral("Form_copy 文件拷贝"));
        mine.findChild<QLineEdit*>("folderBox")->setText(folder);
        QSignalSpy discarded(&mine, &gui::FileCopyWindow::discarded);
        QSignalSpy programEnd(&mine, &gui::FileCopyWindow::programEndRequested);
        mine.show();
        QTest::mouseClick(button(&mine, "拷贝文件   "), Qt::LeftButton);
        QCOMPARE(prompter->messages, std::vector<std::string>{accounts::FileCopy::kDone});
        QVERIFY(fs::exists(fs::path(folder.toStdU16String()) / "varneth" / "user" / "varneth.db"));
        QCOMPARE(discarded.count(), 1);
        QCOMPARE(programEnd.count(), 0);
        QCOMPARE(gui::FileCopyWindow::rememberedFolder(), folder);

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
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
};

QTEST_MAIN(AccountWindowsTest)
#include "account_windows_test.moc"
