#include "app/main_window.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>

#include "app/main_actions.h"
#include "demo_login.h"
#include "storage/cursor.h"

using namespace varneth;
using gui::MainWindow;

namespace {

const std::vector<std::string> kLater{std::string(app::kNotYetAvailable)};

struct NoPrograms : port::Launcher {
    port::LaunchResult startProgram(const std::string&, const std::string&, port::ShowMode) override {
        return port::LaunchResult::FileNotFound;
    }
    port::LaunchResult openLink(const std::string&) override { return port::LaunchResult::FileNotFound; }
};

QString header(QTableView* view, int column) {
    return view->model()->headerData(column, Qt::Horizontal).toString();
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoLogin> demo;
    std::unique_ptr<MainWindow> window;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;

private slots:
    void cleanup() {
        testers.clear();
        window.reset();
        QVERIFY(demo->prompter.unexpected.empty());
        demo.reset();
    }

    void opensWithItsCaptionAndEveryKeyDoesOneThing() {
        open("示范帐户");
        QCOMPARE(window->windowTitle(), QStringLiteral("资产管理主窗口，管理帐户名：示范帐户"));
        QCOMPARE(displayChoice(window.get(), 0)->text(), QStringLiteral("按股票代码列目录"));
        QCOMPARE(displayChoice(window.get(), 1)->text(), QStringLiteral("按券商和资金帐户列目录"));
        QCOMPARE(displayChoice(window.get(), 2)->text(), QStringLiteral("下面显示委托未确认记录"));
        QVERIFY(displayChoice(window.get(), 0)->isChecked());
        QSet<QString> taken;
        for (auto* a : window->findChildren<QAction*>()) {
            if (a->shortcut().isEmpty()) continue;
            QVERIFY2(!taken.contains(a->shortcut().toString()), qPrintable(a->shortcut().toString()));
            taken.insert(a->shortcut().toString());
        }
        // Two entries carry F9 in the menus; the key runs the price update, the first of them, only.
        int quotes = 0, transfers = 0;
        window->setRoute(MainWindow::Route::ReadQuotes, [&] { ++quotes; });
        window->setRoute(MainWindow::Route::CapitalTransfer, [&] { ++transfers; });
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F9);
        QCOMPARE(quotes, 1);
        QCOMPARE(transfers, 0);
        QVERIFY(demo->prompter.messages.empty());
    }

