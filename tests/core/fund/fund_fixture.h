#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/login.h"
#include "app/program_directory.h"
#include "fund/fund_ledger.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"

namespace varneth::testsupport {

// A bare program directory logged in to its one account, whose fund ledger the cases fill row by
// row before they open the fund module. The valuation gives `total`, or stops when it is empty.
class FundFixture : public ::testing::Test {
protected:
    using Field = std::pair<const char*, storage::Value>;

    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/true);
        login = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        login->start();
        session = login->enter("我的帐户", "");
        ASSERT_NE(session, nullptr);
        rows = std::make_unique<storage::Cursor>(session->kvt(), "Fund2.DB");
    }
    void add(const std::string& dt, const std::string& pycode, double input,
             std::initializer_list<Field> more = {}) {
        rows->append();
        rows->setValue("DT", dt);
        rows->setValue("PYCODE", pycode);
        rows->setValue("INPUT", input);
        for (const auto& [f, v] : more) rows->setValue(f, v);
        rows->post();
    }
    // A manager row priced `price` that starts a case's ledger, so opening the module adds none.
    void base(const std::string& dt, double price = 1, double fundValue = 0) {
        add(dt, "@@@", 0, {{"PRICE", price}, {"FUND", fundValue}, {"Num", 1}, {"NAME", "管理人"}});
    }
    fund::FundLedger& fund() {
        if (!ledger)
            ledger = std::make_unique<fund::FundLedger>(
                engine, [this] { return total; }, prompter, clock);
        return *ledger;
    }
    storage::Cursor& table() { return fund().table(); }
    const storage::Value& value(int position, const char* field) {
        return table().valueAt(position, table().fieldIndex(field));
    }
    double at(int position, const char* field) { return value(position, field).toDouble(); }
    std::string textAt(int position, const char* field) { return value(position, field).toString(); }
    int count() { return table().count(); }

    TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 15, 30, 0}};
    std::optional<float> total;
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
    std::unique_ptr<storage::Cursor> rows;
    std::unique_ptr<fund::FundLedger> ledger;
};

}  // namespace varneth::testsupport
