#pragma once

// The demonstration book logged in, with a manual "###" row (subscribed new shares) added, and the
// statistics window's operations over it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

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
        storage::Cursor c(session->kvt(), "tr2.DBF");
        c.append();
        for (const auto& [f, v] : {std::pair<const char*, storage::Value>{"WTH", wth},
                                   {"QSDM", "htzq"},
                                   {"QS", "华泰"},
                                   {"GDDM", "A123456789"},
                                   {"ZJZH", "10086601"},
                                   {"CODE", code},
                                   {"NAME", name},
                                   {"AMT", amt},
                                   {"PRICE1", price},
                                   {"PRICE2", price},
                                   {"DATE1", date},
                                   {"BS", 1},
                                   {"BIRATE", 1.0},
                                   {"ZK_RATE", 0.9},
                                   {"LXM", "沪A股"},
                                   {"LX", "ha"}})
            c.setValue(f, v);
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
