#include "stats/performance_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "demo_login.h"
#include "stats/performance_canvas.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "ui/help_viewer.h"

using namespace varneth;
using gui::PerformanceCanvas;
using gui::PerformanceWindow;
using stats::Performance;
namespace fs = std::filesystem;

namespace {

// The demonstration account, whose settings start the chart at its first day.
struct Fixture : DemoLogin {
    std::unique_ptr<PerformanceWindow> window;
};

}  // namespace

class PerformanceWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        f = std::make_unique<Fixture>();
        QVERIFY(f->enter());
        f->window = std::make_unique<PerformanceWindow>(f->engine, f->prompter, f->clock, f->programDir());
        f->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
    }
    void cleanup() {
        QVERIFY(f->prompter.unexpected.empty());
        if (auto* help = ui::HelpViewer::current()) help->close();
        f.reset();
    }

    void showingStartsAtTheStoredDateWithTheResultTable() {
        QVERIFY(f->window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(f->window->size(), QSize(800, 620));
        QCOMPARE(canvas()->size(), QSize(649, 377));
        QCOMPARE(date()->text(), QStringLiteral("2025-12-01"));
        QVERIFY(radio("自某日")->isChecked() && radio("业绩画曲线")->isChecked());
        QCOMPARE(chart().markDate + chart().lastDate, std::string("2025-12-012026-12-04"));
        QVERIFY(label("深证成指") != nullptr);  // the first index's name above its row
        QCOMPARE(valueAfter("管理帐户  期初价格:") + valueAfter("期末价格:"), QStringLiteral("11.06"));
        QCOMPARE(valueAfter("上证指数  期初指数："), QStringLiteral("3386"));
        QCOMPARE(valueAfter("期初总值:") + " " + valueAfter("增长率:"), QStringLiteral("1,700,000.00 36.26"));
        // The fund's, the first and the second index's figures beside the table, as the CLI gives them.
        auto* figures = qobject_cast<QGridLayout*>(f->window->findChild<QGroupBox*>("statistics")->layout());
        QVERIFY(figures);
        const auto cell = [figures](int r, int c) {
            return qobject_cast<QLabel*>(figures->itemAtPosition(r, c)->widget())->text();
        };
        QCOMPARE((QStringList{cell(0, 1), cell(0, 2), cell(0, 3)}),
                 (QStringList{QStringLiteral("管理帐户"), QStringLiteral("深证成指"),
                              QStringLiteral("上证指数")}));
        QCOMPARE((QStringList{cell(1, 0), cell(1, 1), cell(1, 2), cell(1, 3)}),
                 (QStringList{QStringLiteral("年化收益率(%)"), QStringLiteral("6.15"),
                              QStringLiteral("14.62"), QStringLiteral("15.40")}));
        QCOMPARE(cell(3, 1), QStringLiteral("14.24"));
        QVERIFY(f->prompter.messages.empty());
    }

    void startChoicesTheDateFieldAndCompressKeepOrChangeTheChart() {
        click(radio("本年初"));
        QCOMPARE(chart().markDate, std::string("2025-12-31"));
        QCOMPARE(valueAfter("管理帐户  期初价格:"), QStringLiteral("1.08"));

        typeDate("2026-02-30");  // Return ends the date and presses no button
        QCOMPARE(f->prompter.messages, std::vector<std::string>{Performance::kBadDate});
        QVERIFY(radio("本年初")->isChecked());
        QCOMPARE(chart().markDate, std::string("2025-12-31"));
        click(radio("自某日"));  // the same text again: refused, the choice stays
        QCOMPARE(f->prompter.messages.size(), 2u);
        QVERIFY(radio("本年初")->isChecked());

        typeDate("2026-06-01");
        QVERIFY(radio("自某日")->isChecked());
        QCOMPARE(chart().markDate, std::string("2026-05-29"));
        const std::string left = chart().leftDate;
        click(button("压缩图形"));
        QVERIFY(chart().leftDate < left);
        QCOMPARE(chart().markDate, std::string("2026-06-01"));  // the start itself now

        click(radio("从头开始"));
        click(button("压缩图形"));
        QCOMPARE(f->prompter.messages.back(), std::string(Performance::kNoFurther));
        QCOMPARE(f->prompter.messages.size(), 3u);
    }

    void lineTypesRedrawTheCanvas() {
        click(radio("业绩画周K线"));
        QCOMPARE(chart().type, stats::LineType::WeeklyBars);
        QVERIFY(!chart().bars.empty());
        const QImage bars = canvas()->grab().toImage();
        for (const QColor& c : {QColor(0xFF, 0, 0), QColor(0, 0x80, 0), QColor(0x80, 0, 0x80)})
            QVERIFY(hasColour(bars, c));  // rising weeks, falling weeks and the second index, the total value
        click(radio("业绩化对数曲线"));
        QCOMPARE(chart().level, 2.0);
        QVERIFY(canvas()->grab().toImage() != bars);
        QVERIFY(f->prompter.messages.empty());
    }

    void indexSettingsAreConfirmedIntoTheSettingsTable() {
        auto fields = f->window->findChildren<QLineEdit*>();
        fields.removeOne(date());
        QCOMPARE(fields.size(), 4);
        QCOMPARE(fields[0]->text(), QStringLiteral("深证成指"));
        QCOMPARE(fields[3]->text(), QStringLiteral("699001"));
        fields[0]->setText(QStringLiteral("H股指数"));
        fields[1]->setText(QStringLiteral("999998"));
        click(button("修改确认"));
        QCOMPARE(parameter("s1name") + parameter("s1code") + parameter("s2code"),
                 std::string("H股指数999998699001"));
        QVERIFY(label("H股指数") != nullptr);
        QCOMPARE(chart().index1.legend, std::string("H指12416"));

        click(buttons("帮助").at(1));
        QCOMPARE(f->prompter.messages, std::vector<std::string>{stats::ChartSettings::kHelp});
        click(buttons("帮助").at(0));
        QVERIFY(ui::HelpViewer::current() != nullptr && ui::HelpViewer::current()->isVisible());
        // The topic that button asks for, in the help of this window.
        const auto help = ui::HelpFile::load(
            app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())) /
            "varneth.hlp");
        QVERIFY(help && help->indexOf(QStringLiteral("threelines")) >= 0);
    }

    void closingStoresTheDateAndShowingAgainReadsTheLedgerAsItStands() {
        typeDate("2026-03-02");
        click(button("关闭"));
        QVERIFY(!f->window->isVisible());
        QCOMPARE(parameter("startp"), std::string("2026-03-02"));

        storage::Cursor fund(f->session->kvt(), "Fund2.DB");
        fund.append();
        fund.setValue("DT", "2026-12-07");
        fund.setValue("PYCODE", "***");
        fund.setValue("FUND", 2400000.0);
        fund.setValue("PRICE", 1.1);
        fund.post();
        f->window->show();
        QCOMPARE(date()->text(), QStringLiteral("2026-03-02"));
        QCOMPARE(chart().lastDate, std::string("2026-12-07"));
        QCOMPARE(valueAfter("期末价格:"), QStringLiteral("1.1"));
        QCOMPARE(valueAfter("期末指数："), QStringLiteral("12416"));  // the level of the day before
        QVERIFY(f->prompter.messages.empty());
    }

