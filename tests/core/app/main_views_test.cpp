#include "app/main_views.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "app/main_actions.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "support/temp_dir.h"

using namespace varneth;
using app::MainViews;
using storage::Value;

namespace {

using Texts = std::vector<std::string>;

// Two brokers; 600036 held at both with an unconfirmed buy, 000001 closed out once and oversold
// since; cash rows with the buy's frozen cash; a row kept by hand.
class MainViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        row("", "htzq", "10086601", "600036", 1000, 42150);
        row("", "zszq", "20668802", "600036", 500, 21075);
        row("26120414301", "htzq", "10086601", "600036", 200, 8200, -1);
        row("26120414301", "htzq", "10086601", "xj", -8200, -8200);
        row("", "htzq", "10086601", "xj", 50000, 50000);
        row("", "zszq", "20668802", "xj", 9000, 9000);
        row("", "htzq", "10086601", "000001", 3000, 34800);
        row("P2026091500", "htzq", "10086601", "000001", 5000, 55250);
        row("P2026091500", "htzq", "10086601", "000001", -5000, -55250);
        row("0???", "htzq", "10086601", "000001", -400, -4420);
        row("###", "zszq", "20668802", "399001", 100, 1000);
    }

    void row(const char* wth, const char* qsdm, const char* zjzh, const char* code, double amt, double cost2,
             int bs = 1) {
        ledger.append();
        ledger.setValue("WTH", wth);
        ledger.setValue("QSDM", qsdm);
        ledger.setValue("ZJZH", zjzh);
        ledger.setValue("CODE", code);
        ledger.setValue("AMT", amt);
        ledger.setValue("COST2", cost2);
        ledger.setValue("DATE1", "2026-12-04");
        ledger.setValue("BS", bs);
        ledger.post();
    }

    // Column `field` of every row of a view, as text.
    static Texts column(const storage::Cursor& c, const char* field) {
        Texts out;
        const int f = c.fieldIndex(field);
        for (int p = 0; p < c.count(); ++p) out.push_back(c.valueAt(p, f).toString());
        return out;
    }
    Texts detailOrders() const { return column(views.detail(), "委托号"); }

    testsupport::TempDir dir;
    storage::Database db{dir / storage::Database::kFileName};
    storage::Cursor ledger{(db.createTables(storage::Alias::Kvt), db), "tr2.DBF"};
    MainViews views{db};
};

TEST_F(MainViewsTest, ByCodeTheDetailFollowsTheCatalogAndClosedOutRowsStayHidden) {
    views.up_open();
    const storage::Cursor& cat = views.catalog();
    EXPECT_EQ(column(cat, "CODE"), (Texts{"000001", "399001", "600036", "xj"}));
    EXPECT_EQ(views.catalogTitles(),
              (Texts{"代码", "名称", "数量", "成本价", "当前价", "成本", "市值", "比例"}));
    EXPECT_TRUE(views.catalogPricesLeftAligned());
    EXPECT_EQ(cat.number("数量"), 2600);  // the holding and the oversold remainder, not the closed-out pair
    EXPECT_EQ(cat.number("市值"), 30380);
    EXPECT_EQ(detailOrders(), (Texts{"", "0???"}));

    views.moveCatalogToCode("600036");
    EXPECT_EQ(column(views.detail(), "券商代码"), (Texts{"htzq", "htzq", "zszq"}));
    EXPECT_EQ(detailOrders(), (Texts{"", "26120414301", ""}));
    views.moveDetailTo("26120414301", "600036");
    auto order = views.currentDetail();
    ASSERT_TRUE(order);
    EXPECT_EQ(order->bs, -1);
    EXPECT_EQ(order->date1, "2026-12-04");
    views.moveDetailTo("no such", "600036");  // not found: the detail stays where it was
    EXPECT_EQ(views.currentDetail()->wth, "26120414301");

    // A grid's move re-runs the detail; an unknown code leaves both views alone.
    views.catalog().moveTo(3);
    EXPECT_EQ(column(views.detail(), "代码"), (Texts{"xj", "xj", "xj"}));
    views.moveCatalogToCode("999999");
    EXPECT_EQ(cat.text("CODE"), "xj");
}

TEST_F(MainViewsTest, ByAccountTheDetailIsEveryOpenRowOfTheCashAccount) {
    views.up_open();
    views.setDisplayChoice(MainViews::kByAccount);
    const storage::Cursor& cat = views.catalog();
    EXPECT_EQ(column(cat, "zjzh"), (Texts{"10086601", "20668802"}));
    EXPECT_EQ(views.catalogTitles(), (Texts{"券商代码", "资金账号", "市值"}));
    EXPECT_FALSE(views.catalogPricesLeftAligned());
    EXPECT_EQ(cat.number("市值"), 42150 + 8200 - 8200 + 50000 + 34800 - 4420);
    EXPECT_EQ(detailOrders(), (Texts{"", "", "", "0???", "26120414301", "26120414301"}));

    views.moveCatalogToAccount("20668802");
    EXPECT_EQ(column(views.detail(), "代码"), (Texts{"600036", "xj", "399001"}));
    EXPECT_FALSE(views.findInCatalog("qsdm;zjzh", {Value("htzq"), Value("20668802")}));
    EXPECT_TRUE(views.findInCatalog("qsdm;zjzh", {Value("htzq"), Value("10086601")}));
    EXPECT_EQ(views.detail().count(), 6);
    EXPECT_THROW(views.setDisplayChoice(3), std::out_of_range);
    EXPECT_EQ(views.displayChoice(), MainViews::kByAccount);
}

