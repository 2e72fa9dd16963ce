#pragma once

// A program directory from the seed, logged in on "我的帐户" (one cash row: zxzq 10000001, 100000),
// with an order desk whose main window is a recording stand-in.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/login.h"
#include "app/program_directory.h"
#include "ledger/book_views.h"
#include "ledger/order_desk.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"
#include "text/numbers.h"

namespace varneth::testsupport {

struct FakeViews : ledger::BookViews {
    int displayChoice() const override { return choice; }
    void up_open() override { calls.push_back("up_open"); }
    void reopen() override { calls.push_back("reopen"); }
    void moveCatalogToCode(std::string_view code) override { calls.push_back("code " + std::string(code)); }
    void moveCatalogToAccount(std::string_view zjzh) override {
        calls.push_back("account " + std::string(zjzh));
    }
    void moveDetailTo(std::string_view wth, std::string_view code) override {
        calls.push_back("detail " + std::string(wth) + " " + std::string(code));
    }
    std::optional<ledger::DetailRow> currentDetail() const override { return detail; }

    int choice = 0;
    std::optional<ledger::DetailRow> detail;
    std::vector<std::string> calls;
};

class OrderFixture : public ::testing::Test {
protected:
    using Field = std::pair<const char*, storage::Value>;

    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/false);
        login = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        ASSERT_TRUE(login->start());
        session = login->enter("我的帐户", "");
        ASSERT_NE(session, nullptr);
        ledger = std::make_unique<storage::Cursor>(session->kvt(), "tr2.DBF");
        makeDesk();
    }
    void TearDown() override { EXPECT_TRUE(prompter.unexpected.empty()); }

    void makeDesk() {
        desk = std::make_unique<ledger::OrderDesk>(engine, session->lookups(), session->prices(), prompter,
                                                   clock, views, [this] { ++valuations; });
    }

    // A row appended in natural order; returns its rowid.
    std::int64_t row(std::initializer_list<Field> fields) {
        ledger->append();
        for (const auto& [f, v] : fields) ledger->setValue(f, v);
        ledger->post();
        return ledger->bookmark().rowid;
    }
    std::int64_t holding(const char* gddm, const char* code, double amt, double price1, int bs = 1) {
        return row({{"QSDM", "zxzq"},
                    {"QS", "中信"},
                    {"ZJZH", "10000001"},
                    {"GDDM", gddm},
                    {"CODE", code},
                    {"NAME", "招商银行"},
                    {"LX", "ha"},
                    {"LXM", "沪A股"},
                    {"AMT", amt},
                    {"PRICE1", price1},
                    {"DATE1", "2026-03-16"},
                    {"PRICE2", price1},
                    {"BS", bs},
                    {"BIRATE", 1.0},
                    {"ZK_RATE", 0.9}});
    }
    // Every row whose field equals the value, in natural order.
    std::vector<storage::Record> rowsWhere(const char* field, const storage::Value& v) {
        std::vector<storage::Record> out;
        storage::Cursor c(session->kvt(), "tr2.DBF");
        const int f = c.fieldIndex(field);
        for (c.first(); !c.eof(); c.next())
            if (c.value(f) == v) {
                storage::Record r;
                for (int i = 0; i < static_cast<int>(c.def().fields.size()); ++i) r.push_back(c.value(i));
                out.push_back(std::move(r));
            }
        return out;
    }
    storage::Value get(const storage::Record& r, const char* field) const {
        return r.at(static_cast<std::size_t>(ledger->fieldIndex(field)));
    }
    int rowCount() {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        return c.count();
    }
    double cash() {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        EXPECT_TRUE(c.locate("QSDM;ZJZH;CODE;WTH", {"zxzq", "10000001", "xj", ""}));
        return c.number("AMT");
    }
    // The main window's detail row for the row `rowid`, as its query names the columns.
    ledger::DetailRow detailOf(std::int64_t rowid) {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        EXPECT_TRUE(c.gotoBookmark({rowid}));
        ledger::DetailRow d;
        d.wth = c.text("WTH");
        d.qsdm = c.text("QSDM");
        d.qs = c.text("QS");
        d.zjzh = c.text("ZJZH");
        d.gddm = c.text("GDDM");
        d.lx = c.text("LX");
        d.lxm = c.text("LXM");
        d.code = c.text("CODE");
        d.name = c.text("NAME");
        d.bs = static_cast<int>(c.integer("BS"));
        d.amt = c.number("AMT");
        d.price1 = c.number("PRICE1");
        d.date1 = c.date("DATE1");
        d.price2 = c.number("PRICE2");
        d.date2 = c.date("DATE2");
        return d;
    }
    // The order window as the main window opens it on a detail row.
    void openOn(std::int64_t rowid) {
        views.detail = detailOf(rowid);
        desk->fillFrom(*views.detail);
    }
    // A buy or sell typed into the window in buy/sell mode.
    void enter(const char* code, const char* amt, const char* price, const char* gddm = "A100000001") {
        desk->set_mm();
        auto& f = desk->form();
        f.qsdm = "zxzq";
        f.zjzh = "10000001";
        f.gddm = gddm;
        f.code = code;
        f.lx = "ha";
        f.amt = amt;
        f.price = price;
    }

    TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
    std::unique_ptr<storage::Cursor> ledger;
    FakeViews views;
    int valuations = 0;
    std::unique_ptr<ledger::OrderDesk> desk;
};

}  // namespace varneth::testsupport
