#include "ledger/holdings_editor_window.h"

#include <QAbstractItemModelTester>
#include <QLabel>

#include "demo_login.h"

using namespace varneth;
using gui::HoldingsEditorWindow;
using ledger::Holdings;

// The demonstration account logged in, its editor made as the login makes it, not yet shown.
class HoldingsEditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        demo = std::make_unique<DemoLogin>();
        QVERIFY(demo->enter());
        window = std::make_unique<HoldingsEditorWindow>(*demo->session);
        tester = std::make_unique<QAbstractItemModelTester>(
            window->grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup() {
        QVERIFY(demo->prompter.unexpected.empty());
        tester.reset();
        window.reset();
        demo.reset();
    }

    void showingValuesTheBookUnderItsLabels() {
        QCOMPARE(window->windowTitle(), QString::fromUtf8(HoldingsEditorWindow::kCaption));
        // Before it is shown the labels read the stored total rows.
        QVERIFY(hasLabel("市价总值=252.57万"));
        QVERIFY(hasLabel("折扣总值=231.63万"));
        QVERIFY(hasLabel("多空栏1表示买多；-1表示卖空"));
        QVERIFY(holdings().valuationPending());

        show();
        QVERIFY(!holdings().valuationPending());
        QVERIFY(hasLabel("市值=252.57万"));
        QVERIFY(hasLabel("折扣总值=231.63万"));
        QCOMPARE(groupTitle(), QStringLiteral("持仓文件"));
        QAbstractItemModel* m = window->grid()->model();
        QCOMPARE(m->columnCount(), 25);
        QCOMPARE(m->headerData(20, Qt::Horizontal).toString(), QStringLiteral("增值率"));
        QCOMPARE(m->rowCount(), 17);  // the holdings view: all but the four closed-out rows
    }

    void theClosedViewShowsClosedOutRowsWithoutValuationUntilClosed() {
        show();
        radio("显示平仓记录")->click();
        QCOMPARE(holdings().view(), Holdings::View::Closed);
        QCOMPARE(groupTitle(), QStringLiteral("平仓文件"));
        QVERIFY(!button("更新计算")->isEnabled());
        QVERIFY(!button("手工改价")->isEnabled());
        QCOMPARE(window->grid()->model()->rowCount(), 4);
        QCOMPARE(window->grid()->currentIndex().row(), 3);  // on the last record

        // Closing values again from the holdings view and tells the main window.
        QSignalSpy closed(window.get(), &HoldingsEditorWindow::closed);
        button("关闭")->click();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!window->isVisible());
        QCOMPARE(holdings().view(), Holdings::View::Holdings);
        QCOMPARE(groupTitle(), QStringLiteral("持仓文件"));
        QVERIFY(button("更新计算")->isEnabled());
        QCOMPARE(window->grid()->model()->rowCount(), 17);
        QVERIFY(hasLabel("市值=252.57万"));
    }

    void recordOperationsMoveTheGridToTheNewRecord() {
        show();
        QTableView* grid = window->grid();
        grid->setCurrentIndex(grid->model()->index(0, 6));
        const QString code = grid->model()->index(0, 6).data().toString();
        button("复制记录")->click();
        QCOMPARE(grid->model()->rowCount(), 18);
        QCOMPARE(grid->currentIndex().column(), 0);
        QCOMPARE(grid->model()->index(grid->currentIndex().row(), 6).data().toString(), code);

        radio("显示平仓记录")->click();
        button("插入空白")->click();
        QVERIFY(radio("显示持仓记录")->isChecked());  // the blank row is shown where it lives
        QCOMPARE(grid->model()->rowCount(), 19);
        const int blank = grid->currentIndex().row();
        QCOMPARE(grid->model()->index(blank, 6).data().toString(), QString());
        demo->prompter.expectAnswers({false, true});
        button("删除")->click();  // answered No: the row stays
        QCOMPARE(grid->model()->rowCount(), 19);
        QCOMPARE(demo->prompter.questions.back(), std::string("删除记录：空白记录？"));
        button("删除")->click();
        QCOMPARE(grid->model()->rowCount(), 18);

        QSignalSpy prices(window.get(), &HoldingsEditorWindow::pricesRequested);
        button("手工改价")->click();
        QCOMPARE(prices.count(), 1);
        QSignalSpy newAccount(window.get(), &HoldingsEditorWindow::newCashAccountRequested);
        button("新建资金帐户")->click();
        QCOMPARE(newAccount.count(), 1);
    }

private:
    Holdings& holdings() { return demo->session->holdings(); }
    void show() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    bool hasLabel(const char* text) const {
        for (auto* l : window->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(text)) return true;
        return false;
    }
    QString groupTitle() const { return window->grid()->parentWidget()->property("title").toString(); }
    QAbstractButton* button(const char* text) const { return buttonIn(window.get(), text); }
    QAbstractButton* radio(const char* text) const { return buttonIn(window.get(), text); }

    std::unique_ptr<DemoLogin> demo;
    std::unique_ptr<HoldingsEditorWindow> window;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

QTEST_MAIN(HoldingsEditorWindowTest)
#include "holdings_editor_window_test.moc"
