#include "ledger/corporate_actions_window.h"

#include <QAbstractItemModelTester>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "app/login.h"
#include "app/program_directory.h"

using namespace varneth;
using gui::CorporateActionsWindow;
using ledger::CorporateActions;
namespace fs = std::filesystem;

namespace {

enum Column { Code = 1, Name = 2, Amt2 = 8 };

// The full seed: "示范帐户" has holdings and no entries, "我的帐户" the shared entries.
struct Fixture {
    QTemporaryDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Session> session;
    QPointer<CorporateActionsWindow> window;  // deletes itself on closing
    std::unique_ptr<QAbstractItemModelTester> tester;
};

}  // namespace

class CorporateActionsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        QVERIFY(f->prompter.unexpected.empty());
        f->tester.reset();
        delete f->window.data();
        f.reset();
    }

    void fetchedEntriesAreAppliedFromTheGrid() {
        open("示范帐户");
        QCOMPARE(f->window->windowTitle(), QStringLiteral("送股，配股和派发红利处理"));
        button("取记录")->click();
        QCOMPARE(rows(), 3);
        QSignalSpy changed(f->window.data(), &CorporateActionsWindow::ledgerChanged);
        grid()->setCurrentIndex(grid()->model()->index(1, Code));  // as a click does
        button("处理指定记录")->click();
        QCOMPARE(f->prompter.messages, std::vector<std::string>{"1个记录中有,10000股；处理成功！"});
        QCOMPARE(cell(1, Amt2), QStringLiteral("20000元"));
        button("处理指定记录")->click();  // refused: the ledger is not touched
        QCOMPARE(f->prompter.messages.back(), std::string(CorporateActions::kProcessedBefore));
        QCOMPARE(changed.count(), 1);
        button("删记录")->click();
        QCOMPARE(rows(), 2);
    }

    void movingDownPastTheLastRowAppendsAnEntryToFillIn() {
        open("我的帐户");
        QVERIFY(!button("取记录")->isEnabled());  // its own list is the one the others fetch
        grid()->setCurrentIndex(grid()->model()->index(rows() - 1, Code));
        QTest::keyClick(grid(), Qt::Key_Down);
        QCOMPARE(rows(), 4);
        const int blank = grid()->currentIndex().row();
        QVERIFY(grid()->model()->setData(grid()->model()->index(blank, Code), QStringLiteral("600036")));
        button("补股票名")->click();
        QCOMPARE(cell(blank, Name), QStringLiteral("招商银行"));
        QVERIFY(f->prompter.messages.empty());
    }

private:
    void open(const char* account) {
        f = std::make_unique<Fixture>();
        const fs::path programDir(f->dir.path().toStdU16String());
        app::createProgramDirectory(
            programDir, app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())), false);
        app::Login login(f->engine, programDir, f->prompter, f->clock);
        QVERIFY(login.start());
        f->session = login.enter(account, "");
        QVERIFY(f->session != nullptr);
        f->window = new CorporateActionsWindow(*f->session);
        f->window->showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(f->window.data()));
        f->tester = std::make_unique<QAbstractItemModelTester>(
            grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    QTableView* grid() const { return f->window->findChild<QTableView*>(); }
    int rows() const { return grid()->model()->rowCount(); }
    QString cell(int row, int column) const { return grid()->model()->index(row, column).data().toString(); }
    QPushButton* button(const char* caption) const {
        for (auto* b : f->window->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(caption)) return b;
        return nullptr;
    }

    std::unique_ptr<Fixture> f;
};

QTEST_MAIN(CorporateActionsWindowTest)
#include "corporate_actions_window_test.moc"
