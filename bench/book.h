#pragma once

// A 10,000-row ledger (200 codes, 5 brokers, 20 cash accounts in two currencies, ten types, both
// total rows) in a logged-in bare program directory, for the benchmarks that read or value a book.
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/prompter.h"
#include "storage/cursor.h"

namespace varneth::bench {

constexpr int kRows = 10000;
constexpr int kAccounts = 20;
constexpr int kTypes = 10;

using Fields = std::initializer_list<std::pair<const char*, storage::Value>>;

inline void add(storage::Cursor& c, Fields fields) {
    c.append();
    for (const auto& [f, v] : fields) c.setValue(f, v);
    c.post();
}

inline std::string broker(int account) {
    return "q" + std::to_string(account % 5);
}
inline std::string account(int a) {
    return std::to_string(1000 + a);
}
inline std::string type(int t) {
    return "t" + std::to_string(t);
}
inline double margin(int t) {
    return t < 2 ? 0.1 : 1.0;
}

// A bare program directory in a temporary folder, logged in to its one account, removed at the end.
struct LoggedIn {
    LoggedIn() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "varneth-bench-XXXXXX").string();
        dir = mkdtemp(tmpl.data());
        app::createProgramDirectory(dir / "p", app::findDataDir(dir), true);
        login = std::make_unique<app::Login>(engine, dir / "p", prompter, clock);
        login->start();
        session = login->enter("我的帐户", "");
    }
    ~LoggedIn() {
        session.reset();
        login.reset();
        engine.unbind(storage::Alias::Kvt);
        engine.unbind(storage::Alias::Curr);
        std::filesystem::remove_all(dir);
    }
    LoggedIn(const LoggedIn&) = delete;
    LoggedIn& operator=(const LoggedIn&) = delete;

    std::filesystem::path dir;
    storage::Engine engine;
    port::ScriptedPrompter prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
};

struct Book : LoggedIn {
    Book() {
        storage::Action action(engine);
        auto& l = session->lookups();
        add(l.types(), {{"Lx", "xj"},
                        {"Lxm", "现金"},
                        {"Zk_rate", 1.0},
                        {"Sxf_rate", 0.0},
                        {"Yhs_rate", 0.0},
                        {"Bzj_rate", 1.0}});
        for (int t = 0; t < kTypes; ++t)
            add(l.types(), {{"Lx", type(t)},
                            {"Lxm", "类型"},
                            {"Zk_rate", 0.9},
                            {"Sxf_rate", 0.003},
                            {"Yhs_rate", 0.001},
                            {"Bzj_rate", margin(t)}});
        for (int b = 0; b < 5; ++b) add(l.brokers(), {{"Qsdm", broker(b)}, {"Qs", "券商"}});
        add(l.currencies(), {{"Code", "rmb"}, {"Rate", 1.0}, {"Now", true}});
        add(l.currencies(), {{"Code", "hkd"}, {"Rate", 0.92}});
        for (int a = 0; a < kAccounts; ++a)
            add(l.accountCurrencies(),
                {{"Qsdm", broker(a)}, {"Zjzh", account(a)}, {"Bicode", a % 2 ? "hkd" : "rmb"}});

        storage::Cursor ledger(session->kvt(), "tr2.DBF");
        for (int a = 0; a < kAccounts; ++a)
            add(ledger, {{"QSDM", broker(a)},
                         {"QS", "券商"},
                         {"ZJZH", account(a)},
                         {"GDDM", "xj"},
                         {"CODE", "xj"},
                         {"NAME", "现金"},
                         {"LX", "xj"},
                         {"LXM", "现金"},
                         {"AMT", 100000.0},
                         {"PRICE1", 1.0},
                         {"PRICE2", 1.0},
                         {"BS", 1},
                         {"BIRATE", a % 2 ? 0.92 : 1.0},
                         {"ZK_RATE", 1.0}});
        for (int i = 0; i < kRows - kAccounts - 2; ++i) {
            const int a = i % kAccounts, t = i % kTypes;
            add(ledger, {{"QSDM", broker(a)},
                         {"QS", "券商"},
                         {"ZJZH", account(a)},
                         {"GDDM", "g" + account(a)},
                         {"CODE", std::to_string(600000 + i % 200)},
                         {"NAME", "股票"},
                         {"LX", type(t)},
                         {"LXM", "类型"},
                         {"AMT", 100.0 + i % 37},
                         {"PRICE1", 10.0 + i % 13},
                         {"PRICE2", 11.0},
                         {"DATE1", "2026-03-16"},
                         {"BS", i % 17 ? 1 : -1},
                         {"BIRATE", a % 2 ? 0.92 : 1.0},
                         {"ZK_RATE", 0.9}});
        }
        session->holdings().calc();  // appends the two total rows
    }
    // A price update: every holding's current price moves, so the valuation rewrites every row.
    void movePrices(int round) {
        storage::Action action(engine);
        storage::Cursor c(session->kvt(), "tr2.DBF");
        const int price2 = c.fieldIndex("PRICE2"), lx = c.fieldIndex("LX");
        for (c.first(); !c.eof(); c.next()) {
            const std::string t = c.value(lx).toString();
            if (t == "xj" || t == "zzc" || t == "zzz") continue;
            c.setValue(price2, 11.0 + (round % 2 ? 0.5 : 0.0) + c.position() % 7 * 0.01);
            c.post();
        }
    }
    sqlite3* db() { return session->kvt().handle(); }
};

}  // namespace varneth::bench
