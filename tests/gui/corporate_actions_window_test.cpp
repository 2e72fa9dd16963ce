#include "ledger/corporate_actions_window.h"

#include "demo_login.h"
#include "storage/cursor.h"

using namespace varneth;
using gui::CorporateActionsWindow;

namespace {

enum Column { Code = 1, Name = 2, Amt2 = 8 };

}  // namespace

// "示范帐户" of the seed holds 600036 and has no entries; "我的帐户" keeps the shared ones.
class CorporateActionsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        login = std::make_unique<DemoLogin>();
        QVERIFY(login->enter());
        window = std::make_unique<CorporateActionsWindow>(*login->session);
        window->showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        grid = window->findChild<QTableView*>();
    }
    void cleanup() {
        QVERIFY(login->prompter.unexpected.empty());
        window.reset();
        login.reset();
    }

    void fetchedEntriesAreAppliedFromTheGridOnce() {
        QCOMPARE(window->windowTitle(), QStringLiteral("送股，配股和派发红利处理"));
        QVERIFY(button("取记录")->isEnabled());
        button("取记录")->click();
        QCOMPARE(grid->model()->rowCount(), 3);
        QSignalSpy changed(window.get(), &CorporateActionsWindow::ledgerChanged);
        grid->setCurrentIndex(grid->model()->index(1, Code));  // as a click does
        button("处理指定记录")->click();
        button("处理指定记录")->click();
        QCOMPARE(login->prompter.messages,
                 (std::vector<std::string>{"1个记录中有,10000股；处理成功！",
                                           ledger::CorporateActions::kProcessedBefore}));
        QCOMPARE(grid->model()->index(1, Amt2).data().toString(), QStringLiteral("20000元"));
        QCOMPARE(changed.count(), 1);
    }

    void movingDownPastTheLastRowShowsABlankRowThatIsStoredOnlyWithAValue() {
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(entries(), 0);  // shown, not stored
        const QModelIndex code = grid->model()->index(0, Code);
        QVERIFY(!grid->model()->setData(code, QStringLiteral("  ")));
        QCOMPARE(entries(), 0);
        QVERIFY(grid->model()->setData(code, QStringLiteral("600036")));
        QCoreApplication::processEvents();
        QCOMPARE(entries(), 1);
        QCOMPARE(grid->model()->rowCount(), 1);
        button("补股票名")->click();
        QCOMPARE(cellOf(grid, 0, Name), QStringLiteral("招商银行"));

        login->prompter.expectAnswers({false, true});
        button("删记录")->click();  // answered No: it stays
        QCOMPARE(login->prompter.questions.back(), std::string("删除记录：600036 招商银行？"));
        QCOMPARE(entries(), 1);
        button("删记录")->click();
        QCOMPARE(grid->model()->rowCount(), 0);
        QVERIFY(login->prompter.messages.empty());
    }

    void aProcessedEntryIsChangedOnlyWhenTheUserAgrees() {
        button("取记录")->click();
        grid->setCurrentIndex(grid->model()->index(1, Code));
        button("处理指定记录")->click();
        const QModelIndex code = grid->model()->index(1, Code);
        const QString before = code.data().toString();
        login->prompter.expectAnswers({false, true});
        QVERIFY(!grid->model()->setData(code, QStringLiteral("600000")));
        QCOMPARE(login->prompter.questions.back(), std::string(ledger::CorporateActions::kEditProcessed));
        QCOMPARE(code.data().toString(), before);
        QVERIFY(grid->model()->setData(code, QStringLiteral("600000")));
    }

private:
    QAbstractButton* button(const char* caption) const { return buttonIn(window.get(), caption); }
    int entries() const { return varneth::storage::Cursor(login->session->kvt(), "sph.db").count(); }

    std::unique_ptr<DemoLogin> login;
    std::unique_ptr<CorporateActionsWindow> window;
    QTableView* grid = nullptr;
};

QTEST_MAIN(CorporateActionsWindowTest)
#include "corporate_actions_window_test.moc"
