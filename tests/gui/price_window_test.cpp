#include "prices/price_window.h"

#include <QComboBox>
#include <QProgressBar>

#include "../core/prices/day_files.h"
#include "demo_login.h"
#include "prices/quote_definitions_window.h"
#include "prices/quote_path_window.h"

using namespace varneth;
using gui::PriceWindow;
namespace tf = varneth::testsupport;

// The price window and its two setting windows on the demonstration account, with a tdx quote
// directory written by the test.
class PriceWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoLogin> demo;
    QPointer<PriceWindow> window;
    std::filesystem::path quotes;

    double fundLast(const char* field) {
        storage::Cursor c(demo->session->kvt(), "Fund2.DB");
        c.last();
        return c.number(field);
    }
    double general(const char* code) {
        storage::Cursor c(demo->session->curr(), "allstocks.DBF");
        if (!c.locate("CODE", {code})) return -1;
        return c.number("PRICE");
    }

private slots:
    void init() {
        demo = std::make_unique<DemoLogin>();
        QVERIFY(demo->enter());
        quotes = demo->programDir() / "q";
        std::filesystem::create_directories(quotes);
        window = new PriceWindow(*demo->session);
        window->showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(window.data()));
    }
    void cleanup() {
        delete window.data();
        QVERIFY(demo->prompter.unexpected.empty());
        demo.reset();
    }

    void thePathWindowSetsThePathAndGivingUpKeepsIt() {
        buttonIn(window, "改路径")->click();
        gui::QuotePathWindow* paths = window->pathWindow();
        QVERIFY(paths && paths->isVisible());
        paths->selectDirectory(QString::fromStdString(quotes.string()));
        buttonIn(paths, "放弃退出")->click();
        QCOMPARE(window->findChild<QLineEdit*>("path")->text(), QString());

        buttonIn(window, "改路径")->click();
        window->pathWindow()->selectDirectory(QString::fromStdString(quotes.string()));
        buttonIn(window->pathWindow(), "确定退出")->click();
        QCOMPARE(window->findChild<QLineEdit*>("path")->text(), QString::fromStdString(quotes.string()));
        QCOMPARE(window->sources().current()->path, quotes.string());
    }

    void modesSetTheHeightAndModeOneShowsButWritesOnlyTheLevels() {
        QVERIFY(window->sources().setPath(quotes));
        QCOMPARE(window->height(), PriceWindow::kFullHeight);
        tf::writeDayFile(quotes / "vipdoc/sz/lday/sz000001.day", tf::intBits(1300));
        tf::writeDayFile(quotes / "vipdoc/sz/lday/sz399001.day", tf::intBits(1250000));
        window->setMode(prices::DisplayMode::ShowOnly);
        buttonIn(window, "更新我的股票价")->click();
        QCOMPARE(window->slotText(0), QStringLiteral("000001:13.00"));
        QCOMPARE(fundLast("SZ"), 12500.0);
        QVERIFY(!window->findChild<QProgressBar*>("progress")->isVisible());

        window->findChild<QWidget*>("displayMode")->findChildren<QRadioButton*>().at(0)->click();
        QCOMPARE(window->height(), PriceWindow::kShortHeight);
        buttonIn(window, "更新所有股票价")->click();
        QCOMPARE(general("000001"), static_cast<double>(13.0f));
        QCOMPARE(window->slotText(0), QString());
    }

    void theDefinitionsWindowEditsTheShownSourceAndMakesItCurrent() {
        auto* selector = window->findChild<QComboBox*>("selector");
        const int qlong = selector->findText(QStringLiteral("qlong"));
        QVERIFY(qlong >= 0);
        selector->setCurrentIndex(qlong);
        emit selector->activated(qlong);
        QCOMPARE(window->sources().current()->hqcode, std::string("qlong"));

        buttonIn(window, "增删数据源并修改参数")->click();
        gui::QuoteDefinitionsWindow* defs = window->definitionsWindow();
        QVERIFY(defs->isVisible());
        QCOMPARE(defs->box("LENGTH")->text(), QStringLiteral("40"));
        defs->box("HQNAME")->setText(QStringLiteral("钱龙新"));
        retype(defs->box("PATH"), QString::fromStdString(quotes.string()));

        // The format test stores what it finds in the row shown.
        const std::string file = (quotes / "k.day").string();
        tf::writeBytes(file, tf::dayRecord(20261204, tf::intBits(12345), 24));
        defs->setFilePicker([&](QWidget*) { return QString::fromStdString(file); });
        demo->prompter.expectAnswers({true, false, true});
        buttonIn(defs, "K线文件格式测试")->click();
        QCOMPARE(defs->box("LENGTH")->text(), QStringLiteral("24"));
        QCOMPARE(defs->box("TYPE")->text(), QStringLiteral("3"));

        buttonIn(defs, "确定退出")->click();
        QVERIFY(!defs->isVisible());
        const auto source = window->sources().current();
        QCOMPARE(source->hqname, std::string("钱龙新"));
        QCOMPARE(source->path, quotes.string());
        QCOMPARE(window->findChild<QLineEdit*>("path")->text(), QString::fromStdString(quotes.string()));

        // "dbf" has no display: mode 0, the group off.
        const int dbf = selector->findText(QStringLiteral("dbf"));
        selector->setCurrentIndex(dbf);
        emit selector->activated(dbf);
        QCOMPARE(window->mode(), prices::DisplayMode::UpdateOnly);
        QVERIFY(!window->findChild<QWidget*>("displayMode")->isEnabled());
    }

    void deletingTheLastSourceLeavesTheUpdatesUnusable() {
        buttonIn(window, "增删数据源并修改参数")->click();
        gui::QuoteDefinitionsWindow* defs = window->definitionsWindow();
        const int rows = window->sources().table().count();
        demo->prompter.expectAnswers({false});
        buttonIn(defs, "删除")->click();
        QCOMPARE(window->sources().table().count(), rows);
        for (int i = 0; i < rows; ++i) {
            demo->prompter.expectAnswers({true});
            buttonIn(defs, "删除")->click();
        }
        QVERIFY(window->sources().table().isEmpty());
        demo->prompter.messages.clear();
        buttonIn(window, "更新所有股票价")->click();
        QCOMPARE(demo->prompter.messages, std::vector<std::string>{"不能用!"});
        buttonIn(defs, "新建")->click();
        QCOMPARE(window->sources().table().count(), 1);
    }
};

QTEST_MAIN(PriceWindowTest)
#include "price_window_test.moc"
