#include "app/main_views.h"

#include <gtest/gtest.h>

#include "app/main_actions.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "support/temp_dir.h"

using namespace varneth;
using app::MainViews;
using storage::Value;

namespace {

using Titles = std::vector<std::string>;

// Two brokers; 600036 held at both with an unconfirmed buy, 000001 closed out once and oversold
// since; cash rows with the buy's frozen cash; a row kept by hand.
class MainViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        row("", "htzq", "10086601", "600036", "招商银行", 1000, 38.2, 42.15, 42150, "2026-03-16");
        row("", "zszq", "20668802", "600036", "招商银行", 500, 40, 42.15, 21075, "2026-04-01");
        row("26120414301", "htzq", "10086601", "600036", "招商银行", 200, 41, 41, 8200, "2026-12-04", -1);
        row("26120414301", "htzq", "10086601", "xj", "现金", -8200, 1, 1, -8200, "2026-12-04");
        row("", "htzq", "10086601", "xj", "现金", 50000, 1, 1, 50000, "");
        row("", "zszq", "20668802", "xj", "现金", 9000, 1, 1, 9000, "");
        row("", "htzq", "10086601", "000001", "平安银行", 3000, 12.4, 11.6, 34800, "2026-01-20");
        row("P2026091500", "htzq", "10086601", "000001", "平安银行", 5000, 12.4, 11.05, 55250, "2026-01-20");
        row("P2026091500", "htzq", "10086601", "000001", "平安银行", -5000, 11.05, 11.05, -55250,
            "2026-09-15");
        row("0???", "htzq", "10086601", "000001", "平安银行", -400, 11.05, 11.05, -4420, "2026-09-15");
        row("###", "zszq", "20668802", "399001", "新股", 100, 10, 10, 1000, "2026-11-11");
    }

    void row(const char* wth, const char* qsdm, const char* zjzh, const char* code, const char* name,
             double amt, double price1, double price2, double cost2, const char* date1, int bs = 1) {
        ledger.append();
        ledger.setValue("WTH", wth);
        ledger.setValue("QSDM", qsdm);
        ledger.setValue("QS", qsdm == std::string("htzq") ? "华泰" : "招商");
        ledger.setValue("ZJZH", zjzh);
        ledger.setValue("GDDM", code == std::string("xj") ? "xj" : "A123456789");
        ledger.setValue("CODE", code);
        ledger.setValue("NAME", name);
        ledger.setValue("LX", code == std::string("xj") ? "xj" : "ha");
        ledger.setValue("LXM", code == std::string("xj") ? "现金" : "沪A股");
        ledger.setValue("AMT", amt);
        ledger.setValue("PRICE1", price1);
        ledger.setValue("PRICE2", price2);
        ledger.setValue("COST1", amt * price1);
        ledger.setValue("COST2", cost2);
        ledger.setValue("SXF", 0.0);
        ledger.setValue("YHS", 0.0);
        ledger.setValue("INC", 1.5);
        if (*date1) ledger.setValue("DATE1", date1);
        ledger.setValue("BS", bs);
        ledger.post();
    }

    // Column `field` of every row of a view, as text.
    static std::vector<std::string> column(const storage::Cursor& c, const char* field) {
        std::vector<std::string> out;
        const int f = c.fieldIndex(field);
        for (int p = 0; p < c.count(); ++p) out.push_back(c.valueAt(p, f).toString());
        return out;
    }
    std::vector<std::string> detailOrders() const { return column(views.detail(), "委托号"); }

    testsupport::TempDir dir;
    storage::Database db{dir / storage::Database::kFileName};
    storage::Cursor ledger{(db.createTables(storage::Alias::Kvt), db), "tr2.DBF"};
    MainViews views{db};
};