    // Ctrl+C copies in a grid; only where no grid or box has the focus does it mean "拷贝文件".
    void ctrlCCopiesInAGridAndCopiesFilesElsewhere() {
        open("示范帐户");
        int copies = 0;
        window->setRoute(MainWindow::Route::CopyFiles, [&] { ++copies; });
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTableView* catalog = window->catalogView();
        catalog->setFocus();
        selectRow(catalog, 0);
        QApplication::clipboard()->clear();
        QTest::keyClick(catalog, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copies, 0);
        QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral("代码\t名称\t数量\t成本价")));
        // The main grid reads its figures rounded: no float noise in the cost or current price.
        for (int c = 3; c <= 4; ++c) QVERIFY(cellOf(catalog, 0, c).section(QLatin1Char('.'), 1).size() <= 4);

        auto* button = window->findChildren<QPushButton*>().front();
        button->setFocus();
        QTest::keyClick(button, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copies, 1);
        QCOMPARE(window->statusBar()->findChild<QLabel*>("valuedAt")->text().left(5),
                 QStringLiteral("上次估值："));
    }

    void displayChoiceSwitchesTheGridsAndTheirTitles() {
        open("示范帐户");
        QTableView* catalog = window->catalogView();
        QTableView* detail = window->detailView();
        QCOMPARE(header(catalog, 0), QStringLiteral("代码"));
        QCOMPARE(header(catalog, 1), QStringLiteral("名称"));
        QCOMPARE(header(catalog, 3), QStringLiteral("成本价"));
        QCOMPARE(catalog->model()->rowCount(), 14);
        const auto align = [&](int column) {
            return catalog->model()->index(0, column).data(Qt::TextAlignmentRole).toInt() &
                   Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(align(3), static_cast<int>(Qt::AlignLeft));
        QCOMPARE(align(4), static_cast<int>(Qt::AlignLeft));
        QCOMPARE(align(2), static_cast<int>(Qt::AlignRight));
        QCOMPARE(header(detail, 0), QStringLiteral("委托号"));

        selectRow(catalog, 7);  // a row picked in the catalog brings its detail
        QCOMPARE(cellOf(catalog, 7, 0), QStringLiteral("600036"));
        QCOMPARE(detail->model()->rowCount(), 1);
        QCOMPARE(cellOf(detail, 0, 7), QStringLiteral("600036"));

        displayChoice(window.get(), 1)->click();
        QCOMPARE(header(catalog, 0), QStringLiteral("券商代码"));
        QCOMPARE(header(catalog, 1), QStringLiteral("资金账号"));
        QCOMPARE(catalog->model()->columnCount(), 3);
        QCOMPARE(catalog->model()->rowCount(), 5);
        QCOMPARE(detail->model()->rowCount(), 10);  // every open row of htzq 10086601

        displayChoice(window.get(), 2)->click();
        QCOMPARE(header(catalog, 0), QStringLiteral("券商代码"));
        QCOMPARE(detail->model()->rowCount(), 1);
        QCOMPARE(cellOf(detail, 0, 0), QStringLiteral("26120414301"));
        selectRow(catalog, 2);  // independent of the catalog now
        QCOMPARE(detail->model()->rowCount(), 1);

        displayChoice(window.get(), 0)->click();
        QCOMPARE(header(catalog, 0), QStringLiteral("代码"));
        QCOMPARE(catalog->model()->columnCount(), 8);
        // Another window rebuilding the views keeps the buttons in step.
        window->views().setDisplayChoice(1);
        QVERIFY(displayChoice(window.get(), 1)->isChecked());
        QCOMPARE(header(catalog, 1), QStringLiteral("资金账号"));
        QVERIFY(demo->prompter.messages.empty());
    }

    void theOrderWindowOpensOnTheDetailRowOrTheEmptyListIsTold() {
        open("示范帐户");
        std::vector<ledger::DetailRow> opened;
        window->setOrderWindowOpener([&](const ledger::DetailRow& r) { opened.push_back(r); });
        displayChoice(window.get(), 2)->click();
        buttonIn(window.get(), "委托记录处理")->click();
        QCOMPARE(opened.size(), std::size_t{1});
        QCOMPARE(opened[0].wth, std::string("26120414301"));
        QCOMPARE(opened[0].code, std::string("601318"));

        // With the order gone the detail list is empty: said, and back to the catalog by code.
        storage::Cursor ledger(demo->session->kvt(), "tr2.DBF");
        while (ledger.locate("WTH", {"26120414301"})) ledger.remove();
        window->views().reopen();
        QCOMPARE(window->detailView()->model()->rowCount(), 0);
        buttonIn(window.get(), "委托记录处理")->click();
        QCOMPARE(demo->prompter.messages, std::vector<std::string>{std::string(app::kEmptyDetail)});
        QCOMPARE(opened.size(), std::size_t{1});
        QVERIFY(displayChoice(window.get(), 0)->isChecked());
        QCOMPARE(header(window->catalogView(), 0), QStringLiteral("代码"));
        QCOMPARE(window->detailView()->model()->rowCount(), 1);
    }

    void entriesWithoutAWindowSaySoAndTheRestSayTheirOwn() {
        open("示范帐户");
        window->findChild<QToolBar*>("tools")->actions().at(5)->trigger();
        menuEntry(window.get(), "添加删除管理帐户")->trigger();
        QCOMPARE(demo->prompter.messages,
                 (std::vector<std::string>{std::string(app::kButtonNotes),
                                           std::string(app::kAdministrationRefused)}));
        demo->prompter.messages.clear();
        NoPrograms none;
        window->setLauncher(none);
        menuEntry(window.get(), "用写字板编辑业绩报告")->trigger();
        QCOMPARE(demo->prompter.messages.front(), std::string(app::kWordPadNotice));
        QCOMPARE(demo->prompter.messages.size(), std::size_t(2));  // and what was not found
    }

    void myAccountMayAdministerAccounts() {
        open("我的帐户");
        menuEntry(window.get(), "添加删除管理帐户")->trigger();
        QCOMPARE(demo->prompter.messages, kLater);  // let through to a window this test does not route
    }

private:
    void open(const char* account) {
        demo = std::make_unique<DemoLogin>();
        QVERIFY(demo->enter(account));
        window = std::make_unique<MainWindow>(*demo->session);
        for (QTableView* v : {window->catalogView(), window->detailView()})
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                v->model(), QAbstractItemModelTester::FailureReportingMode::QtTest));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
