#pragma once

// The seed's demonstration account logged in, its quote source "tdx" pointed at a quote directory of
// the test's own, and a price update that records what it shows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/login.h"
#include "app/program_directory.h"
#include "prices/day_files.h"
#include "prices/price_update.h"
#include "support/temp_dir.h"

namespace varneth::testsupport {

class PricesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/false);
        login = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        ASSERT_TRUE(login->start());
        session = login->enter("示范帐户", "");
        ASSERT_NE(session, nullptr);
        std::filesystem::create_directories(quotes());
        sources = std::make_unique<prices::QuoteSources>(engine);
        use("tdx");
        update = std::make_unique<prices::PriceUpdate>(engine, *sources, prompter, clock);
        update->setHooks({[this](const std::string& item) { shown.push_back(item); },
                          [this](int done, int total) {
                              lastProgress = {done, total};
                          },
                          [this] { ++reopened; }});
    }
    void TearDown() override { EXPECT_TRUE(prompter.unexpected.empty()); }

    std::filesystem::path quotes() const { return dir / "q"; }
    void use(const char* hqcode) {
        ASSERT_TRUE(sources->choose(hqcode));
        ASSERT_TRUE(sources->setPath(quotes()));
    }
    // A tdx day file of that market ("sh"/"sz") and code.
    void tdx(const char* market, const std::string& code, std::int32_t close) {
        writeDayFile(quotes() / "vipdoc" / market / "lday" / (market + code + ".day"), intBits(close));
    }

    double number(storage::Alias alias, const char* table, const char* where, const char* field) {
        storage::Cursor c(engine.database(alias), table);
        for (c.first(); !c.eof(); c.next())
            if (matches(c, where)) return c.number(field);
        ADD_FAILURE() << "no row " << where;
        return 0;
    }
    double general(const char* code) { return number(storage::Alias::Curr, "allstocks.DBF", code, "PRICE"); }
    // The holdings row of a code (WTH not a close-out).
    double held(const char* code) { return number(storage::Alias::Kvt, "tr2.DBF", code, "PRICE2"); }
    // A field of the fund ledger's last row, in key order.
    storage::Value fundLast(const char* field) {
        storage::Cursor c(engine.database(storage::Alias::Kvt), "Fund2.DB");
        c.last();
        return c.value(field);
    }
    int generalCount() {
        return storage::Cursor(engine.database(storage::Alias::Curr), "allstocks.DBF").count();
    }

    TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 4, 17, 0, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
    std::unique_ptr<prices::QuoteSources> sources;
    std::unique_ptr<prices::PriceUpdate> update;
    std::vector<std::string> shown;
    std::pair<int, int> lastProgress{-1, -1};
    int reopened = 0;

private:
    static bool matches(const storage::Cursor& c, const char* code) {
        return c.text("CODE") == code && (c.def().fieldIndex("WTH") < 0 || !c.text("WTH").starts_with("P"));
    }
};

}  // namespace varneth::testsupport
