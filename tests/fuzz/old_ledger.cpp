// The old version's ledger "tr0.dbf": any file copies or is refused, and a refused one leaves the
// ledger as it was.
#include "ledger/old_ledger.h"

#include <memory>

#include "app/login.h"
#include "app/program_directory.h"
#include "app/session.h"
#include "port/clock.h"
#include "scratch.h"
#include "storage/cursor.h"
#include "storage/error.h"

namespace {

using namespace varneth;

// Answers yes to every question, as a user who means to copy.
struct Yes : port::Prompter {
    void message(std::string_view) override {}
    bool ask(std::string_view) override { return true; }
    void confirmAt(std::string_view, int, int) override {}
};

struct Account {
    Account() {
        app::createProgramDirectory(fuzz::scratch(), app::findDataDir(fuzz::scratch()), /*bare=*/false);
        login = std::make_unique<app::Login>(engine, fuzz::scratch(), prompter, clock);
        if (!login->start() || !(session = login->enter("我的帐户", ""))) __builtin_trap();
        fuzz::writeFile(session->accountDir() / ledger::OldLedger::kIndexName, "index");
    }
    int rows() { return storage::Cursor(session->kvt(), ledger::Holdings::kTable).count(); }

    storage::Engine engine;
    Yes prompter;
    port::FixedClock clock{port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<app::Login> login;
    std::unique_ptr<app::Session> session;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Account account;
    fuzz::writeFile(account.session->accountDir() / ledger::OldLedger::kFileName,
                    std::string_view(reinterpret_cast<const char*>(data), size));
    const int before = account.rows();
    ledger::OldLedger old(account.session->holdings(), account.session->accountDir(), account.prompter);
    bool copied = false;
    try {
        copied = old.copy();
    } catch (const storage::Error&) {
    }
    if (!copied) FUZZ_CHECK(account.rows() == before);
    return 0;
}
