#include "storage/engine.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "storage/cursor.h"
#include "storage/error.h"
#include "storage/journal.h"
#include "storage/names.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::storage {

Engine::~Engine() {
    commitAll();
    bindings_.clear();
}

void Engine::bind(Alias alias, const std::filesystem::path& directory, bool create) {
    std::error_code ec;
    if (!std::filesystem::is_directory(directory, ec)) throw Error("目录不存在：" + directory.string());
    auto file = directory / Database::kFileName;
    if (!create && !std::filesystem::exists(file, ec)) throw Error("目录中没有数据库：" + directory.string());
    auto dir = std::filesystem::weakly_canonical(directory, ec);
    unbind(alias);
    std::shared_ptr<Database> db;
    for (auto& [other, b] : bindings_)
        if (b.directory == dir) db = b.db;
    if (!db) {
        db = std::make_shared<Database>(file, this);
        // A database joining a running action is locked before anything of it is read.
        if (depth_ > 0) db->beginAction(writing_);
    }
    bindings_[alias] = Binding{dir, std::move(db)};
}

void Engine::unbind(Alias alias) {
    limit_.known = false;  // also for bind, which comes here first
    auto it = bindings_.find(alias);
    if (it == bindings_.end()) return;
    it->second.db->commit();
    bindings_.erase(it);
}

bool Engine::isBound(Alias alias) const {
    return bindings_.count(alias) > 0;
}

const std::filesystem::path& Engine::directory(Alias alias) const {
    auto it = bindings_.find(alias);
    if (it == bindings_.end()) throw Error(std::string("别名未绑定：") + aliasName(alias));
    return it->second.directory;
}

Database& Engine::database(Alias alias) {
    auto it = bindings_.find(alias);
    if (it == bindings_.end()) throw Error(std::string("别名未绑定：") + aliasName(alias));
    return *it->second.db;
}

Database& Engine::databaseFor(std::string_view table) {
    if (const TableDef* def = findTable(table)) return database(def->alias);
    for (Alias a : {Alias::Kvt, Alias::Curr})
        if (isBound(a) && database(a).hasTable(table)) return database(a);
    throw Error("找不到表 " + std::string(table));
}

void Engine::beginAll() {
    // Always in the aliases' order, so that two programs never wait for each other's second lock.
    for (auto& [alias, b] : bindings_) b.db->beginAction(writing_);
}

