#include "storage/engine.h"

#include <exception>

#include "storage/error.h"

namespace varneth::storage {

Engine::~Engine() {
    commitAll();
    bindings_.clear();
}

void Engine::bind(Alias alias, const std::filesystem::path& directory, bool create) {
    std::error_code ec;
    if (!std::filesystem::is_directory(directory, ec))
        throw Error("目录不存在：" + directory.string());
    auto file = directory / Database::kFileName;
    if (!create && !std::filesystem::exists(file, ec))
        throw Error("目录中没有数据库：" + directory.string());
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
    auto it = bindings_.find(alias);
    if (it == bindings_.end()) return;
    it->second.db->commit();
    bindings_.erase(it);
}

bool Engine::isBound(Alias alias) const { return bindings_.count(alias) > 0; }

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
    for (auto& [alias, b] : bindings_) b.db->rollback();
}

Action::Action(Engine& engine, Mode mode) : engine_(engine) {
    if (engine_.depth_ > 0) {
        ++engine_.depth_;
        return;
    }
    engine_.abandoned_ = false;
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
