#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "storage/database.h"
#include "storage/journal.h"
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
    bool writingAction() const { return writing_; }
    // Makes the running action roll back when its outermost scope ends (a failure of the file).
    void abandonAction() { abandoned_ = true; }

    // How long an action waits for another program's write lock before it gives up.
    void setBusyTimeout(std::chrono::milliseconds limit) { busyTimeout_ = limit; }
    std::chrono::milliseconds busyTimeout() const { return busyTimeout_; }
    // Told true when an action starts waiting for another program, false when the wait ends (the
    // windows show the hourglass meanwhile).
    void setWaitNotifier(std::function<void(bool)> notify) { waitNotifier_ = std::move(notify); }
    void notifyWaiting(bool waiting) {
        if (waitNotifier_) waitNotifier_(waiting);
    }

    // The journal: every outermost writing action that changed something leaves one entry in each
    // database it changed, in the same transaction, all under one serial. The labeller names the
    // action when it begins (who, when, which button or command).
    void setLabeller(std::function<JournalLabel()> labeller) { labeller_ = std::move(labeller); }
    // Off, actions begun from then on neither capture their changes nor leave entries.
    void setJournalling(bool on) { journalling_ = on; }
    bool journalling() const { return journalling_; }
    // Makes the running action leave an entry in every database that undo never reaches past
    // (the tables were replaced or accounts came or went).
    void markBarrier() { barrier_ = true; }
    // The journal's size limit per database, in megabytes, from the program directory's settings.
    static constexpr std::int64_t kDefaultJournalMb = 64;
    std::int64_t journalLimitMb();
    void setJournalLimitMb(std::int64_t mb);  // inside an action

private:
    friend class Action;
    void beginAll();
    void commitAll();
    void rollbackAll();
    void writeJournal();

    struct Binding {
        std::filesystem::path directory;
        std::shared_ptr<Database> db;  // shared when both aliases name one directory
    };
    std::map<Alias, Binding> bindings_;
    int depth_ = 0;
    bool abandoned_ = false;
    bool writing_ = true;
    std::chrono::milliseconds busyTimeout_{30000};
    std::function<void(bool)> waitNotifier_;
    std::function<JournalLabel()> labeller_;
    JournalLabel label_;
    bool journalling_ = true;
    bool barrier_ = false;
    // The size limit as last read, while nothing could have changed it: read at every action it
    // cost a busy journal two queries a press.
    struct LimitRead {
        bool known = false;
        std::uint64_t seen = 0;  // the program directory's changesElsewhere() then
        std::int64_t mb = 0;
    } limit_;
};

// The scope of one user action: one transaction per database, begun when the outermost scope
// begins, holding the write lock (so another program's writes land wholly before or after it), and
// committed when the outermost scope ends (also when it ends by an exception: what was posted before
// a failure stays, as the product promises). A crash in the middle leaves the databases as they were
// before the action. `abandon()` makes the outermost scope roll back instead. A commit that fails
// rolls back and throws from the destructor, unless an exception is already on its way. A reading
// action (`Mode::Read`) sees one consistent state without taking the write lock.
class Action {
public:
    enum class Mode { Write, Read };
    explicit Action(Engine& engine, Mode mode = Mode::Write);
    ~Action() noexcept(false);
    Action(const Action&) = delete;
    Action& operator=(const Action&) = delete;
    void abandon() { abandoned_ = true; }

private:
    Engine& engine_;
    bool abandoned_ = false;
};

}  // namespace varneth::storage
