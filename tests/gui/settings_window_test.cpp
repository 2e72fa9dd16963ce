#include "reference/settings_window.h"

#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <fstream>

#include "app/main_window.h"
#include "app/session_windows.h"
#include "demo_login.h"
#include "ledger/holdings_editor_window.h"
#include "prices/exchange_quotes_window.h"
#include "reference/margin.h"
#include "reference/margin_window.h"

using namespace varneth;
using gui::MainWindow;
using gui::SettingsWindow;

// The settings window, the margin calculator and the exchange window, opened from where the main
// window and the holdings editor open them, on the demonstration book.
class SettingsWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoLogin> demo;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<gui::SessionWindows> windows;

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

    void settingsOpenFromTheMenuAndModallyFromTheHoldingsEditor() {
        menuEntry(main.get(), "设置证券类型和代码等")->trigger();
        SettingsWindow& settings = windows->settingsWindow();
        QVERIFY(settings.isVisible());
        QCOMPARE(settings.windowTitle(), QStringLiteral("设置证券类型和代码等窗口"));
        QCOMPARE(settings.tabs()->count(), 5);
        QCOMPARE(settings.tabs()->currentIndex(), 0);
        QVERIFY(settings.settlementText().startsWith(QStringLiteral("当前结算货币为:")));
        settings.close();

        windows->holdingsEditor().show();
        buttonIn(&windows->holdingsEditor(), "手工改价")->click();
        QVERIFY(settings.isVisible());
        QCOMPARE(settings.tabs()->currentIndex(), SettingsWindow::kPricesTab);
        QVERIFY(settings.isModal());
        // "改持仓文件价格" through its button: the list's price reaches the ledger.
        storage::Cursor& list = demo->session->lookups().holdingsPrices();
        QVERIFY(list.locate("code", {"000001"}));
        list.setValue("price2", 12.34);
        list.post();
        buttonIn(settings.tabs()->widget(SettingsWindow::kPricesTab), "改持仓文件价格")->click();
        storage::Cursor ledger(demo->engine.database(storage::Alias::Kvt), "tr2.DBF");
        QVERIFY(ledger.locate("CODE", {"000001"}));
        QCOMPARE(ledger.number("PRICE2"), 12.34);
        settings.close();
        QVERIFY(!settings.isModal());
        windows->holdingsEditor().close();
    }

    void marginCalculatorWritesTheSelectedTypesRatio() {
        SettingsWindow& settings = windows->settingsWindow();
        settings.showCentred();
        QVERIFY(demo->session->lookups().findType("qh"));
        buttonIn(settings.tabs()->widget(SettingsWindow::Types), "计算保证金比率")->click();
        gui::MarginWindow* margin = settings.marginWindow();
        QVERIFY(margin && margin->isVisible());
        QCOMPARE(margin->typeText(), QStringLiteral("期货qh"));
        QCOMPARE(margin->ratioField()->text(), QStringLiteral("0.05"));
        margin->setInputs(2000, 5, 1234);
        buttonIn(margin, "计算")->click();
        QCOMPARE(margin->ratioField()->text(), QStringLiteral("0.324"));
        buttonIn(margin, "确定退出")->click();
        QVERIFY(!margin->isVisible());
        QVERIFY(demo->session->lookups().findType("qh"));
        QCOMPARE(demo->session->lookups().types().number("Bzj_rate"), 0.324);

        settings.marginWindow()->openOnSelectedType();
        retype(margin->ratioField(), QStringLiteral("x"));
        buttonIn(margin, "确定退出")->click();
        QVERIFY(margin->isVisible());
        QCOMPARE(demo->prompter.messages.back(), std::string(reference::MarginCalculator::kNotANumber));
        buttonIn(margin, "放弃退出")->click();
        settings.close();
    }

    void thePriceToolButtonCarriesTheGeneralTablesPricesIntoTheHoldings() {
        storage::Cursor general(demo->engine.database(storage::Alias::Curr), "allstocks.DBF");
        QVERIFY(general.locate("CODE", {"000001"}));
        general.setValue("PRICE", 13.57);
        general.post();
        QAction* tool = nullptr;
        for (QAction* a : main->findChildren<QAction*>())
            if (a->toolTip() == QStringLiteral("更新价格，和F8相同") ||
                a->text() == QStringLiteral("更新价格，和F8相同"))
                tool = a;
        QVERIFY(tool);
        tool->trigger();
        storage::Cursor ledger(demo->engine.database(storage::Alias::Kvt), "tr2.DBF");
        QVERIFY(ledger.locate("CODE", {"000001"}));
        QCOMPARE(ledger.number("PRICE2"), 13.57);
    }

    void exchangeWindowListsTheLocationsAndRefusesMissingFiles() {
        std::ofstream(demo->programDir() / "SJLJ.TXT") << "http://a.example/hq\nhttp://b.example/d\n";
        menuEntry(main.get(), "根据交易所行情文件更新价格")->trigger();
        gui::ExchangeQuotesWindow* w = windows->exchangeWindow();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->locations()->count(), 2);
        QVERIFY(w->linksText().contains(QStringLiteral("http://a.example/hq/SHOW2003.DBF")));
        w->locations()->setCurrentIndex(1);
        QVERIFY(w->linksText().contains(QStringLiteral("http://b.example/d/SJSHQ.DBF")));
        buttonIn(w, "更新所有股票价格表")->click();
        QCOMPARE(demo->prompter.messages.back(), std::string("找不到文件SHOW2003.DBF,请检查!"));
        buttonIn(w, "修改持仓价格")->click();
        QCOMPARE(windows->settingsWindow().tabs()->currentIndex(), SettingsWindow::kPricesTab);
        windows->settingsWindow().close();
        buttonIn(w, "关闭")->click();
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
