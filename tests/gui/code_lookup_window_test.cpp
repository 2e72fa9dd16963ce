#include "reference/code_lookup_window.h"

#include <QAbstractItemModelTester>
#include <QComboBox>

#include "demo_login.h"
#include "storage/cursor.h"
#include "storage/database.h"

using namespace varneth;
using gui::CodeLookupWindow;
using reference::GeneralPrices;

namespace {

enum Column { Code, Name };

}  // namespace

// The demonstration account, the window shown where the order window shows it.
class CodeLookupWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        f = std::make_unique<DemoLogin>();
        QVERIFY(f->enter());
        window = std::make_unique<CodeLookupWindow>(f->session->prices(), f->prompter);
        window->showAt(200, 30);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        tester = std::make_unique<QAbstractItemModelTester>(
            grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup() {
        QVERIFY(f->prompter.unexpected.empty());
        tester.reset();
        window.reset();
        f.reset();
    }

    void aRestrictionNarrowsGridAndLookupsUntilTheWindowCloses() {
        QCOMPARE(window->windowTitle(), QStringLiteral("股票代码窗口"));
        QCOMPARE(restriction()->currentText(), QStringLiteral("*"));
        QCOMPARE(f->session->prices().table().filter(), std::string());  // no filter until one is picked
        const int all = storedRows();
        QCOMPARE(rows(), all);

        type("60*");
        QCOMPARE(rows(), storedRows("CODE LIKE '60%'"));
        for (int r = 0; r < rows(); ++r) QVERIFY(cell(r, Code).startsWith(QLatin1String("60")));
        QCOMPARE(f->session->prices().code_to_name("000001"), std::string("000001"));
        QCOMPARE(f->session->prices().code_to_price("000001"), 0.0f);
        // The settings module's lookup still names it from the holdings prices.
        QCOMPARE(f->session->lookups().code_to_name("000001"), std::string("平安银行"));

        window->close();
        QCOMPARE(f->session->prices().code_to_name("000001"), std::string("平安银行"));
        QCOMPARE(rows(), all);
        window->showAt(200, 30);
        QCOMPARE(restriction()->currentText(), QStringLiteral("*"));
        QCOMPARE(f->session->prices().table().filter(), std::string());

        type("6'*");  // a quote is text like any other
        QCOMPARE(rows(), 0);
        QVERIFY(f->prompter.messages.empty());
    }

    void okHandsTheCurrentRowToTheOpenerAndCloses() {
        std::vector<GeneralPrices::Pick> picks;
        window->setPickHandler([&](const GeneralPrices::Pick& p) { picks.push_back(p); });
        // A price kept in 32 bits is handed on as the text it reads as.
        storage::Cursor prices(f->session->curr(), "allstocks.DBF");
        QVERIFY(prices.locate("CODE", {"000002"}));
        prices.setValue("PRICE", static_cast<double>(6.37f));
        prices.post();
        type("000*");
        grid()->setCurrentIndex(grid()->model()->index(1, Name));  // as a click does
        click("确定退出");
        QCOMPARE(picks.size(), 1u);
        QCOMPARE(picks[0].code, std::string("000002"));
        QCOMPARE(picks[0].name, std::string("万科A"));
        QCOMPARE(picks[0].price, std::string("6.37"));
        QVERIFY(!window->isVisible());

        window->showAt(200, 30);
        type("zz*");  // nothing to pick: the window just closes
        click("确定退出");
        QCOMPARE(picks.size(), 1u);
        QVERIFY(!window->isVisible());
    }

    void insertedRowIsStoredWithTheCodeTypedIntoIt() {
        const int before = storedRows();
        click("插一行");
        fillNewCode("900999");
        QTRY_COMPARE(cell(grid()->currentIndex().row(), Code), QStringLiteral("900999"));

        type("60*");  // hides a blank code, so it gives way for the new row
        click("插一行");
        QCOMPARE(restriction()->currentText(), QStringLiteral("*"));
        fillNewCode("600998");
        QCOMPARE(storedRows("CODE=''"), 0);
        QCOMPARE(storedRows(), before + 2);
        QVERIFY(f->prompter.messages.empty());
    }

    void deleteRemovesTheCurrentRowAndHelpSaysItsText() {
        type("000*");
        grid()->setCurrentIndex(grid()->model()->index(0, Code));
        f->prompter.expectAnswers({false, true});
        click("删一行");  // answered No: the row stays
        QCOMPARE(storedRows("CODE='000001'"), 1);
        QCOMPARE(f->prompter.questions.back().rfind("删除记录：000001 ", 0), 0u);
        click("删一行");
        QCOMPARE(storedRows("CODE='000001'"), 0);
        QCOMPARE(cell(grid()->currentIndex().row(), Code), QStringLiteral("000002"));

        type("zz*");
        click("删一行");  // an empty view: nothing to delete, nothing said
        click("帮助");
        QCOMPARE(f->prompter.messages, std::vector<std::string>{GeneralPrices::kHelp});
    }

private:
    QTableView* grid() const { return window->findChild<QTableView*>(); }
    QComboBox* restriction() const { return window->findChild<QComboBox*>(); }
    int rows() const { return grid()->model()->rowCount(); }
    QString cell(int row, int column) const { return grid()->model()->index(row, column).data().toString(); }
    void type(const char* text) {
        restriction()->lineEdit()->clear();
        QTest::keyClicks(restriction(), text);
        QCOMPARE(restriction()->currentText(), QString::fromUtf8(text));
    }
    void click(const char* text) { QTest::mouseClick(buttonIn(window.get(), text), Qt::LeftButton); }
    // The new row is current with its code cell open for typing.
    void fillNewCode(const char* code) {
        QCOMPARE(grid()->currentIndex().column(), static_cast<int>(Code));
        QCOMPARE(cell(grid()->currentIndex().row(), Code), QString());
        auto* editor = grid()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr && editor->isVisible());
        QTest::keyClicks(editor, code);
        QTest::keyClick(editor, Qt::Key_Return);  // the editor commits once control returns to the event loop
        QTRY_COMPARE(storedRows("CODE='" + std::string(code) + "'"), 1);
    }
    int storedRows(const std::string& where = "1") const {
        storage::Statement st(f->session->curr(), "SELECT COUNT(*) FROM \"allstocks.DBF\" WHERE " + where);
        return st.step() ? static_cast<int>(st.column(0).toInt()) : -1;
    }

    std::unique_ptr<DemoLogin> f;
    std::unique_ptr<CodeLookupWindow> window;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

QTEST_MAIN(CodeLookupWindowTest)
#include "code_lookup_window_test.moc"