private:
    PerformanceCanvas* canvas() const { return f->window->findChild<PerformanceCanvas*>(); }
    const stats::Chart& chart() const { return canvas()->chart(); }
    QLineEdit* date() const {
        // The date field stands with the start choices.
        return radio("自某日")->parentWidget()->findChild<QLineEdit*>();
    }
    QRadioButton* radio(const char* text) const {
        for (auto* r : f->window->findChildren<QRadioButton*>())
            if (r->text() == QString::fromUtf8(text)) return r;
        return nullptr;
    }
    QList<QPushButton*> buttons(const char* text) const {
        QList<QPushButton*> found;
        for (auto* b : f->window->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text)) found.append(b);
        return found;
    }
    QPushButton* button(const char* text) const { return buttons(text).value(0); }
    QLabel* label(const char* text) const {
        for (auto* l : f->window->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(text)) return l;
        return nullptr;
    }
    // The value shown to the right of a caption of the result table.
    QString valueAfter(const char* caption) const {
        const QLabel* c = label(caption);
        if (!c) return QStringLiteral("<no caption>");
        // The result table is one of the grids in its group, beside the statistics.
        QGridLayout* grid = nullptr;
        for (auto* g : c->parentWidget()->findChildren<QGridLayout*>())
            if (g->indexOf(c) >= 0) grid = g;
        if (!grid) return QStringLiteral("<no grid>");
        int row = 0, column = 0, rs = 0, cs = 0;
        grid->getItemPosition(grid->indexOf(c), &row, &column, &rs, &cs);
        return qobject_cast<QLabel*>(grid->itemAtPosition(row, column + 1)->widget())->text();
    }
    void click(QAbstractButton* b) {
        QVERIFY(b != nullptr);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, b->height() / 2));
    }
    void typeDate(const char* text) {
        date()->setFocus();
        date()->selectAll();
        QTest::keyClicks(date(), QString::fromUtf8(text));
        QTest::keyClick(date(), Qt::Key_Return);
    }
    static bool hasColour(const QImage& image, const QColor& colour) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour) return true;
        return false;
    }
    std::string parameter(const char* name) const {
        storage::Statement st(f->session->curr(), "SELECT PARA FROM \"parameter.DBF\" WHERE NAME=?");
        st.bind(1, name);
        return st.step() ? st.column(0).toString() : "<missing>";
    }

    std::unique_ptr<Fixture> f;
};

QTEST_MAIN(PerformanceWindowTest)
#include "performance_window_test.moc"
