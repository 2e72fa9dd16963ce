#include "app/session_windows.h"

#include <QDialog>
#include <QGroupBox>
#include <QMenu>
#include <QRadioButton>
#include <QToolBar>

#include "accounts/linked_program_window.h"
#include "app/main_actions.h"
#include "app/main_window.h"
#include "demo_login.h"
#include "fund/fund_management_window.h"
#include "fund/fund_window.h"
#include "ledger/holdings_editor_window.h"
#include "ledger/order_desk.h"
#include "ledger/order_window.h"
#include "ledger/settlement.h"
#include "optimiser/optimisation_window.h"
#include "prices/exchange_quotes_window.h"
#include "prices/price_window.h"
#include "reference/settings_window.h"

using namespace varneth;
using gui::MainWindow;

namespace {

// The row of a view whose column holds the text; -1 when none does.
int rowWith(QTableView* view, int column, const QString& text) {
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, column).data().toString() == text) return r;
    return -1;
}

}  // namespace

// The main window with the windows of a login behind its buttons, on the demonstration book.
class SessionWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoLogin> demo;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<gui::SessionWindows> windows;

    void selectCatalog(const char* code) {
        const int row = rowWith(main->catalogView(), 0, QString::fromUtf8(code));
        QVERIFY(row >= 0);
        selectRow(main->catalogView(), row);
    }

private slots:
    void init() {
        demo = std::make_unique<DemoLogin>();
        QVERIFY(demo->enter());
        main = std::make_unique<MainWindow>(*demo->session);
        windows = std::make_unique<gui::SessionWindows>(*demo->session, *main);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }
    void cleanup() {
        windows.reset();
        main.reset();
        QVERIFY(demo->prompter.unexpected.empty());
        demo.reset();
    }

    void aBuyTravelsFromTheOrderWindowToAHoldingInTheMainWindow() {
        selectCatalog("600519");
        QCOMPARE(main->views().currentDetail()->amt, 200.0);
        buttonIn(main.get(), "委托记录处理")->click();
        gui::OrderWindow& order = windows->orderWindow();
        QVERIFY(order.isVisible());
        QCOMPARE(order.findChild<QLineEdit*>("code")->text(), QStringLiteral("600519"));
        retype(order.findChild<QLineEdit*>("price"), QStringLiteral("1500"));
        retype(order.findChild<QLineEdit*>("amt"), QStringLiteral("100"));
        buttonIn(&order, "买入或做多开仓")->click();
        QCOMPARE(demo->prompter.messages.back(), std::string(ledger::OrderDesk::kBought));
        QVERIFY(!order.isVisible());

        // The new order waits among the unconfirmed ones until it is confirmed.
        displayChoice(main.get(), 2)->click();
        QTableView* detail = main->detailView();
        const int pending = rowWith(detail, 7, QStringLiteral("600519"));
        QVERIFY(pending >= 0);
        selectRow(detail, pending);
        buttonIn(main.get(), "委托记录处理")->click();
        QVERIFY(order.isVisible());
        buttonIn(&order, "确认结算")->click();
        QCOMPARE(demo->prompter.messages.back(), std::string(ledger::Settlement::kSettled));
        QCOMPARE(rowWith(detail, 7, QStringLiteral("600519")), -1);

        displayChoice(main.get(), 0)->click();
        const int row = rowWith(main->catalogView(), 0, QStringLiteral("600519"));
        QCOMPARE(main->catalogView()->model()->index(row, 2).data().toDouble(), 300.0);
    }

    void everyEntryOpensItsWindowOrSaysItIsNotOfferedYet() {
        selectCatalog("000858");
        buttonIn(main.get(), "持仓编辑")->click();
        QVERIFY(windows->holdingsEditor().isVisible());
        QCOMPARE(demo->session->holdings().ledger().text("CODE"), std::string("000858"));
        buttonIn(&windows->holdingsEditor(), "新建资金帐户")->click();
        QVERIFY(shownWindow("新建资金帐户"));

        buttonIn(main.get(), "基金计算管理")->click();
        QVERIFY(windows->fundWindow().isVisible());
        menuEntry(main.get(), "设置链接程序名和路径")->trigger();
        QVERIFY(windows->linkedPrograms().isVisible());
        menuEntry(main.get(), "资金转帐")->trigger();
        QVERIFY(shownWindow("资金转帐"));
        for (int use = 0; use < 2; ++use) {  // a fresh window each time; the closed one is gone
            menuEntry(main.get(), "分红配股处理")->trigger();
            QWidget* actions = shownWindow("送股，配股和派发红利处理");
            QVERIFY(actions);
            actions->close();
        }
        QTRY_VERIFY(!shownWindow("送股，配股和派发红利处理"));

        bool chartShown = false;
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                chartShown = d->windowTitle() == QStringLiteral("业绩统计和比较");
                d->reject();
            }
        });
        buttonIn(main.get(), "看业绩比较")->click();
        QVERIFY(chartShown);

        buttonIn(main.get(), "看组合和盈亏")->click();
        QVERIFY(shownWindow("投资组合和盈亏统计"));

        menuEntry(main.get(), "设置证券类型和代码等")->trigger();
        QVERIFY(shownWindow("设置证券类型和代码等窗口"));
        QCOMPARE(menuEntry(main.get(), "设置证券类型和代码等")->shortcut(), QKeySequence(Qt::Key_F5));
        windows->settingsWindow().close();
        menuEntry(main.get(), "根据交易所行情文件更新价格")->trigger();
        QVERIFY(shownWindow("根据交易所行情文件更新价格"));
        QCOMPARE(menuEntry(main.get(), "根据交易所行情文件更新价格")->shortcut(), QKeySequence(Qt::Key_F7));
        windows->exchangeWindow()->close();

        // "更新价格" and F9 each open a fresh price window.
        buttonIn(main.get(), "更新价格")->click();
        QPointer<gui::PriceWindow> first = windows->priceWindow();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), QStringLiteral("更新行情数据"));
        menuEntry(main.get(), "读行情软件收市价")->trigger();
        QVERIFY(windows->priceWindow() && windows->priceWindow() != first.data());
        QVERIFY(!first);
        QCOMPARE(menuEntry(main.get(), "读行情软件收市价")->shortcut(), QKeySequence(Qt::Key_F9));
        windows->priceWindow()->close();
        QTRY_VERIFY(!windows->priceWindow());

        buttonIn(main.get(), "组合优化模拟")->click();
        QVERIFY(shownWindow("投资组合优化和模拟"));
        QVERIFY(!shownWindow("模拟投资游戏结果图--Varneth公司研制"));  // made hidden with it
        auto* optimiser = windows->optimiserWindow();
        buttonIn(main.get(), "组合优化模拟")->click();  // still open: brought to the front as it is
        QCOMPARE(windows->optimiserWindow(), optimiser);
        optimiser->close();
        buttonIn(main.get(), "组合优化模拟")->click();  // closed: made afresh over the book
        QVERIFY(windows->optimiserWindow()->isVisible());

        demo->prompter.messages.clear();
        const auto tools = main->findChild<QToolBar*>("tools")->actions();
        tools[3]->trigger();  // one step into fund management
        auto* management = windows->fundManagement();
        QVERIFY(management && management->isVisible());
        QCOMPARE(management->windowTitle(), QStringLiteral("基金管理窗口"));
        tools[3]->trigger();  // created once
        QCOMPARE(windows->fundManagement(), management);
        management->close();
    }
};

QTEST_MAIN(SessionWindowsTest)
#include "session_windows_test.moc"
