#include "ledger/new_cash_account_window.h"

#include <QComboBox>
#include <QLabel>

#include "demo_login.h"
#include "storage/cursor.h"

using namespace varneth;
using gui::NewCashAccountWindow;

class NewCashAccountWindowTest : public QObject {
    Q_OBJECT

    DemoLogin demo;

private slots:
    void aPickedBrokerAndAChosenCurrencyMakeTheAccount() {
        QVERIFY(demo.enter("我的帐户"));
        auto* w = new NewCashAccountWindow(*demo.session);
        QPointer<NewCashAccountWindow> alive(w);
        w->showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->windowTitle(), QStringLiteral("新建资金帐户"));
        bool noted = false;
        for (auto* l : w->findChildren<QLabel*>())
            noted |= l->text() == QString::fromUtf8(NewCashAccountWindow::kNote);
        QVERIFY(noted);

        const auto combos = w->findChildren<QComboBox*>();
        QComboBox* brokers = combos.at(0);
        const auto edits = w->findChildren<QLineEdit*>();
        QLineEdit* amt = edits.at(3);
        const int htzq = brokers->findText(QStringLiteral("htzq"));
        brokers->setCurrentIndex(htzq);
        emit brokers->activated(htzq);
        QCOMPARE(edits.at(0)->text(), QStringLiteral("htzq"));
        QCOMPARE(edits.at(1)->text(), QStringLiteral("华泰"));
        QTest::keyClicks(edits.at(2), QStringLiteral("555"));

        // No currency, then an amount that does not read: each told, nothing made.
        const auto ok = [&] {
            buttonIn(w, "OK")->click();
            return demo.prompter.messages.back();
        };
        QCOMPARE(ok(), std::string(ledger::CashAccount::kNoCurrency));
        combos.at(1)->setCurrentIndex(combos.at(1)->findData(QStringLiteral("rmb")));
        amt->setText(QStringLiteral("1O0"));
        QCOMPARE(ok(), std::string(ledger::CashAccount::kBadAmount));
        amt->setText(QStringLiteral("1500"));
        QCOMPARE(ok(), std::string(ledger::CashAccount::kCreated));
        QVERIFY(alive);  // stays open
        storage::Cursor c(demo.session->kvt(), "tr2.DBF");
        QVERIFY(c.locate("QSDM;ZJZH;CODE", {"htzq", "555", "xj"}));
        QCOMPARE(c.number("AMT"), 1500.0);

        buttonIn(w, "新定义")->click();
        QCOMPARE(demo.prompter.messages.back(), std::string(NewCashAccountWindow::kNotYet));
        buttonIn(w, "Close")->click();
        QTRY_VERIFY(!alive);
        QVERIFY(demo.prompter.unexpected.empty());
    }
};

QTEST_MAIN(NewCashAccountWindowTest)
#include "new_cash_account_window_test.moc"
