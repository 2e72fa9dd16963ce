#pragma once

// The demonstration book logged in, with a manual "###" row (subscribed new shares) added, and the
// statistics window's operations over it.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/prompter.h"
#include "stats/portfolio_stats.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"

namespace varneth::testsupport {

class StatsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/false);
        login = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        ASSERT_TRUE(login->start());
        session = login->enter("示范帐户", "");
        ASSERT_NE(session, nullptr);
        trade("###", "780001", "新股申购", 1000, 10.5, "2026-12-01");
        stats = std::make_unique<stats::PortfolioStats>(session->holdings(), session->kvt());
    }
    void TearDown() override { EXPECT_TRUE(prompter.unexpected.empty()); }

    // A Shanghai A-share row of the first cash account.
    void trade(const std::string& wth, const std::string& code, const std::string& name, double amt,
               double price, const std::string& date) {
        const std::vector<storage::Value> values{wth,  "htzq", "华泰",  "A123456789", "10086601", code,
                                                 name, amt,    price,   price,        date,       1,
                                                 1.0,  0.9,    "沪A股", "ha"};
        std::istringstream fields(
            "WTH QSDM QS GDDM ZJZH CODE NAME AMT PRICE1 PRICE2 DATE1 BS BIRATE ZK_RATE LXM LX");
        storage::Cursor c(session->kvt(), "tr2.DBF");
        c.append();
        std::string field;
        for (const auto& v : values) {
            fields >> field;
            c.setValue(field, v);
        }
        c.post();
    }

    TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 15, 30, 5}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
    std::unique_ptr<stats::PortfolioStats> stats;
};

}  // namespace varneth::testsupport
