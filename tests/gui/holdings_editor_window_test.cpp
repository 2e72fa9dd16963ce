#include "ledger/holdings_editor_window.h"

#include <QAbstractItemModelTester>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "demo_login.h"
#include <filesystem>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "port/prompter.h"

using namespace varneth;
using gui::HoldingsEditorWindow;
using ledger::Holdings;
namespace fs = std::filesystem;

namespace {

// The demonstration account logged in, its editor made as the login makes it, not yet shown.
struct Fixture : DemoLogin {
    std::unique_ptr<HoldingsEditorWindow> window;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

}  // namespace

class HoldingsEditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        f = std::make_unique<Fixture>();
        QVERIFY(f->enter());
        f->window = std::make_unique<HoldingsEditorWindow>(*f->session);
        f->tester = std::make_unique<QAbstractItemModelTester>(
            f->window->grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup() {
        QVERIFY(f->prompter.unexpected.empty());
        f.reset();
    }

    void showingValuesTheBookUnderItsLabels() {
        QCOMPARE(f->window->windowTitle(), QString::fromUtf8(HoldingsEditorWindow::kCaption));
        QCOMPARE(f->window->size(), QSize(800, 600));
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
        const QStringList titles = {
            "委托号", "券商码",   "券商",   "资金帐号", "股东代码", "类型码", "代码",  "名称",  "多/空",
            "数量",   "货币比率", "价格1",  "日期1",    "价格2",    "日期2",  "价值1", "价值2", "手续费",
            "印花税", "增值",     "增值率", "投资比例", "折扣率",   "类型名", "注释"};
        QAbstractItemModel* m = f->window->grid()->model();
        QCOMPARE(m->columnCount(), titles.size());
        for (int c = 0; c < titles.size(); ++c)
            QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), titles[c]);
        QCOMPARE(m->rowCount(), 17);  // the holdings view: all but the four closed-out rows
        QCOMPARE(button("拷贝数据")->toolTip(), QStringLiteral("旧版用户用于追加数据"));
        QCOMPARE(button("手工改价")->toolTip(), QStringLiteral("进入手工设置窗口手工更新价格"));
        QCOMPARE(button("新建资金帐户")->toolTip(), QStringLiteral("新建资金帐户操作"));
    }

    void theClosedViewShowsClosedOutRowsWithoutValuation() {
        show();
        radio("显示平仓记录")->click();
        QCOMPARE(holdings().view(), Holdings::View::Closed);
        QCOMPARE(groupTitle(), QStringLiteral("平仓文件"));
        QVERIFY(!button("更新计算")->isEnabled());
        QVERIFY(!button("手工改价")->isEnabled());
        QCOMPARE(f->window->grid()->model()->rowCount(), 4);
        QCOMPARE(f->window->grid()->currentIndex().row(), 3);  // on the last record

        radio("显示持仓记录")->click();
        QCOMPARE(groupTitle(), QStringLiteral("持仓文件"));
        QVERIFY(button("更新计算")->isEnabled());
        QCOMPARE(f->window->grid()->model()->rowCount(), 17);
    }

    void recordOperationsMoveTheGridToTheNewRecord() {
        show();
        QTableView* grid = f->window->grid();
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
        button("删除")->click();
        QCOMPARE(grid->model()->rowCount(), 18);

        button("手工改价")->click();
        QCOMPARE(f->prompter.messages.back(), std::string(HoldingsEditorWindow::kSettingsNotYet));
        QSignalSpy newAccount(f->window.get(), &HoldingsEditorWindow::newCashAccountRequested);
        button("新建资金帐户")->click();
        QCOMPARE(newAccount.count(), 1);
    }

    void closingValuesAgainFromTheHoldingsViewAndTellsTheMainWindow() {
        show();
        radio("显示平仓记录")->click();
        QSignalSpy closed(f->window.get(), &HoldingsEditorWindow::closed);
        button("关闭")->click();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!f->window->isVisible());
        QCOMPARE(holdings().view(), Holdings::View::Holdings);
        QVERIFY(hasLabel("市值=252.57万"));
    }

private:
    Holdings& holdings() { return f->session->holdings(); }
    void show() {
        f->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
    }
    bool hasLabel(const char* text) const {
        for (auto* l : f->window->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(text)) return true;
        return false;
    }
    QString groupTitle() const { return f->window->grid()->parentWidget()->property("title").toString(); }
    QPushButton* button(const char* text) const {
        for (auto* b : f->window->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text)) return b;
        return nullptr;
    }
    QRadioButton* radio(const char* text) const {
        for (auto* b : f->window->findChildren<QRadioButton*>())
            if (b->text() == QString::fromUtf8(text)) return b;
        return nullptr;
    }

    std::unique_ptr<Fixture> f;
};

QTEST_MAIN(HoldingsEditorWindowTest)
#include "holdings_editor_window_test.moc"
