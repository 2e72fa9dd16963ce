#include "prices/exchange_quotes_window.h"

#include <QLabel>
#include <QTest>
#include <filesystem>

#include "../core/support/dbf_writer.h"
#include "app/main_window.h"
#include "app/session_windows.h"
#include "demo_login.h"
#include "ui/cursor_model.h"

using namespace varneth;
using testsupport::writeDbf;

// The grids of the two exchange files beside the general price table: read when the window
// opens and again by each update, and empty (never an error) for a file that is missing or cut.
class ExchangeQuotesWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoLogin> demo;
    std::unique_ptr<gui::MainWindow> main;
    std::unique_ptr<gui::SessionWindows> windows;

    std::filesystem::path file(const char* name) const { return demo->programDir() / name; }
    void writeFiles() {
        writeDbf(file("show2003.dbf"), {{"S1", 'C'}, {"S2", 'C'}, {"S10", 'N'}},
                 {{"000001", "上证指数", "3000.5"}, {"600000", "浦发银行", "10.25"}});
        writeDbf(file("SJSHQ.DBF"), {{"HQZQDM", 'C'}, {"HQZQJC", 'C'}, {"HQZJCJ", 'N'}},
                 {{"000002", "万科Ａ", "8.5"}});
    }
    gui::ExchangeQuotesWindow* open() {
        menuEntry(main.get(), "根据交易所行情文件更新价格")->trigger();
        return windows->exchangeWindow();
    }
    static QString cell(ui::CursorModel* grid, int row, int column) {
        return grid->data(grid->index(row, column)).toString();
    }

private slots:
    void init() {
        demo = std::make_unique<DemoLogin>();
        QVERIFY(demo->enter());
        main = std::make_unique<gui::MainWindow>(*demo->session);
        windows = std::make_unique<gui::SessionWindows>(*demo->session, *main);
    }
    void cleanup() {
        windows.reset();
        main.reset();
        QVERIFY(demo->prompter.unexpected.empty());
        demo.reset();
    }

    void gridsShowEveryRecordOfBothFilesOnOpen() {
        writeFiles();
        gui::ExchangeQuotesWindow* w = open();
        QVERIFY(w && w->isVisible());
        // The head records the update skips are still part of the file shown.
        QCOMPARE(w->shanghaiGrid()->rowCount(), 2);
        QCOMPARE(cell(w->shanghaiGrid(), 0, 0), QStringLiteral("000001"));
        QCOMPARE(cell(w->shanghaiGrid(), 1, 1), QStringLiteral("浦发银行"));
        QCOMPARE(w->shanghaiGrid()->cursor().number("S10"), 3000.5);
        QCOMPARE(w->shenzhenGrid()->rowCount(), 1);
        QCOMPARE(cell(w->shenzhenGrid(), 0, 1), QStringLiteral("万科Ａ"));
        QCOMPARE(w->shenzhenGrid()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("价格"));
    }

    void missingOrCutFilesShowEmptyGridsAndAreReadAgainOnUpdate() {
        const std::size_t told = demo->prompter.messages.size();
        gui::ExchangeQuotesWindow* w = open();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->shanghaiGrid()->rowCount(), 0);
        QCOMPARE(w->shenzhenGrid()->rowCount(), 0);
        QCOMPARE(demo->prompter.messages.size(), told);

        // Downloaded while the window is open: the update reads them anew.
        writeFiles();
        w->update();
        QCOMPARE(w->statusText().trimmed(), QStringLiteral("更新完毕"));
        QCOMPARE(w->shanghaiGrid()->rowCount(), 2);
        QCOMPARE(w->shenzhenGrid()->rowCount(), 1);

        // A broken download: refused, its grid emptied, the other file still shown.
        std::filesystem::resize_file(file("show2003.dbf"),
                                     std::filesystem::file_size(file("show2003.dbf")) - 5);
        w->update();
        QCOMPARE(demo->prompter.messages.back(), std::string("文件SHOW2003.DBF已损坏,请检查!"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->shanghaiGrid()->rowCount(), 0);
        QCOMPARE(w->shenzhenGrid()->rowCount(), 1);
    }
};

QTEST_MAIN(ExchangeQuotesWindowTest)
#include "exchange_quotes_window_test.moc"