void Engine::commitAll() {
    // Every database is committed even when one fails; the first failure is reported.
    std::exception_ptr failure;
    for (auto& [alias, b] : bindings_) {
        try {
            b.db->commit();
        } catch (const Error&) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

void Engine::rollbackAll() {
    limit_.known = false;  // it may have been read from what is rolled back
    for (auto& [alias, b] : bindings_) b.db->rollback();
}

namespace {

constexpr const char* kSettingsTable = "parameter.DBF";
constexpr const char* kLimitRow = "histmb";
constexpr std::int64_t kMb = std::int64_t{1024} * 1024;
// Serials an account takes at a time (see writeJournal): a switch of account skips at most these.
constexpr std::int64_t kSerialBlock = 100;

std::vector<Database*> distinctDatabases(const std::map<Alias, std::shared_ptr<Database>>& dbs) {
    std::vector<Database*> out;
    for (const auto& [alias, db] : dbs)
        if (std::find(out.begin(), out.end(), db.get()) == out.end()) out.push_back(db.get());
    return out;
}

}  // namespace

std::int64_t Engine::journalLimitMb() {
    if (!isBound(Alias::Curr)) return kDefaultJournalMb;
    Database& settingsDb = database(Alias::Curr);
    // Another program's change is noticed only when an action begins.
    if (depth_ > 0 && limit_.known && limit_.seen == settingsDb.changesElsewhere()) return limit_.mb;
    Statement& exists =
        settingsDb.cached("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
    exists.reset();
    exists.bind(1, Value(kSettingsTable));
    const bool found = exists.step();
    exists.reset();
    std::optional<std::int64_t> mb;
    if (found) {
        Statement& st = settingsDb.cached("SELECT PARA FROM \"parameter.DBF\" WHERE NAME = ?");
        st.reset();
        st.bind(1, Value(kLimitRow));
        if (st.step()) mb = text::parseInteger(text::trim(st.column(0).toString()));
        st.reset();
    }
    limit_ = {true, settingsDb.changesElsewhere(), mb && *mb > 0 ? *mb : kDefaultJournalMb};
    return limit_.mb;
}

void Engine::setJournalLimitMb(std::int64_t mb) {
    if (mb <= 0) throw Error("操作历史的大小限制必须是正整数（MB）。");
    Cursor settings(database(Alias::Curr), kSettingsTable);
    if (!settings.locate("NAME", {Value(kLimitRow)})) {
        settings.append();
        settings.setValue("NAME", kLimitRow);
    }
    settings.setValue("PARA", std::to_string(mb));
    settings.post();
    limit_.known = false;
}

void Engine::writeJournal() {
    const bool barrier = std::exchange(barrier_, false);
    if (!journalling_) limit_.known = false;  // its changes go unseen
    if (!journalling_ || !writing_) return;
    std::map<Alias, std::shared_ptr<Database>> bound;
    for (auto& [alias, b] : bindings_)
        if (!b.db->readOnly() && b.db->capture()) bound[alias] = b.db;
    const auto databases = distinctDatabases(bound);
    std::vector<std::pair<Database*, std::vector<TableChanges>>> parts;
    for (Database* db : databases) {
        auto changes = db->capture()->take();
        for (const auto& t : changes)
            if (sameName(t.table, kSettingsTable)) limit_.known = false;
        if (barrier || !changes.empty()) parts.emplace_back(db, std::move(changes));
    }
    if (parts.empty()) return;
    std::int64_t serial = 0;
    for (Database* db : databases) {
        db->journal()->begin();
        serial = std::max(serial, db->journal()->lastSerial());
    }
    ++serial;
    // Serials are unique and in time order over every account of a program directory, which counts
    // them. Writing that count at each action would make every account action write the program
    // directory too; instead an account reserves a block and uses it while nobody else has reserved
    // since (the count still ends where its block does). Only a change of account or program skips
    // the rest of a block.
    Database* counter = bound.count(Alias::Curr) ? bound[Alias::Curr].get() : databases.front();
    Database* account =
        bound.count(Alias::Kvt) && bound[Alias::Kvt].get() != counter ? bound[Alias::Kvt].get() : nullptr;
    const std::int64_t count = counter->journal()->reserved();
    if (!account || account->journal()->reserved() != count || serial > count) {
        serial = std::max(serial, count + 1);
        const bool accountWritten = account && std::any_of(parts.begin(), parts.end(),
                                                           [&](const auto& p) { return p.first == account; });
        const std::int64_t end = accountWritten ? serial + kSerialBlock - 1 : serial;
        counter->journal()->reserve(end);
        if (accountWritten) account->journal()->reserve(end);
    }
    for (const auto& [db, changes] : parts)
        db->journal()->writeEntry(serial, label_, barrier, static_cast<int>(parts.size()), changes);
    // The limit is read only once a journal could be over it: it is never below 1 MB.
    std::optional<std::int64_t> limit;
    for (const auto& [db, changes] : parts) {
        if (db->journal()->heldBytes() <= kMb) continue;
        if (!limit) limit = journalLimitMb() * kMb;
        db->journal()->prune(*limit);
    }
}

Action::Action(Engine& engine, Mode mode) : engine_(engine) {
    if (engine_.depth_ > 0) {
        ++engine_.depth_;
        return;
    }
    engine_.abandoned_ = false;
    engine_.barrier_ = false;
    if (mode == Mode::Write) engine_.label_ = engine_.labeller_ ? engine_.labeller_() : JournalLabel{};
    engine_.writing_ = mode == Mode::Write;
    engine_.depth_ = 1;
    try {
        engine_.beginAll();
    } catch (...) {
        engine_.depth_ = 0;
        engine_.rollbackAll();
        throw;
    }
}

Action::~Action() noexcept(false) {
    if (abandoned_) engine_.abandoned_ = true;
    if (--engine_.depth_ > 0) return;
    const bool unwinding = std::uncaught_exceptions() > 0;
    try {
        if (!engine_.abandoned_) {
            try {
                engine_.writeJournal();
            } catch (const Error&) {
                // An action without its entry could not be undone: neither is kept.
                engine_.rollbackAll();
                throw;
            }
        }
        if (engine_.abandoned_)
            engine_.rollbackAll();
        else
            engine_.commitAll();
    } catch (const Error&) {
        // The failed commit was rolled back; the user must hear of it unless another failure is
        // already being reported.
        if (!unwinding) throw;
    }
}

}  // namespace varneth::storage
