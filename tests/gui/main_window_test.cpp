#include "app/main_window.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <filesystem>

#include "app/login.h"
#include "app/main_actions.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/engine.h"

using namespace varneth;
using gui::MainWindow;
namespace fs = std::filesystem;

namespace {

const std::string kLater(app::kNotYetAvailable);

struct NoPrograms : port::Launcher {
    port::LaunchResult startProgram(const std::string&, const std::string&, port::ShowMode) override {
        return port::LaunchResult::FileNotFound;
    }
    port::LaunchResult openLink(const std::string&) override { return port::LaunchResult::FileNotFound; }
};

QString header(QTableView* view, int column) {
    return view->model()->headerData(column, Qt::Horizontal).toString();
}

QString cell(QTableView* view, int row, int column) {
    return view->model()->index(row, column).data().toString();
}

}  // namespace

// The seed's program directory; each case logs in on the account it needs.
class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        programDir = fs::path(dir->path().toStdU16String());
        app::createProgramDirectory(
            programDir, app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())),
            /*bare=*/false);
        engine = std::make_unique<storage::Engine>();
        prompter = std::make_unique<port::ScriptedPrompter>();
        login = std::make_unique<app::Login>(*engine, programDir, *prompter, clock);
        QVERIFY(login->start());
    }
    void cleanup() {
        testers.clear();
        window.reset();
        session.reset();
        QVERIFY(prompter->unexpected.empty());
        login.reset();
        engine.reset();
        dir.reset();
    }

    void entriesCarryTheirCaptionsHintsAndShortcuts() {
        open("示范帐户");
        QCOMPARE(window->windowTitle(), QStringLiteral("资产管理主窗口，管理帐户名：示范帐户"));
        QCOMPARE(window->size(), QSize(800, 600));
        QStringList menus;
        for (auto* a : window->menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"系统管理", " 设置和更新 ", "资金转帐等 ", "帮助"}));
        const std::pair<const char*, const char*> keys[] = {{"退出系统", "Ctrl+Q"},
                                                            {"改口令", "Ctrl+S"},
                                                            {"添加删除管理帐户", "Ctrl+A"},
                                                            {"拷贝文件", "Ctrl+C"},
                                                            {"用写字板编辑业绩报告", "Ctrl+E"},
                                                            {"设置证券类型和代码等", "F5"},
                                                            {"设置链接程序名和路径", "F6"},
                                                            {"读行情软件收市价", "F9"},
                                                            {"根据交易所行情文件更新价格", "F7"},
                                                            {"资金转帐", ""},
                                                            {"分红配股处理", "F11"},
                                                            {"关于本软件", ""},
                                                            {"帮助系统目录", "F1"},
                                                            {"用户意见和问题解答", ""}};
        for (const auto& [caption, key] : keys) {
            QAction* a = action(caption);
            QVERIFY2(a != nullptr, caption);
            QCOMPARE(a->shortcut(), QKeySequence(QString::fromUtf8(key)));
        }
        // One key, one thing.
        QSet<QString> taken;
        for (auto* a : window->findChildren<QAction*>()) {
            if (a->shortcut().isEmpty()) continue;
            QVERIFY2(!taken.contains(a->shortcut().toString()), qPrintable(a->shortcut().toString()));
            taken.insert(a->shortcut().toString());
        }
        QCOMPARE(button("委托记录处理")->toolTip(), QStringLiteral("手工记录交易记录,并自动结算资金"));
        QCOMPARE(
            button("软件链接")->toolTip(),
            QStringLiteral("有委托系统可用此按钮,但需先用F6进入设置窗口, 设置程序路径和名称。详见帮助系统."));
        QCOMPARE(button("更新价格")->toolTip(), QStringLiteral("可读取行情软件K线数据,要先设置路径"));
        QCOMPARE(window->findChildren<QPushButton*>().size(), 10);
        QStringList hints;
        for (auto* a : window->findChild<QToolBar*>("tools")->actions()) hints << a->toolTip();
        QCOMPARE(hints, (QStringList{"拷贝文件，和Ctrl+C相同", "设置证券类型和代码等，和F5相同",
                                     "管理帐户中各资金帐户之间转帐, 及投资人资金出入帐",
                                     "一步进入基金管理窗口", "更新价格，和F8相同", "按钮说明"}));
        auto* group = window->findChild<QGroupBox*>("displayChoice");
        QCOMPARE(group->title(), QStringLiteral("显示选择"));
        QCOMPARE(group->toolTip(), QStringLiteral("选择目录, 唯作最下选择时, 上下独立"));
        QCOMPARE(choice(0)->text(), QStringLiteral("按股票代码列目录"));
        QCOMPARE(choice(1)->text(), QStringLiteral("按券商和资金帐户列目录"));
        QCOMPARE(choice(2)->text(), QStringLiteral("下面显示委托未确认记录"));
        QVERIFY(choice(0)->isChecked());
        QVERIFY(prompter->messages.empty());
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
        QCOMPARE(cell(detail, 0, 7), QStringLiteral("000001"));

        // A row picked in the catalog brings its detail.
        select(catalog, 7);
        QCOMPARE(cell(catalog, 7, 0), QStringLiteral("600036"));
        QCOMPARE(detail->model()->rowCount(), 1);
        QCOMPARE(cell(detail, 0, 7), QStringLiteral("600036"));

        choice(1)->click();
        QCOMPARE(header(catalog, 0), QStringLiteral("券商代码"));
        QCOMPARE(header(catalog, 1), QStringLiteral("资金账号"));
        QCOMPARE(catalog->model()->columnCount(), 3);
        QCOMPARE(catalog->model()->rowCount(), 5);
        QCOMPARE(catalog->model()->index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                 static_cast<int>(Qt::AlignRight));
        QCOMPARE(detail->model()->rowCount(), 10);  // every open row of htzq 10086601

        choice(2)->click();
        QCOMPARE(header(catalog, 0), QStringLiteral("券商代码"));
        QCOMPARE(catalog->model()->rowCount(), 5);
        QCOMPARE(detail->model()->rowCount(), 1);
        QCOMPARE(cell(detail, 0, 0), QStringLiteral("26120414301"));
        select(catalog, 2);  // independent of the catalog now
        QCOMPARE(detail->model()->rowCount(), 1);

        choice(0)->click();
        QCOMPARE(header(catalog, 0), QStringLiteral("代码"));
        QCOMPARE(catalog->model()->columnCount(), 8);
        // Another window rebuilding the views keeps the buttons in step.
        window->views().setDisplayChoice(1);
        QVERIFY(choice(1)->isChecked());
        QCOMPARE(header(catalog, 1), QStringLiteral("资金账号"));
        QVERIFY(prompter->messages.empty());
    }

    void theOrderWindowOpensOnTheDetailRowOrTheEmptyListIsTold() {
        open("示范帐户");
        clickButton("委托记录处理");
        QCOMPARE(prompter->messages, std::vector<std::string>{kLater});
        prompter->messages.clear();

        std::vector<ledger::DetailRow> opened;
        window->setOrderWindowOpener([&](const ledger::DetailRow& r) { opened.push_back(r); });
        choice(2)->click();
        clickButton("委托记录处理");
        QCOMPARE(opened.size(), std::size_t{1});
        QCOMPARE(opened[0].wth, std::string("26120414301"));
        QCOMPARE(opened[0].code, std::string("601318"));
        QCOMPARE(opened[0].date1, std::optional<std::string>("2026-12-04"));

        // With the order gone the detail list is empty: said, and back to the catalog by code.
        storage::Cursor ledger(session->kvt(), "tr2.DBF");
        while (ledger.locate("WTH", {"26120414301"})) ledger.remove();
        window->views().reopen();
        QCOMPARE(window->detailView()->model()->rowCount(), 0);
        clickButton("委托记录处理");
        QCOMPARE(prompter->messages, std::vector<std::string>{std::string(app::kEmptyDetail)});
        QCOMPARE(opened.size(), std::size_t{1});
        QVERIFY(choice(0)->isChecked());
        QCOMPARE(header(window->catalogView(), 0), QStringLiteral("代码"));
        QCOMPARE(window->detailView()->model()->rowCount(), 1);
    }

    // Unrouted entries say they are not offered; the rest speak for themselves.
    void entriesWithoutAWindowSaySoAndTheRestSayTheirOwn() {
        open("示范帐户");
        const auto tools = window->findChild<QToolBar*>("tools")->actions();
        prompter->messages.clear();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F9);  // the price update only, not the transfer too
        QCOMPARE(prompter->messages, std::vector<std::string>{kLater});

        prompter->messages.clear();
        tools[5]->trigger();
        action("添加删除管理帐户")->trigger();
        QCOMPARE(prompter->messages, (std::vector<std::string>{std::string(app::kButtonNotes),
                                                               std::string(app::kAdministrationRefused)}));

        prompter->messages.clear();
        int editors = 0;
        window->setRoute(MainWindow::Route::HoldingsEditor, [&] { ++editors; });
        clickButton("持仓编辑");
        QCOMPARE(editors, 1);
        NoPrograms none;
        window->setLauncher(none);
        action("用写字板编辑业绩报告")->trigger();
        QCOMPARE(prompter->messages, (std::vector<std::string>{std::string(app::kWordPadNotice),
                                                               std::string(app::kWordPadMissing)}));
    }

    void myAccountMayAdministerAccounts() {
        open("我的帐户");
        action("添加删除管理帐户")->trigger();
        QCOMPARE(prompter->messages, std::vector<std::string>{kLater});
    }

    void theAboutBoxNamesTheProductAndVersion() {
        open("示范帐户");
        QString text, info;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            text = box->text();
            info = box->informativeText();
            box->accept();
        });
        action("关于本软件")->trigger();
        QCOMPARE(text, QStringLiteral("Varneth"));
        QVERIFY(info.contains(QStringLiteral(VARNETH_VERSION)));
    }

private:
    void open(const char* account) {
        session = login->enter(account, "");
        QVERIFY(session != nullptr);
        window = std::make_unique<MainWindow>(*session);
        for (QTableView* v : {window->catalogView(), window->detailView()})
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                v->model(), QAbstractItemModelTester::FailureReportingMode::QtTest));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QAction* action(const char* caption) const {
        for (auto* a : window->findChildren<QAction*>())
            if (a->text() == QString::fromUtf8(caption) && !a->menu()) return a;
        return nullptr;
    }
    QPushButton* button(const char* caption) const {
        for (auto* b : window->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(caption)) return b;
        return nullptr;
    }
    void clickButton(const char* caption) const { QTest::mouseClick(button(caption), Qt::LeftButton); }
    QRadioButton* choice(int i) const {
        return window->findChild<QGroupBox*>("displayChoice")->findChildren<QRadioButton*>().at(i);
    }
    static void select(QTableView* view, int row) {
        view->selectionModel()->setCurrentIndex(
            view->model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    std::unique_ptr<QTemporaryDir> dir;
    fs::path programDir;
    std::unique_ptr<storage::Engine> engine;
    std::unique_ptr<port::ScriptedPrompter> prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
    std::unique_ptr<MainWindow> window;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
