#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "demo_login.h"
#include "fund/cash_account_tab.h"
#include "fund/fund_management_window.h"
#include "fund/investor_reports.h"
#include "fund/report_definition_tab.h"
#include "ui/report_printer.h"

using namespace varneth;

class FundReportTabsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        demo = std::make_unique<DemoLogin>();
        QVERIFY(demo->enter());
        window = std::make_unique<gui::FundManagementWindow>(*demo->session);
        window->show();
    }
    void cleanup() {
        window.reset();
        demo.reset();
    }

    void theReportTabsAndButtonsAreOffered() {
        QTabWidget* tabs = window->tabs();
        QCOMPARE(tabs->widget(3), static_cast<QWidget*>(window->cashAccountTab()));
        QCOMPARE(tabs->widget(4), static_cast<QWidget*>(window->reportDefinitionTab()));
        buttonIn(tabs->widget(0), "打印投资单据");
        buttonIn(tabs->widget(0), "打印阶段报告");
        buttonIn(tabs->widget(0), "打印总报表");
        buttonIn(tabs->widget(0), "打印设置");
    }

    void theCashAccountTabOpensOnTheCashAccountAndShowsItsResult() {
        gui::CashAccountTab* tab = window->cashAccountTab();
        storage::Cursor& accounts = tab->accounts().accounts();
        QVERIFY(!accounts.isEmpty());
        const fund::AccountSummary s = tab->accounts().selezj();
        if (accounts.text("zjzh") == fund::CashAccounts::kCashAccount)
            QCOMPARE(s.first.substr(0, 6), std::string("差额:"));
        QCOMPARE(tab->codeBox()->text(), QString::fromStdString(s.code));
        QCOMPARE(tab->amountBox()->text(), QString::fromStdString(s.amount));
        QCOMPARE(tab->secondLabel()->text(), QString::fromStdString(s.second));
        // A click on a holdings row selects the same account above.
        storage::Cursor& held = tab->accounts().holdings();
        if (held.isEmpty()) return;
        const int last = held.count() - 1;
        QTableView* grid = tab->holdingsGrid();
        emit grid->clicked(grid->model()->index(last, 0));
        held.moveTo(last);
        if (accounts.locate("qsdm;zjzh", {held.value("qsdm"), held.value("zjzh")}))
            QCOMPARE(tab->codeBox()->text(), QStringLiteral("$") + QString::fromStdString(held.text("zjzh")));
    }

    void theDefinitionTabNamesTheFundByTheChosenType() {
        gui::ReportDefinitionTab* tab = window->reportDefinitionTab();
        const fund::ReportDefinition def = tab->definition();
        QCOMPARE(def.title, std::string("投资记录报告单"));
        QVERIFY(def.allRecords);
        QVERIFY(!def.brief);
        QComboBox* funds = tab->fundList();
        QVERIFY(funds->count() > 0);
        const int last = funds->count() - 1;
        funds->setCurrentIndex(last);
        emit funds->activated(last);
        const std::string note = fund::currentFundName(demo->session->engine());
        QCOMPARE(tab->definition().fundName, note);
        QVERIFY(funds->itemText(last).startsWith(QString::fromStdString(note)));
    }

    void theTotalReportPrintsToAPdfOffscreen() {
        QTemporaryDir dir;
        fund::InvestorReports reports(demo->session->engine(), window->manager(), demo->prompter,
                                      demo->clock);
        ui::ReportPrinter printer(window.get(), demo->prompter, QStringLiteral("总报表"), {});
        reports.writeTotal(window->reportDefinitionTab()->definition(), printer);
        QVERIFY(!printer.pages().empty());
        const QString file = dir.filePath(QStringLiteral("total.pdf"));
        QVERIFY(ui::writeReportPdf(printer.pages(), file));
        QFile pdf(file);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
    }

private:
    std::unique_ptr<DemoLogin> demo;
    std::unique_ptr<gui::FundManagementWindow> window;
};

QTEST_MAIN(FundReportTabsTest)
#include "fund_report_tabs_test.moc"
