#pragma once

// A bare program directory logged in on "我的帐户", with a few types, two brokers and one holdings
// price, and the holdings module of the session.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>

#include "app/login.h"
#include "app/program_directory.h"
#include "ledger/holdings.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"

namespace varneth::testsupport {

class HoldingsFixture : public ::testing::Test {
protected:
    using Field = std::pair<const char*, storage::Value>;

    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/true);
        login = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        ASSERT_TRUE(login->start());
        session = login->enter("我的帐户", "");
        ASSERT_NE(session, nullptr);
        auto& look = session->lookups();
        add(look.types(), {{"Lx", "xj"},
                           {"Lxm", "现金"},
                           {"Zk_rate", 1.0},
                           {"Sxf_rate", 0.0},
                           {"Yhs_rate", 0.0},
                           {"Bzj_rate", 1.0}});
        add(look.types(), {{"Lx", "ha"},
                           {"Lxm", "沪A股"},
                           {"Zk_rate", 0.8},
                           {"Sxf_rate", 0.003},
                           {"Yhs_rate", 0.001},
                           {"Bzj_rate", 1.0}});
        add(look.types(), {{"Lx", "qh"},
                           {"Lxm", "期货"},
                           {"Zk_rate", 0.9},
                           {"Sxf_rate", 0.0002},
                           {"Yhs_rate", 0.0},
                           {"Bzj_rate", 0.1},
                           {"Oversell", true}});
        add(look.brokers(), {{"Qsdm", "b1"}, {"Qs", "甲券商"}});
        add(look.brokers(), {{"Qsdm", "b2"}, {"Qs", "乙券商"}});
        add(look.holdingsPrices(), {{"code", "600000"}, {"name", "浦发银行"}, {"price2", 9.5}});
    }
    void TearDown() override { EXPECT_TRUE(prompter.unexpected.empty()); }

    static void add(storage::Cursor& c, std::initializer_list<Field> fields) {
        c.append();
        for (const auto& [f, v] : fields) c.setValue(f, v);
        c.post();
    }
    ledger::Holdings& holdings() { return session->holdings(); }
    // A ledger row, appended in natural order; returns its rowid.
    std::int64_t row(std::initializer_list<Field> fields) {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        add(c, fields);
        return c.bookmark().rowid;
    }
    // A long holding with every name filled in, so that the valuation asks nothing.
    std::int64_t holding(const char* qsdm, const char* zjzh, const char* code, double amt, double p1,
                         double p2, const char* lx = "ha") {
        return row({{"QSDM", qsdm},
                    {"QS", "券商"},
                    {"ZJZH", zjzh},
                    {"GDDM", "g1"},
                    {"CODE", code},
                    {"NAME", "某股"},
                    {"LX", lx},
                    {"LXM", "类型"},
                    {"AMT", amt},
                    {"PRICE1", p1},
                    {"PRICE2", p2},
                    {"BS", 1},
                    {"DATE1", "2026-03-16"},
                    {"BIRATE", 1.0},
                    {"ZK_RATE", 0.8}});
    }
    std::int64_t cash(const char* qsdm, const char* zjzh, double amt, const char* wth = "") {
        return row({{"WTH", wth},
                    {"QSDM", qsdm},
                    {"QS", "券商"},
                    {"ZJZH", zjzh},
                    {"GDDM", "xj"},
                    {"CODE", "xj"},
                    {"NAME", "现金"},
                    {"LX", "xj"},
                    {"LXM", "现金"},
                    {"AMT", amt},
                    {"PRICE1", 1.0},
                    {"PRICE2", 1.0},
                    {"BS", 1},
                    {"BIRATE", 1.0},
                    {"ZK_RATE", 1.0}});
    }
    // The stored row, read through a cursor of its own.
    storage::Record stored(std::int64_t rowid) {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        EXPECT_TRUE(c.gotoBookmark({rowid}));
        storage::Record r;
        for (int i = 0; i < static_cast<int>(c.def().fields.size()); ++i) r.push_back(c.value(i));
        return r;
    }
    const storage::Value& field(const storage::Record& r, const char* name) {
        return r.at(static_cast<std::size_t>(holdings().ledger().fieldIndex(name)));
    }
    double num(std::int64_t rowid, const char* name) { return field(stored(rowid), name).toDouble(); }
    std::string txt(std::int64_t rowid, const char* name) { return field(stored(rowid), name).toString(); }
    // The rowid of the first row whose LX is `lx`, 0 when none; `count` gets how many there are.
    std::int64_t rowWithType(const char* lx, int* count = nullptr) {
        storage::Cursor c(session->kvt(), "tr2.DBF");
        std::int64_t found = 0;
        int n = 0;
        for (c.first(); !c.eof(); c.next())
            if (c.text("LX") == lx) {
                if (!found) found = c.bookmark().rowid;
                ++n;
            }
        if (count) *count = n;
        return found;
    }

    TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 15}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
};

}  // namespace varneth::testsupport
