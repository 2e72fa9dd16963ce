#include "history/history_window.h"

#include <QTableWidget>

#include "app/main_window.h"
#include "app/session_windows.h"
#include "demo_login.h"
#include "ledger/order_desk.h"
#include "ledger/order_window.h"

using namespace varneth;
using gui::MainWindow;

// The journal names a button press by its window and caption, and undo from the window gives the
// main window's views back their rows.
class HistoryWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoLogin> demo;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<gui::SessionWindows> windows;

    int pendingOrders() {
        displayChoice(main.get(), 2)->click();
        return main->detailView()->model()->rowCount();
    }
    QAction* menuEntry(const char* caption) {
        for (QAction* a : main->findChildren<QAction*>())
            if (a->text() == QString::fromUtf8(caption)) return a;
        return nullptr;
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

    void aPressedButtonIsListedAndUndoneFromTheWindow() {
        const int before = pendingOrders();
        displayChoice(main.get(), 0)->click();
        QTableView* catalog = main->catalogView();
        for (int r = 0; r < catalog->model()->rowCount(); ++r)
            if (catalog->model()->index(r, 0).data().toString() == QStringLiteral("600519"))
                selectRow(catalog, r);
        QTest::mouseClick(buttonIn(main.get(), "委托记录处理"), Qt::LeftButton);
        gui::OrderWindow& order = windows->orderWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&order));
        retype(order.findChild<QLineEdit*>("price"), QStringLiteral("1500"));
        retype(order.findChild<QLineEdit*>("amt"), QStringLiteral("100"));
        QTest::mouseClick(buttonIn(&order, "买入或做多开仓"), Qt::LeftButton);
        QVERIFY2(!demo->prompter.said.empty(), "nothing said");
        QCOMPARE(demo->prompter.said.back(), std::string(ledger::OrderDesk::kBought));
        QCOMPARE(pendingOrders(), before + 1);

        QAction* entry = menuEntry("操作历史和撤销");
        QVERIFY(entry);
        QCOMPARE(entry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        entry->trigger();
        auto* window = qobject_cast<gui::HistoryWindow*>(shownWindow("操作历史和撤销"));
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTableWidget* list = window->entries();
        QCOMPARE(list->item(0, 3)->text(), order.windowTitle() + QStringLiteral(" / 买入或做多开仓"));
        QCOMPARE(list->item(0, 2)->text(), QStringLiteral("示范帐户"));
        QCOMPARE(list->item(0, 1)->text(), QStringLiteral("2026-12-07 09:30:00"));
        QVERIFY(window->details()->rowCount() > 0);
        const int entries = list->rowCount();

        demo->prompter.expectAnswers({true});
        QTest::mouseClick(buttonIn(window, "撤销到所选操作"), Qt::LeftButton);
        QCOMPARE(demo->prompter.messages.back(), std::string("已撤销1项操作。"));
        QCOMPARE(pendingOrders(), before);
        // The undo is listed first, under the window's own button.
        QCOMPARE(list->rowCount(), entries + 1);
        QCOMPARE(list->item(0, 3)->text(), QStringLiteral("操作历史和撤销 / 撤销到所选操作"));
        QCOMPARE(list->item(0, 4)->text(), list->item(1, 4)->text());
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "history_window_test.moc"
