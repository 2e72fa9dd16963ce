#pragma once

// The seed's program directory logged in on "我的帐户" (one cash row: zxzq 10000001 holding 100000),
// with ledger rows made to order and an order desk whose main window is a recording stand-in.
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

class LedgerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/false);
        login = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        ASSERT_TRUE(login->start());
        session = login->enter("我的帐户", "");
        ASSERT_NE(session, nullptr);
        makeDesk();
    }
    void TearDown() override { EXPECT_TRUE(prompter.unexpected.empty()); }

    void makeDesk() {
        desk = std::make_unique<ledger::OrderDesk>(engine, session->lookups(), session->prices(), prompter,
                                                   clock, views, [this] { ++valuations; });
    }
    ledger::Holdings& holdings() { return session->holdings(); }
    storage::Cursor table() { return storage::Cursor(session->kvt(), "tr2.DBF"); }
    // For a book built row by row: the seed's cash row taken out.
    void emptyLedger() {
        storage::Cursor c = table();
        while (!c.isEmpty()) c.remove();
    }

    // A row appended in natural order with the named fields (";"-separated) set; returns its rowid.
    std::int64_t row(std::string_view fields, const std::vector<storage::Value>& values) {
        storage::Cursor c = table();
        c.append();
        for (std::size_t i = 0; i < values.size(); ++i) c.setValue(field(fields, i), values[i]);
        c.post();
        return c.bookmark().rowid;
    }
    void expectFields(std::int64_t rowid, std::string_view fields, const std::vector<storage::Value>& want) {
        for (std::size_t i = 0; i < want.size(); ++i)
            EXPECT_EQ(get(rowid, field(fields, i).c_str()), want[i]) << field(fields, i);
    }
    // The i-th name of a ";"-separated list.
    static std::string field(std::string_view fields, std::size_t i) {
        for (; i > 0; --i) fields.remove_prefix(fields.find(';') + 1);
        return std::string(fields.substr(0, fields.find(';')));
    }
    // A holding of the seed's cash account with every name filled in, so the valuation asks nothing.
    std::int64_t holding(const char* gddm, const char* code, double amt, double p1, double p2 = 0, int bs = 1,
                         const char* lx = "ha") {
        return row("QSDM;QS;ZJZH;GDDM;CODE;NAME;LX;LXM;AMT;PRICE1;PRICE2;DATE1;BS;BIRATE;ZK_RATE",
                   {"zxzq", "中信", "10000001", gddm, code, "某股", lx, "类型", amt, p1, p2 ? p2 : p1,
                    "2026-03-16", bs, 1.0, 0.8});
    }
    storage::Value get(std::int64_t rowid, const char* field) {
        storage::Cursor c = table();
        EXPECT_TRUE(c.gotoBookmark({rowid})) << rowid;
        return c.value(field);
    }
    double num(std::int64_t rowid, const char* field) { return get(rowid, field).toDouble(); }
    std::string txt(std::int64_t rowid, const char* field) { return get(rowid, field).toString(); }
    // The rowids of every row whose field equals the value, in natural order.
    std::vector<std::int64_t> rowsWhere(const char* field, const storage::Value& v) {
        std::vector<std::int64_t> out;
        storage::Cursor c = table();
        for (c.first(); !c.eof(); c.next())
            if (c.value(field) == v) out.push_back(c.bookmark().rowid);
        return out;
    }
    int rowCount() { return table().count(); }
    // The seed's cash row itself, not a frozen-cash row of its account.
    double cash() {
        storage::Cursor c = table();
        EXPECT_TRUE(c.locate("QSDM;ZJZH;CODE;WTH", {"zxzq", "10000001", "xj", ""}));
        return c.number("AMT");
    }

    // The main window's detail row for a ledger row, as its query names the columns.
    ledger::DetailRow detailOf(std::int64_t rowid) {
        storage::Cursor c = table();
        EXPECT_TRUE(c.gotoBookmark({rowid}));
        const auto t = [&c](const char* field) { return c.text(field); };
        const auto n = [&c](const char* field) { return c.number(field); };
        const int bs = static_cast<int>(c.integer("BS"));
        return {t("WTH"),        t("QSDM"),   t("QS"),         t("ZJZH"), t("GDDM"), t("LX"),
                t("LXM"),        t("CODE"),   t("NAME"),       bs,        n("AMT"),  n("PRICE1"),
                c.date("DATE1"), n("PRICE2"), c.date("DATE2"), n("INC")};
    }
    // "委托记录处理" on that row.
    void openOn(std::int64_t rowid) {
        views.detail = detailOf(rowid);
        desk->fillFrom(*views.detail);
    }
    // An order typed into the window in buy/sell mode, at the seed's cash account.
    void enter(const char* code, const char* amt, const char* price, const char* gddm = "A1",
               const char* lx = "ha") {
        desk->set_mm();
        auto& f = desk->form();
        f.qsdm = "zxzq";
        f.zjzh = "10000001";
        f.gddm = gddm;
        f.code = code;
        f.lx = lx;
        f.amt = amt;
        f.price = price;
    }

    TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
    FakeViews views;
    int valuations = 0;
    std::unique_ptr<ledger::OrderDesk> desk;
};

}  // namespace varneth::testsupport
