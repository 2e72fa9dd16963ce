#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/prompter.h"
#include "reference/maintenance.h"
#include "storage/cursor.h"
#include "support/temp_dir.h"

namespace varneth::testsupport {

// A bare program directory logged in, with helpers that put rows into the ledger and the reference
// tables; `settings` is the settings window's set of actions on that session.
class SettingsFixture : public ::testing::Test {
protected:
    using Fields = std::initializer_list<std::pair<const char*, storage::Value>>;

    void SetUp() override {
        app::createProgramDirectory(dir.path(), app::findDataDir(dir.path()), /*bare=*/true);
        login = std::make_unique<app::Login>(engine, dir.path(), prompter, clock);
        login->start();
        session = login->enter("我的帐户", "");
        ASSERT_NE(session, nullptr);
        settings = std::make_unique<reference::Maintenance>(engine, ledger(), session->lookups(),
                                                            session->prices(), prompter, clock);
    }
    void TearDown() override { EXPECT_TRUE(prompter.unexpected.empty()); }

    static void row(storage::Cursor& c, Fields fields) {
        c.append();
        for (const auto& [f, v] : fields) c.setValue(f, v);
        c.post();
    }
    storage::Cursor& ledger() { return session->holdings().ledger(); }
    // A holding of `code` at broker `qsdm`, account `zjzh`.
    void holding(const char* qsdm, const char* zjzh, const char* code, const char* lx, double price2,
                 Fields more = {}) {
        storage::Cursor& l = ledger();
        l.append();
        l.setValue("QSDM", qsdm);
        l.setValue("ZJZH", zjzh);
        l.setValue("CODE", code);
        l.setValue("NAME", std::string("名") + code);
        l.setValue("LX", lx);
        l.setValue("PRICE2", price2);
        for (const auto& [f, v] : more) l.setValue(f, v);
        l.post();
    }
    // The ledger field of the first record of `code`.
    storage::Value field(const char* code, const char* name) {
        storage::Cursor c(engine.database(storage::Alias::Kvt), "tr2.DBF");
        EXPECT_TRUE(c.locate("CODE", {code})) << code;
        return c.value(name);
    }
    void general(const char* code, const char* name, double price) {
        row(session->prices().table(), {{"CODE", code}, {"NAME", name}, {"PRICE", price}});
    }
    void listed(const char* code, double price) {
        row(session->lookups().holdingsPrices(), {{"code", code}, {"name", "旧名"}, {"price2", price}});
    }

    TempDir dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 0, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
    std::unique_ptr<reference::Maintenance> settings;
};

}  // namespace varneth::testsupport
