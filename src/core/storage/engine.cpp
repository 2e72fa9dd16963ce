#include "storage/engine.h"

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
    if (!db) db = std::make_shared<Database>(file, this);
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

void Engine::commitAll() {
    for (auto& [alias, b] : bindings_) b.db->commit();
}

void Engine::rollbackAll() {
    for (auto& [alias, b] : bindings_) b.db->rollback();
}

Action::Action(Engine& engine) : engine_(engine) {
    if (engine_.depth_++ == 0) engine_.abandoned_ = false;
}

Action::~Action() {
    if (abandoned_) engine_.abandoned_ = true;
    if (--engine_.depth_ > 0) return;
    try {
        if (engine_.abandoned_)
            engine_.rollbackAll();
        else
            engine_.commitAll();
    } catch (const Error&) {
        // A commit that fails leaves SQLite's own rollback; nothing more can be done in a destructor.
    }
}

}  // namespace varneth::storage
