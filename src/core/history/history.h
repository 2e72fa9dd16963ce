#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "port/prompter.h"
#include "storage/engine.h"

namespace varneth::history {

// One journaled action, gathered from every open database that holds a part of it.
struct Entry {
    std::int64_t serial = 0;
    std::string time;
    std::string account;
    std::string action;
    bool barrier = false;                                    // undo never reaches past it
    int parts = 0;                                           // databases the action changed
    int partsFound = 0;                                      // of them, those open now
    std::vector<std::pair<std::string, std::int64_t>> rows;  // changed rows per table

    // "tr2.DBF:3,tr3.DBF:1"; a barrier says so.
    std::string rowsText() const;
};

// One changed field of a row; an inserted or deleted row is one line with "+" or "-" as field.
struct ChangedField {
    std::string table;
    std::string key;  // the key fields' values joined by "/", the rowid for tables without a key
    std::string field;
    std::string before;
    std::string after;
};

// The journal of the bound databases, read and reverted inside the caller's action.
class History {
public:
    static constexpr const char* kBarrier = "撤销界限";

    explicit History(storage::Engine& engine);

    std::vector<Entry> entries(std::size_t limit = 0);  // newest first; 0: all
    std::vector<ChangedField> changes(std::int64_t serial);

    // Why undoing entry `serial` is refused ("" when it is not) and how many actions it reverts.
    struct Reach {
        std::string refusal;
        int actions = 0;
    };
    Reach reach(std::int64_t serial);

    // Reverts every action from the newest down to `serial`, newest first. A row changed since by
    // something not being reverted throws storage::Error naming it: the caller abandons the action.
    void revert(std::int64_t serial);

private:
    std::vector<storage::Database*> journaled();
    std::vector<Entry> from(std::int64_t serial);

    storage::Engine& engine_;
};

// The undo of the window and the command: checks, asks Yes/No, reverts in one journaled action of
// its own, all or nothing. True when it reverted.
bool undo(storage::Engine& engine, std::int64_t serial, port::Prompter& prompter);

}  // namespace varneth::history
