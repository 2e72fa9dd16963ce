#pragma once

#include <filesystem>
#include <map>
#include <memory>

#include "storage/database.h"
#include "storage/schema.h"

namespace varneth::storage {

// The two directory aliases: each names a directory whose database holds that alias's tables.
// Rebinding an alias closes its database and opens the one of the new directory.
class Engine {
public:
    Engine() = default;
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Binds `alias` to `directory`; the directory must exist (storage::Error otherwise).
    // With `create`, a missing database file is created; otherwise a directory without one is
    // refused, so that a mistyped path never leaves an empty database behind.
    void bind(Alias alias, const std::filesystem::path& directory, bool create = false);
    void unbind(Alias alias);
    bool isBound(Alias alias) const;
    const std::filesystem::path& directory(Alias alias) const;
    Database& database(Alias alias);  // throws storage::Error when unbound

    // Database holding `table`, by the alias the product's schema gives it.
    Database& databaseFor(std::string_view table);

    // Actions: see storage::Action.
    int actionDepth() const { return depth_; }

private:
    friend class Action;
    void commitAll();
    void rollbackAll();

    struct Binding {
        std::filesystem::path directory;
        std::shared_ptr<Database> db;  // shared when both aliases name one directory
    };
    std::map<Alias, Binding> bindings_;
    int depth_ = 0;
    bool abandoned_ = false;
};

// The scope of one user action: every write inside it is one transaction per database, committed
// when the outermost scope ends (also when it ends by an exception: what was posted before a
// failure stays, as the product promises). A crash in the middle leaves the databases as they were
// before the action. `abandon()` makes the outermost scope roll back instead.
class Action {
public:
    explicit Action(Engine& engine);
    ~Action();
    Action(const Action&) = delete;
    Action& operator=(const Action&) = delete;
    void abandon() { abandoned_ = true; }

private:
    Engine& engine_;
    bool abandoned_ = false;
};

}  // namespace varneth::storage
