#include "stats/portfolio_window.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QtTest>

#include "demo_login.h"
#include "ui/help_viewer.h"

using namespace varneth;
using gui::PortfolioWindow;

class PortfolioWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoLogin> demo;
    std::unique_ptr<PortfolioWindow> window;

    QGroupBox* group(const char* title) {
        for (auto* box : window->findChildren<QGroupBox*>())
            if (box->title() == QString::fromUtf8(title)) return box;
        qFatal("no group %s", title);
    }
    QRadioButton* choice(const char* title, int i) {
        return group(title)->findChildren<QRadioButton*>().at(i);
    }
    QBarSeries* series() {
        const auto all = window->chartView()->chart()->series();
        return all.isEmpty() ? nullptr : qobject_cast<QBarSeries*>(all.front());
    }

private slots:
    void init() {
        demo = std::make_unique<DemoLogin>();
        QVERIFY(demo->enter());
        window = std::make_unique<PortfolioWindow>(*demo->session);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        QVERIFY(demo->prompter.unexpected.empty());
        if (auto* help = ui::HelpViewer::current()) help->close();
        window.reset();
        demo.reset();
    }

    void showingValuesTheBookAndStandsOnTheLastRow() {
        QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(window->size(), QSize(800, 600));
        QVERIFY(!demo->session->holdings().valuationPending());
        QTableView* grid = window->grid();
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("类型代码"));
        QVERIFY(grid->model()->rowCount() > 0);
        QCOMPARE(grid->currentIndex().row(), grid->model()->rowCount() - 1);
        QVERIFY(!group("选盈亏类型")->isEnabled());
        QCOMPARE(window->chartView()->chart()->title(), QStringLiteral("投资比例条形图"));
        QVERIFY(series());
        QCOMPARE(series()->barSets().at(0)->label(), QStringLiteral("市值百分比"));
        QCOMPARE(series()->barSets().at(0)->count(), grid->model()->rowCount() - 2);  // no total rows
    }

    void choicesRebuildTheGridAndTheChartHidesForHistory() {
        choice("选显示种类", 1)->click();
        QVERIFY(group("选盈亏类型")->isEnabled());
        QCOMPARE(window->chartView()->chart()->title(), QStringLiteral("投资成本和现值条形图"));
        choice("选盈亏类型", 3)->click();
        QCOMPARE(series()->barSets().at(1)->label(), QStringLiteral("折扣价值"));
        QVERIFY(window->chartView()->isVisible());
        QCOMPARE(window->gridGroup()->height(), PortfolioWindow::kGridHeight);

        for (int kind : {2, 3}) {
            choice("选显示种类", kind)->click();
            QVERIFY(!window->chartView()->isVisible());
            QVERIFY(!group("选显示内容和方式")->isEnabled());
            QVERIFY(!group("选盈亏类型")->isEnabled());
            QCOMPARE(window->gridGroup()->height(), PortfolioWindow::kGridHeightAlone);
        }
        QCOMPARE(window->grid()->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("记录标记"));
        choice("选显示种类", 0)->click();
        QVERIFY(window->chartView()->isVisible());
        QCOMPARE(window->gridGroup()->height(), PortfolioWindow::kGridHeight);
    }

    void repeatedLabelsKeepTheirBarsAndDetailIsNotPrintedHere() {
        choice("选显示内容和方式", 0)->click();
        // Cash rows of several accounts share the label "现金" and each keeps its bar.
        const int rows = window->grid()->model()->rowCount();
        QCOMPARE(series()->barSets().at(0)->count(), rows - 2);
        const auto* axis =
            qobject_cast<QBarCategoryAxis*>(window->chartView()->chart()->axes(Qt::Horizontal).at(0));
        QCOMPARE(axis->count(), rows - 2);
        buttonIn(window.get(), "打印报告")->click();
        QCOMPARE(demo->prompter.messages.back(), std::string("打印详细记录请进入手工编辑窗口！"));
        QVERIFY(demo->prompter.questions.empty());
    }
};

QTEST_MAIN(PortfolioWindowTest)
#include "portfolio_window_test.moc"
