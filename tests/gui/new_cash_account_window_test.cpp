#include "ledger/new_cash_account_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/engine.h"

using namespace varneth;
using gui::NewCashAccountWindow;
namespace fs = std::filesystem;

class NewCashAccountWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Session> session;

    QPushButton* button(QWidget* w, const QString& text) {
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text() == text) return b;
        return nullptr;
    }

private slots:
    void initTestCase() {
        const fs::path programDir(dir.path().toStdU16String());
        app::createProgramDirectory(
            programDir, app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())),
            false);
        app::Login login(engine, programDir, prompter, clock);
        QVERIFY(login.start());
        session = login.enter("我的帐户", "");
        QVERIFY(session != nullptr);
    }

    void aPickedBrokerAndAChosenCurrencyMakeTheAccount() {
        auto* w = new NewCashAccountWindow(*session);
        QPointer<NewCashAccountWindow> alive(w);
        w->showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->windowTitle(), QStringLiteral("新建资金帐户"));
        bool noted = false;
        for (auto* l : w->findChildren<QLabel*>())
            noted |= l->text() == QString::fromUtf8(NewCashAccountWindow::kNote);
        QVERIFY(noted);

        const auto combos = w->findChildren<QComboBox*>();
        QCOMPARE(combos.size(), 2);
        QComboBox* brokers = combos[0];
        QComboBox* currency = combos[1];
        const auto edits = w->findChildren<QLineEdit*>();
        QLineEdit* qsdm = edits[0];
        QLineEdit* qs = edits[1];
        QLineEdit* zjzh = edits[2];
        QLineEdit* amt = edits[3];
        QCOMPARE(amt->text(), QStringLiteral("0"));
        const int htzq = brokers->findText(QStringLiteral("htzq"));
        QVERIFY(htzq >= 0);
        brokers->setCurrentIndex(htzq);
        emit brokers->activated(htzq);
        QCOMPARE(qsdm->text(), QStringLiteral("htzq"));
        QCOMPARE(qs->text(), QStringLiteral("华泰"));
        QTest::keyClicks(zjzh, QStringLiteral("555"));

        button(w, QStringLiteral("OK"))->click();
        QCOMPARE(prompter.messages.back(), std::string(ledger::CashAccount::kNoCurrency));
        currency->setCurrentIndex(currency->findData(QStringLiteral("rmb")));
        amt->setText(QStringLiteral("1O0"));
        button(w, QStringLiteral("OK"))->click();
        QCOMPARE(prompter.messages.back(), std::string(ledger::CashAccount::kBadAmount));
        amt->setText(QStringLiteral("1500"));
        button(w, QStringLiteral("OK"))->click();
        QCOMPARE(prompter.messages.back(), std::string(ledger::CashAccount::kCreated));
        QVERIFY(alive);  // stays open
        storage::Cursor c(session->kvt(), "tr2.DBF");
        QVERIFY(c.locate("QSDM;ZJZH;CODE", {"htzq", "555", "xj"}));
        QCOMPARE(c.number("AMT"), 1500.0);

        button(w, QStringLiteral("新定义"))->click();
        QCOMPARE(prompter.messages.back(), std::string(NewCashAccountWindow::kNotYet));
        button(w, QStringLiteral("Close"))->click();
        QTRY_VERIFY(!alive);
        QVERIFY(prompter.unexpected.empty());
    }
};

QTEST_MAIN(NewCashAccountWindowTest)
#include "new_cash_account_window_test.moc"
