#include "ledger/order_window.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "app/login.h"
#include "app/program_directory.h"
#include "ledger/order_desk.h"
#include "ledger/settlement.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/engine.h"
#include "ui/help_viewer.h"

using namespace varneth;
using gui::OrderWindow;
namespace fs = std::filesystem;

namespace {

struct Views : ledger::BookViews {
    int displayChoice() const override { return 0; }
    void up_open() override { calls << QStringLiteral("up_open"); }
    void reopen() override { calls << QStringLiteral("reopen"); }
    void moveCatalogToCode(std::string_view) override {}
    void moveCatalogToAccount(std::string_view) override {}
    void moveDetailTo(std::string_view wth, std::string_view) override {
        calls << QStringLiteral("detail ") + QString::fromStdString(std::string(wth));
    }
    std::optional<ledger::DetailRow> currentDetail() const override { return detail; }
    std::optional<ledger::DetailRow> detail;
    QStringList calls;
};

// The main window's detail row for the ledger row the cursor is on.
ledger::DetailRow detailOf(const storage::Cursor& c) {
    ledger::DetailRow d;
    d.wth = c.text("WTH");
    d.qsdm = c.text("QSDM");
    d.qs = c.text("QS");
    d.zjzh = c.text("ZJZH");
    d.gddm = c.text("GDDM");
    d.lx = c.text("LX");
    d.code = c.text("CODE");
    d.name = c.text("NAME");
    d.bs = static_cast<int>(c.integer("BS"));
    d.amt = c.number("AMT");
    d.price1 = c.number("PRICE1");
    d.date1 = c.date("DATE1");
    d.price2 = c.number("PRICE2");
    return d;
}

}  // namespace

class OrderWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Session> session;
    Views views;
    std::unique_ptr<OrderWindow> window;

    template <class W>
    W* child(const char* name) {
        auto* w = window->findChild<W*>(QString::fromUtf8(name));
        if (!w) qFatal("no child %s", name);
        return w;
    }
    QPushButton* button(const char* text) {
        for (auto* b : window->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text)) return b;
        qFatal("no button %s", text);
    }
    void retype(QLineEdit* box, const QString& text) {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }

private slots:
    void initTestCase() {
        const fs::path programDir(dir.path().toStdU16String());
        app::createProgramDirectory(
            programDir, app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())),
            false);
        app::Login login(engine, programDir, prompter, clock);
        QVERIFY(login.start());
        session = login.enter("我的帐户", "");
        QVERIFY(session != nullptr);
        window = std::make_unique<OrderWindow>(*session, views);
    }
    void cleanupTestCase() {
        window.reset();
        QVERIFY(prompter.unexpected.empty());
    }

    void theWindowFloatsWithItsCaptionsAndTypeList() {
        QCOMPARE(window->windowTitle(), QStringLiteral("手工委托处理窗口"));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(button(">")->toolTip(), QStringLiteral("改变缺省的记录操作选择"));
        for (const char* b : {"买入或做多开仓", "卖出或做多平仓", "卖空开仓", "卖空平仓", "取消委托",
                              "确认结算", "帮助", "关闭"})
            QVERIFY(button(b));
        auto* types = child<QComboBox>("lx");
        QCOMPARE(types->maxVisibleItems(), 20);
        QAbstractItemModelTester tester(types->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(types->model()->columnCount(), 2);
        QVERIFY(types->findText(QStringLiteral("qh")) >= 0);
    }

    void aBuyEnteredInTheWindowBecomesAHoldingWhenConfirmed() {
        storage::Cursor ledger(session->kvt(), "tr2.DBF");
        QVERIFY(ledger.locate("CODE", {"xj"}));
        views.detail = detailOf(ledger);
        window->openOn(*views.detail);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->pos(), QPoint(120, 30));
        QCOMPARE(child<QLineEdit>("tradeDate")->text(), QStringLiteral("2026-12-07"));
        QCOMPARE(child<QLabel>("cash")->text(), QStringLiteral("可用资金：10万元"));
        QVERIFY(!button("确认结算")->isEnabled());

        retype(child<QLineEdit>("code"), QStringLiteral("600036"));
        QCOMPARE(child<QLabel>("name")->text(), QStringLiteral("招商银行"));
        QCOMPARE(child<QLineEdit>("price")->text(), QStringLiteral("42.15"));
        QCOMPARE(child<QComboBox>("lx")->currentText(), QStringLiteral("ha"));
        QCOMPARE(child<QLabel>("buyable")->text(), QStringLiteral("可买股票：2372股"));
        retype(child<QLineEdit>("price"), QStringLiteral("10.0"));
        QCOMPARE(child<QLabel>("buyable")->text(), QStringLiteral("可买股票：10000股"));
        retype(child<QLineEdit>("amt"), QStringLiteral("100"));
        child<QComboBox>("gddm")->setEditText(QStringLiteral("A100"));
        button("买入或做多开仓")->click();
        QVERIFY(!window->isVisible());  // closed after the buy
        QCOMPARE(prompter.messages.back(), std::string(ledger::OrderDesk::kBought));
        QCOMPARE(views.calls, (QStringList{"up_open", "detail 26120709301", "reopen", "detail 26120709301"}));

        QVERIFY(ledger.locate("WTH;CODE", {"26120709301", "600036"}));
        views.detail = detailOf(ledger);
        window->openOn(*views.detail);
        QCOMPARE(child<QLineEdit>("wth")->text(), QStringLiteral("26120709301"));
        QVERIFY(!child<QLineEdit>("code")->isEnabled());
        QVERIFY(!button("买入或做多开仓")->isEnabled());
        QCOMPARE(button("<")->text(), QStringLiteral("<"));
        QCOMPARE(child<QLabel>("cash")->text(), QStringLiteral("可用资金：9.9万元"));
        button("确认结算")->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(prompter.messages.back(), std::string(ledger::Settlement::kSettled));
        QVERIFY(ledger.locate("CJ_DH;CODE", {"26120709301", "600036"}));
        QCOMPARE(ledger.text("WTH"), std::string());
        QCOMPARE(ledger.number("AMT"), 100.0);
        QVERIFY(ledger.locate("QSDM;ZJZH;CODE;WTH", {"zxzq", "10000001", "xj", ""}));
        QVERIFY(qAbs(ledger.number("AMT") - (100000 - 1004)) < 1e-3);
    }

    void helpAndTheCodeLookupOpenFromTheWindow() {
        window->show();
        button("帮助")->click();
        QVERIFY(ui::HelpViewer::current());
        QCOMPARE(ui::HelpViewer::current()->currentKeyword(), QStringLiteral("buysell"));
        ui::HelpViewer::current()->close();
        button("<")->click();  // back to buy/sell mode
        QCOMPARE(child<QLineEdit>("wth")->text(), QString());
        QVERIFY(button("查询")->isEnabled());
        button("查询")->click();
        QWidget* lookup = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == QStringLiteral("股票代码窗口") && w->isVisible()) lookup = w;
        QVERIFY(lookup);
        QCOMPARE(lookup->pos(), QPoint(200, 30));
        lookup->close();
        window->close();
    }
};

QTEST_MAIN(OrderWindowTest)
#include "order_window_test.moc"