TEST_F(MainViewsTest, QueryTextsOfEachChoiceAsTheyRun) {
    const std::string head =
        "select wth as 委托号,qsdm as 券商代码,qs as 券商,zjzh as 资金帐号,gddm as 股东代码,lx as 类型码,lxm "
        "as 类型名,"
        "code as 代码,name as 名称,bs as 多空, amt as 数量,price1 as 价格1, date1 as 日期1, price2 as 价格2, "
        "date2 "
        "日期2,inc as 增值率\nFrom \"tr2.dbf\"\n";
    const std::string byCode =
        "SELECT DISTINCT  CODE, NAME, SUM(AMT) as 数量,\n(sum(price1*amt+sxf+yhs)/sum(amt)) as 成本价, "
        "avg(price2) "
        "as 当前价,\nsum(cost1+sxf+yhs) as 成本, sum(cost2) as 市值, sum(per) as 比例\nfrom "
        "\"tr2.dbf\"\nwhere "
        "(wth>'PA' or wth<'P' or wth='')\nGROUP BY code,name\norder by code,name";
    const std::string byAccount =
        "SELECT distinct qsdm,zjzh, sum(cost2) as 市值\nfrom \"tr2.dbf\"\nwhere (wth>'PA' or wth<'P' or "
        "wth='')\nGROUP BY qsdm,zjzh\norder by qsdm,zjzh";
    EXPECT_EQ(views.catalogQuery().text(), byCode);  // ready before the first opening
    EXPECT_EQ(
        views.detailQuery().text(),
        head +
            "Where (wth<'P' or wth>='P999999' or wth='') and (\"tr2.dbf\".\"CODE\" =:\"Code\" )\norder by "
            "qsdm,wth, code");
    views.setDisplayChoice(MainViews::kByAccount);
    EXPECT_EQ(views.catalogQuery().text(), byAccount);
    EXPECT_EQ(
        views.detailQuery().text(),
        head +
            "Where (wth<'P' or wth>='P999999' or wth='') and \n (\"tr2.dbf\".\"qsdm\" =:\"qsdm\" )\nand "
            "(\"tr2.dbf\".\"zjzh\" =:\"zjzh\" )\norder by qsdm, wth, code");
    views.setDisplayChoice(MainViews::kUnconfirmed);
    EXPECT_EQ(views.catalogQuery().text(), byAccount);  // unchanged
    EXPECT_EQ(views.detailQuery().text(),
              head + "Where (wth<'999999' and  wth>'0') and (code='' or code<>'xj')\norder by qsdm,wth,code");
    EXPECT_THROW(views.setDisplayChoice(3), std::out_of_range);
    EXPECT_EQ(views.displayChoice(), MainViews::kUnconfirmed);
}

TEST_F(MainViewsTest, ByCodeTheDetailFollowsTheCatalogAndClosedOutRowsStayHidden) {
    views.up_open();
    const storage::Cursor& cat = views.catalog();
    EXPECT_EQ(column(cat, "CODE"), (std::vector<std::string>{"000001", "399001", "600036", "xj"}));
    EXPECT_EQ(views.catalogTitles(),
              (Titles{"代码", "名称", "数量", "成本价", "当前价", "成本", "市值", "比例"}));
    EXPECT_TRUE(views.catalogPricesLeftAligned());
    EXPECT_EQ(cat.number("数量"), 2600);  // the holding and the oversold remainder, not the closed-out pair
    EXPECT_EQ(cat.number("市值"), 30380);
    EXPECT_EQ(detailOrders(), (std::vector<std::string>{"", "0???"}));

    views.moveCatalogToCode("600036");
    EXPECT_EQ(cat.text("CODE"), "600036");
    EXPECT_EQ(column(views.detail(), "券商代码"), (std::vector<std::string>{"htzq", "htzq", "zszq"}));
    EXPECT_EQ(detailOrders(), (std::vector<std::string>{"", "26120414301", ""}));

    views.moveDetailTo("26120414301", "600036");
    auto order = views.currentDetail();
    ASSERT_TRUE(order);
    EXPECT_EQ(order->wth, "26120414301");
    EXPECT_EQ(order->qs, "华泰");
    EXPECT_EQ(order->zjzh, "10086601");
    EXPECT_EQ(order->gddm, "A123456789");
    EXPECT_EQ(order->lx, "ha");
    EXPECT_EQ(order->lxm, "沪A股");
    EXPECT_EQ(order->name, "招商银行");
    EXPECT_EQ(order->bs, -1);
    EXPECT_EQ(order->amt, 200);
    EXPECT_EQ(order->price1, 41);
    EXPECT_EQ(order->date1, "2026-12-04");
    EXPECT_EQ(order->date2, std::nullopt);
    EXPECT_EQ(order->inc, 1.5);
    views.moveDetailTo("no such", "600036");  // not found: the detail stays where it was
    EXPECT_EQ(views.currentDetail()->wth, "26120414301");

    // A grid's move re-runs the detail; an unknown code leaves both views alone.
    views.catalog().moveTo(3);
    EXPECT_EQ(column(views.detail(), "代码"), (std::vector<std::string>{"xj", "xj", "xj"}));
    views.moveCatalogToCode("999999");
    EXPECT_EQ(cat.text("CODE"), "xj");
    EXPECT_FALSE(views.findInCatalog("zjzh", {Value("10086601")}));  // no such column by code
}

