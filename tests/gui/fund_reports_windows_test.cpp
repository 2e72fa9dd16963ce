#include <QComboBox>
#include <QLabel>
#include <QTabWidget>

#include "demo_login.h"
#include "fund/address_book_tab.h"
#include "fund/commission_stats_window.h"
#include "fund/fund_management_window.h"
#include "storage/cursor.h"

using namespace varneth;
using gui::CommissionStatsWindow;

// The demonstration account: five address-book entries, investors of the fee-free type only.
class FundReportsWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        login = std::make_unique<DemoLogin>();
        QVERIFY(login->enter());
        window = std::make_unique<gui::FundManagementWindow>(*login->session);
    }
    void cleanup() {
        QVERIFY(login->prompter.unexpected.empty());
        window.reset();
        login.reset();
    }

    void statisticsOpenFromTheCommissionTabWithTheirPresetsAndAnEmptyGrid() {
        buttonIn(window.get(), "显示统计已撤资记录")->click();
        QWidget* shown = shownWindow("提成统计");
        QVERIFY(shown);
        QCOMPARE(shown->size(), QSize(800, 600));
        auto boxes = shown->findChildren<QComboBox*>();
        QCOMPARE(boxes.size(), 2);
        QVERIFY(boxes[0]->isEditable());
        QCOMPARE(boxes[0]->currentText(), QStringLiteral("2007"));
        QCOMPARE(boxes[0]->itemText(0), QStringLiteral("2006"));
        QCOMPARE(boxes[0]->itemText(boxes[0]->count() - 1), QStringLiteral("2026"));
        QCOMPARE(boxes[1]->currentText(), QStringLiteral("01-01"));
        QCOMPARE(shown->findChild<QLineEdit*>()->text(), QStringLiteral("12"));
        QTableView* rows = shown->findChildren<QTableView*>().front();
        buttonIn(shown, "显示已经撤资")->click();
        QCOMPARE(login->prompter.messages.back(), std::string(fund::CommissionStats::kNoWithdrawals));
        QVERIFY(!rows->model());  // still closed
        buttonIn(shown, "帮助")->click();
        QCOMPARE(login->prompter.messages.back(), std::string(fund::CommissionStats::kHelp));
        shown->close();
    }

    void aSettledWithdrawalOpensTheGridAndFillsTheStartLabel() {
        fund::FundManager& m = window->manager();
        m.show();
        storage::Cursor ledger(login->session->kvt(), "Fund2.DB");
        ledger.append();
        for (const auto& [f, v] :
             std::initializer_list<std::pair<const char*, storage::Value>>{{"DT", "2026-12-07"},
                                                                           {"PYCODE", "wjg"},
                                                                           {"NAME", "王建国"},
                                                                           {"INPUT", -1000.0},
                                                                           {"PRICE", 1.062},
                                                                           {"XABC", "y"},
                                                                           {"CZXH", 0},
                                                                           {"B1", "s"}})
            ledger.setValue(f, v);
        ledger.post();
        m.withdrawals();
        CommissionStatsWindow stats(*login->session, m);
        stats.findChildren<QComboBox*>()[0]->setCurrentText(QStringLiteral("2026"));
        QSignalSpy replaced(&stats, &CommissionStatsWindow::candidatesReplaced);
        buttonIn(&stats, "显示已经撤资")->click();
        // The settled buy is of the fee-free type, which the statistics leave out.
        QCOMPARE(login->prompter.messages.back(), std::string(fund::FundManager::kNoCandidates));
        QCOMPARE(replaced.count(), 1);
        QVERIFY(stats.findChildren<QTableView*>().front()->model());
        bool started = false;
        for (auto* l : stats.findChildren<QLabel*>())
            started |= l->text() == QStringLiteral("开始撤资序号:1");
        QVERIFY(started);
    }

    void theAddressBookTabEditsOrdersCopiesAndAsksBeforeDeleting() {
        auto* tab = window->findChild<gui::AddressBookTab*>();
        QVERIFY(tab);
        QTableView* grid = tab->findChild<QTableView*>();
        QCOMPARE(grid->model()->rowCount(), 5);
        QCOMPARE(cellOf(grid, 0, 0), QStringLiteral("chl"));
        tab->findChildren<QRadioButton*>().at(1)->click();  // by postal code
        QCOMPARE(cellOf(grid, 0, 0), QStringLiteral("wjg"));
        selectRow(grid, 0);
        buttonIn(tab, "复制记录")->click();
        QCOMPARE(grid->model()->rowCount(), 6);
        login->prompter.expectAnswers({false});
        buttonIn(tab, "删除")->click();
        QCOMPARE(grid->model()->rowCount(), 6);
        QVERIFY(grid->model()->setData(grid->model()->index(0, 1), QStringLiteral("王建")));
        QCOMPARE(cellOf(grid, 0, 1), QStringLiteral("王建"));
        selectRow(grid, 5);
        QTest::keyClick(grid, Qt::Key_Down);  // a blank row, stored once a value is typed
        QCOMPARE(grid->model()->rowCount(), 7);
        QVERIFY(grid->model()->setData(grid->model()->index(6, 0), QStringLiteral("new")));
        QCoreApplication::processEvents();
        QCOMPARE(tab->book().entries().count(), 7);
    }

private:
    std::unique_ptr<DemoLogin> login;
    std::unique_ptr<gui::FundManagementWindow> window;
};

QTEST_MAIN(FundReportsWindowsTest)
#include "fund_reports_windows_test.moc"