// Unconfirmed orders keep the catalog and titles of the choice before.
TEST_F(MainViewsTest, UnconfirmedOrdersAreEveryOrderOfTheLedgerApartFromTheCatalog) {
    views.up_open();
    views.setDisplayChoice(MainViews::kUnconfirmed);
    EXPECT_EQ(column(views.catalog(), "CODE"), (Texts{"000001", "399001", "600036", "xj"}));
    EXPECT_EQ(views.catalogTitles()[0], "代码");
    EXPECT_TRUE(views.catalogPricesLeftAligned());
    // The oversold remainder counts as unconfirmed; frozen cash does not.
    EXPECT_EQ(detailOrders(), (Texts{"0???", "26120414301"}));
    views.moveDetailTo("26120414301", "600036");
    views.moveCatalogToCode("xj");
    EXPECT_EQ(views.currentDetail()->wth, "26120414301");

    views.setDisplayChoice(MainViews::kByAccount);
    views.setDisplayChoice(MainViews::kUnconfirmed);
    EXPECT_EQ(views.catalogTitles(), (Texts{"券商代码", "资金账号", "市值"}));
    EXPECT_EQ(views.catalog().count(), 2);
}

TEST_F(MainViewsTest, ReopeningSeesTheLedgerAsItIsNowAndTellsBeforeTheGridsRedraw) {
    views.up_open();
    std::vector<std::size_t> columnsSeen;
    views.setReopenedHandler([&] {
        EXPECT_TRUE(views.catalog().displaySuspended());
        columnsSeen.push_back(views.catalog().def().fields.size());
    });
    row("", "htzq", "10086601", "000001", 100, 1200);
    EXPECT_EQ(views.detail().count(), 2);  // a query shows what it read
    views.reopen();
    EXPECT_EQ(views.detail().count(), 3);
    EXPECT_EQ(views.catalog().number("数量"), 2700);
    views.setDisplayChoice(MainViews::kByAccount);
    EXPECT_EQ(columnsSeen, (std::vector<std::size_t>{8, 3}));
    EXPECT_FALSE(views.catalog().displaySuspended());
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
    EXPECT_EQ(prompter.messages, Texts{std::string(app::kEmptyDetail)});
    EXPECT_EQ(views.displayChoice(), MainViews::kByCode);
    EXPECT_EQ(views.catalogTitles()[0], "代码");
    EXPECT_TRUE(views.catalog().isEmpty());
}

TEST(MainActions, OnlyMyAccountAdministersAccounts) {
    port::ScriptedPrompter prompter;
    EXPECT_TRUE(app::mayAdministerAccounts("我的帐户", prompter));
    EXPECT_FALSE(app::mayAdministerAccounts("我的帐户 ", prompter));
    EXPECT_FALSE(app::mayAdministerAccounts("示范帐户", prompter));
    EXPECT_EQ(prompter.messages, Texts(2, std::string(app::kAdministrationRefused)));
}

// Opens what it is given with `result`; starts no program.
struct FakeLauncher : port::Launcher {
    explicit FakeLauncher(port::LaunchResult r) : result(r) {}
    port::LaunchResult startProgram(const std::string& path, const std::string&, port::ShowMode) override {
        opened.push_back("program " + path);
        return port::LaunchResult::Failed;
    }
    port::LaunchResult openLink(const std::string& url) override {
        opened.push_back(url);
        return result;
    }
    port::LaunchResult result;
    Texts opened;
};

TEST(MainActions, TheNewestReportOpensInTheDesktopsEditorAndEveryFailureIsTold) {
    const testsupport::TempDir temp;
    const std::filesystem::path dir = temp.path();
    const std::string notice(app::kWordPadNotice);
    const std::string none = std::string(app::kNoReportFile) + (dir / "report").string();
    {
        port::ScriptedPrompter prompter;
        FakeLauncher launcher(port::LaunchResult::Started);
        app::editReportInWordPad(launcher, prompter, dir);  // no report folder yet
        EXPECT_TRUE(launcher.opened.empty());
        EXPECT_EQ(prompter.messages, (Texts{notice, none}));
    }
    std::filesystem::create_directories(dir / "report");
    for (const char* name : {"hold20261207.txt", "hold20261208.txt"})
        std::ofstream(dir / "report" / name) << "x";
    std::filesystem::last_write_time(dir / "report" / "hold20261207.txt",
                                     std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
    for (auto [result, said] :
         {std::pair{port::LaunchResult::Started, Texts{notice}},
          {port::LaunchResult::Failed, Texts{notice, std::string(app::kWordPadFailed)}}}) {
        port::ScriptedPrompter prompter;
        FakeLauncher launcher(result);
        app::editReportInWordPad(launcher, prompter, dir);
        EXPECT_EQ(launcher.opened, Texts{(dir / "report" / "hold20261207.txt").string()});  // the newest
        EXPECT_EQ(prompter.messages, said);
    }
}

}  // namespace