TEST_F(MainViewsTest, ByAccountTheDetailIsEveryOpenRowOfTheCashAccount) {
    views.up_open();
    views.setDisplayChoice(MainViews::kByAccount);
    const storage::Cursor& cat = views.catalog();
    EXPECT_EQ(column(cat, "zjzh"), (std::vector<std::string>{"10086601", "20668802"}));
    EXPECT_EQ(views.catalogTitles(), (Titles{"券商代码", "资金账号", "市值"}));
    EXPECT_FALSE(views.catalogPricesLeftAligned());
    EXPECT_EQ(cat.number("市值"), 42150 + 8200 - 8200 + 50000 + 34800 - 4420);
    EXPECT_EQ(detailOrders(), (std::vector<std::string>{"", "", "", "0???", "26120414301", "26120414301"}));

    views.moveCatalogToAccount("20668802");
    EXPECT_EQ(column(views.detail(), "代码"), (std::vector<std::string>{"600036", "xj", "399001"}));
    EXPECT_FALSE(views.findInCatalog("qsdm;zjzh", {Value("htzq"), Value("20668802")}));
    EXPECT_TRUE(views.findInCatalog("qsdm;zjzh", {Value("htzq"), Value("10086601")}));
    EXPECT_EQ(views.detail().count(), 6);
    views.moveCatalogToCode("600036");  // no code column: nothing moves
    EXPECT_EQ(cat.text("zjzh"), "10086601");
}

TEST_F(MainViewsTest, UnconfirmedOrdersKeepTheCatalogAndTitlesOfTheChoiceBefore) {
    views.up_open();
    views.setDisplayChoice(MainViews::kUnconfirmed);
    EXPECT_EQ(column(views.catalog(), "CODE"),
              (std::vector<std::string>{"000001", "399001", "600036", "xj"}));
    EXPECT_EQ(views.catalogTitles()[0], "代码");
    EXPECT_EQ(views.catalogTitles()[1], "名称");
    EXPECT_TRUE(views.catalogPricesLeftAligned());
    // The oversold remainder counts as unconfirmed; frozen cash does not.
    EXPECT_EQ(detailOrders(), (std::vector<std::string>{"0???", "26120414301"}));
    EXPECT_EQ(column(views.detail(), "代码"), (std::vector<std::string>{"000001", "600036"}));
    views.moveDetailTo("26120414301", "600036");
    views.moveCatalogToCode("xj");  // the two views are independent now
    EXPECT_EQ(views.catalog().text("CODE"), "xj");
    EXPECT_EQ(views.currentDetail()->wth, "26120414301");
    views.catalog().moveTo(0);
    EXPECT_EQ(views.currentDetail()->wth, "26120414301");

    views.setDisplayChoice(MainViews::kByAccount);
    views.setDisplayChoice(MainViews::kUnconfirmed);
    EXPECT_EQ(views.catalogTitles(), (Titles{"券商代码", "资金账号", "市值"}));
    EXPECT_EQ(views.catalog().count(), 2);
    EXPECT_FALSE(views.catalogPricesLeftAligned());
    EXPECT_EQ(detailOrders().size(), 2u);
}

