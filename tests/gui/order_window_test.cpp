#include "ledger/order_window.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>

#include "demo_login.h"
#include "ledger/input_limits.h"
#include "ledger/order_desk.h"
#include "ledger/settlement.h"
#include "storage/cursor.h"
#include "ui/help_viewer.h"

using namespace varneth;
using gui::OrderWindow;

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

    DemoLogin demo;
    Views views;
    std::unique_ptr<OrderWindow> window;

    template <class W>
    W* child(const char* name) {
        auto* w = window->findChild<W*>(QString::fromUtf8(name));
        if (!w) qFatal("no child %s", name);
        return w;
    }
    QAbstractButton* button(const char* text) { return buttonIn(window.get(), text); }

private slots:
    void initTestCase() {
        QVERIFY(demo.enter("我的帐户"));
        window = std::make_unique<OrderWindow>(*demo.session, views);
    }
    void cleanupTestCase() {
        window.reset();
        QVERIFY(demo.prompter.unexpected.empty());
    }

    void aBuyEnteredInTheWindowBecomesAHoldingWhenConfirmed() {
        QCOMPARE(window->windowTitle(), QStringLiteral("手工委托处理窗口"));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QAbstractItemModelTester tester(child<QComboBox>("lx")->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        storage::Cursor ledger(demo.session->kvt(), "tr2.DBF");
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
        QCOMPARE(demo.prompter.messages.back(), std::string(ledger::OrderDesk::kBought));
        QCOMPARE(views.calls, (QStringList{"up_open", "detail 26120709301", "reopen", "detail 26120709301"}));

        QVERIFY(ledger.locate("WTH;CODE", {"26120709301", "600036"}));
        views.detail = detailOf(ledger);
        window->openOn(*views.detail);
        QCOMPARE(child<QLineEdit>("wth")->text(), QStringLiteral("26120709301"));
        QVERIFY(!child<QLineEdit>("code")->isEnabled());
        QVERIFY(!button("买入或做多开仓")->isEnabled());
        QCOMPARE(child<QLabel>("cash")->text(), QStringLiteral("可用资金：9.9万元"));
        button("确认结算")->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(demo.prompter.messages.back(), std::string(ledger::Settlement::kSettled));
        QVERIFY(ledger.locate("CJ_DH;CODE", {"26120709301", "600036"}));
        QCOMPARE(ledger.text("WTH"), std::string());
        QCOMPARE(ledger.number("AMT"), 100.0);
        QVERIFY(ledger.locate("QSDM;ZJZH;CODE;WTH", {"zxzq", "10000001", "xj", ""}));
        QVERIFY(qAbs(ledger.number("AMT") - (100000 - 1004)) < 1e-3);
    }

    void aPriceFromA32BitValueIsConfirmedAsItReads() {
        storage::Cursor ledger(demo.session->kvt(), "tr2.DBF");
        QVERIFY(ledger.locate("CODE;WTH", {"xj", ""}));
        views.detail = detailOf(ledger);
        window->openOn(*views.detail);
        // One caption per label: the labels say what they show.
        for (auto* label : window->findChildren<QLabel*>())
            QVERIFY(label->text() != QStringLiteral("可用资金:") &&
                    !label->text().startsWith(QStringLiteral("可买数量")));

        retype(child<QLineEdit>("code"), QStringLiteral("600036"));
        child<QComboBox>("gddm")->setEditText(QStringLiteral("A100"));
        for (const char* refused : {"-100", "0", "99999999999999"}) {
            retype(child<QLineEdit>("amt"), QString::fromLatin1(refused));
            button("买入或做多开仓")->click();
            QCOMPARE(demo.prompter.messages.back(), std::string(ledger::kBadQuantity));
            QVERIFY(window->isVisible());
        }
        retype(child<QLineEdit>("amt"), QStringLiteral("100"));
        button("买入或做多开仓")->click();
        const std::string wth = "26120709302";
        QVERIFY(ledger.locate("WTH;CODE", {wth, "600036"}));
        QCOMPARE(ledger.number("PRICE1"), static_cast<double>(42.15f));  // the order's 32-bit working price

        views.detail = detailOf(ledger);
        window->openOn(*views.detail);
        QCOMPARE(child<QLineEdit>("price")->text(), QStringLiteral("42.15"));
        button("确认结算")->click();
        QVERIFY(ledger.locate("CJ_DH;CODE", {wth, "600036"}));
        QCOMPARE(ledger.number("PRICE1"), 42.15);
        QCOMPARE(ledger.number("AMT"), 100.0);
    }

    void helpAndTheCodeLookupOpenFromTheWindow() {
        window->show();
        button("帮助")->click();
        QVERIFY(ui::HelpViewer::current());
        QCOMPARE(ui::HelpViewer::current()->currentKeyword(), QStringLiteral("buysell"));
        ui::HelpViewer::current()->close();
        button("<")->click();  // back to buy/sell mode
        QCOMPARE(child<QLineEdit>("wth")->text(), QString());
        button("查询")->click();
        QWidget* lookup = shownWindow("股票代码窗口");
        QVERIFY(lookup);
        QCOMPARE(lookup->pos(), QPoint(200, 30));
        lookup->close();
        window->close();
    }
};

QTEST_MAIN(OrderWindowTest)
#include "order_window_test.moc"
