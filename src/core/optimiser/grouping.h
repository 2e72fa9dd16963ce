#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "port/prompter.h"
#include "reference/lookups.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::optimiser {

// The grouping module: every security of the book in one of the optimiser's four groups
// (`groups.db`), set per type, or per contract for margin-traded types, in the division table
// (`devision.DB`). The book is read through its holdings view: closed-out and remainder rows
// do not count, and neither do the two total rows.
class Grouping {
public:
    static constexpr const char* kBadGroup = "组号只能是0,1,2或3";
    static constexpr const char* kApplyQuestion =
        "你已经适当地分组(上面每行序号为0,1,2或3)了吗?如果没有,请选No退出,分组好再操作.";
    // The explanation's default for what the user has not grouped yet.
    static constexpr int kDefaultGroup = 3;

    Grouping(storage::Engine& engine, reference::Lookups& lookups, port::Prompter& prompter);

    storage::Engine& engine() { return engine_; }
    storage::Cursor& groups() { return groups_; }
    storage::Cursor& divisions() { return divisions_; }

    // Opening: lists every code of the book not listed yet and drops the codes the book no longer holds.
    void open();
    // "从持仓文件再生": a division row for every type (or margin-traded contract) of the book, none for
    // what the book no longer holds.
    void rebuild();
    // "分组:由右确定左": after the question, each security takes its contract's or its type's group.
    // False when the user says No.
    bool apply();

    // A group typed into a grid: 0-3, told and nullopt otherwise.
    std::optional<int> readGroup(std::string_view text);
    // Sets a security's, or a type's (empty code) or contract's division, group. False (told) when
    // the group is not 0-3 or there is no such row; nothing is written then.
    bool setGroup(std::string_view code, std::string_view group);
    bool setDivisionGroup(std::string_view lx, std::string_view code, std::string_view group);

private:
    bool marginTraded(std::string_view lx);
    template <typename Visit>
    void forEachHolding(Visit&& visit);

    storage::Engine& engine_;
    reference::Lookups& lookups_;
    port::Prompter& prompter_;
    storage::Cursor book_, groups_, divisions_;
};

}  // namespace varneth::optimiser