TEST_F(MainViewsTest, ReopeningSeesTheLedgerAsItIsNowAndTellsBeforeTheGridsRedraw) {
    views.up_open();
    std::vector<std::size_t> columnsSeen;
    views.setReopenedHandler([&] {
        EXPECT_TRUE(views.catalog().displaySuspended());
        columnsSeen.push_back(views.catalog().def().fields.size());
    });
    row("", "htzq", "10086601", "000001", "平安银行", 100, 12, 12, 1200, "2026-12-05");
    EXPECT_EQ(views.detail().count(), 2);  // a query shows what it read
    views.reopen();
    EXPECT_EQ(views.detail().count(), 3);
    EXPECT_EQ(views.catalog().number("数量"), 2700);
    EXPECT_EQ(views.catalogTitles()[0], "代码");  // reopening keeps the titles
    views.setDisplayChoice(MainViews::kByAccount);
    EXPECT_EQ(columnsSeen, (std::vector<std::size_t>{8, 3}));
    EXPECT_FALSE(views.catalog().displaySuspended());

    // An empty ledger: both views empty, no current detail.
    for (ledger.first(); !ledger.isEmpty();) ledger.remove();
    views.setDisplayChoice(MainViews::kByCode);
    EXPECT_TRUE(views.catalog().isEmpty());
    EXPECT_TRUE(views.detail().isEmpty());
    EXPECT_EQ(views.currentDetail(), std::nullopt);
}

TEST_F(MainViewsTest, TheOrderWindowOpensOnTheCurrentDetailRowOrTheViewsGoBackToCodes) {
    port::ScriptedPrompter prompter;
    views.up_open();
    views.setDisplayChoice(MainViews::kUnconfirmed);
    auto row = app::rowForOrderWindow(views, prompter);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->wth, "0???");
    EXPECT_TRUE(prompter.messages.empty());

    views.setDisplayChoice(MainViews::kByAccount);
    for (ledger.first(); !ledger.isEmpty();) ledger.remove();
    views.reopen();
    EXPECT_EQ(app::rowForOrderWindow(views, prompter), std::nullopt);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{std::string(app::kEmptyDetail)});
    EXPECT_EQ(views.displayChoice(), MainViews::kByCode);
    EXPECT_EQ(views.catalogTitles()[0], "代码");
}

TEST(MainActions, OnlyMyAccountAdministersAccounts) {
    port::ScriptedPrompter prompter;
    EXPECT_TRUE(app::mayAdministerAccounts("我的帐户", prompter));
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_FALSE(app::mayAdministerAccounts("我的帐户 ", prompter));
    EXPECT_FALSE(app::mayAdministerAccounts("示范帐户", prompter));
    EXPECT_EQ(prompter.messages, std::vector<std::string>(2, std::string(app::kAdministrationRefused)));
}

struct FakeLauncher : port::Launcher {
    port::LaunchResult startProgram(const std::string& path, const std::string& parameters,
                                    port::ShowMode) override {
        started.push_back(path + "|" + parameters);
        return started.size() == found ? result : port::LaunchResult::FileNotFound;
    }
    port::LaunchResult openLink(const std::string&) override { return port::LaunchResult::Failed; }
    std::size_t found = 0;  // the attempt that finds its program
    port::LaunchResult result = port::LaunchResult::Started;
    std::vector<std::string> started;
};

TEST(MainActions, TheWordPadIsTheFirstEditorFoundAndEveryFailureIsTold) {
    const auto& programs = app::wordPadPrograms();
    ASSERT_FALSE(programs.empty());
    port::ScriptedPrompter prompter;
    FakeLauncher none;
    app::editReportInWordPad(none, prompter);
    EXPECT_EQ(none.started.size(), programs.size());
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{std::string(app::kWordPadNotice),
                                                           std::string(app::kWordPadMissing)}));

    prompter.messages.clear();
    FakeLauncher first;
    first.found = 1;
    app::editReportInWordPad(first, prompter);
    EXPECT_EQ(first.started, std::vector<std::string>{std::string(programs[0]) + "|"});
    EXPECT_EQ(prompter.messages, std::vector<std::string>{std::string(app::kWordPadNotice)});

    prompter.messages.clear();
    FakeLauncher broken;
    broken.found = 1;
    broken.result = port::LaunchResult::Failed;
    app::editReportInWordPad(broken, prompter);
    EXPECT_EQ(broken.started.size(), 1u);  // a program that exists but fails is not passed over
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{std::string(app::kWordPadNotice), std::string(app::kWordPadFailed)}));
}

}  // namespace
