#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::fund {

// One row of "TZLX.db": the fee rules of an investment type. Percentages as entered.
struct InvestmentType {
    std::string xabc, note;
    bool c1 = false, c2 = false, c3 = false, c4 = false, c5 = false, c6 = false, c7 = false, c8 = false,
         c9 = false;
    double e1 = 0, e2 = 0, e3 = 0, e4 = 0, e5 = 0, e6 = 0, e7 = 0, e8 = 0, e9 = 0, e10 = 0, e11 = 0, e12 = 0,
           e13 = 0;

    static InvestmentType read(const storage::Cursor& row);
};

// What a live buy is worth to its investor at price `p` after `days` held (negative days count as
// none: a fee never pays the investor). `type` null means the fee-free type.
struct Holding {
    double input = 0, unit = 0, price = 0;
};
double out_value(const Holding& buy, const InvestmentType* type, double p, double days);

// The type table with its editing rules, and a lookup cache rebuilt whenever the table changes.
class InvestmentTypes {
public:
    static constexpr const char* kTable = "TZLX.db";
    static constexpr const char* kEmptyName = "投资类型码和投资类型名不能为空";
    static constexpr const char* kNoFee = "此项选中时, e1 或 e2 不应为0";
    static constexpr const char* kNegative = "e2,e4,e6,e8,e10 不应小于0";
    static constexpr const char* kE3E9 = "e3>=e9不成立";
    static constexpr const char* kE5E3 = "e5>e3不成立";
    static constexpr const char* kE7E5 = "e7>e5不成立";
    static constexpr const char* kE11 = "此项选中时, e11 应大于0";
    static constexpr const char* kCheckDone = "检测结束！";
    static constexpr const char* kMissingY = "缺少缺省类型y, 系统已自动补上";

    InvestmentTypes(storage::Engine& engine, port::Prompter& prompter);

    storage::Cursor& table() { return types_; }
    // The type of a code as the ledger holds it (trimmed, lower-cased); none when undefined.
    const InvestmentType* find(std::string_view xabc);
    // Whole minimum holding days of a type; 0 for a code not in the table.
    int xabc_to_days(std::string_view xabc);

    // "检测冲突" on the current type: every failing test says so, then the end is told.
    void check();
    // A user leaving the box of `field` with `value`, with the boxes that follow it. False (told)
    // when the field is unknown or the value does not read.
    bool setField(std::string_view field, std::string_view value);
    // "插入新类型": an empty type, current.
    void insertType();
    // "删除类型": the current type.
    void removeCurrent();
    // Leaving the tab: type "y" exists and every code is lower case.
    void leave();

private:
    void reload();

    storage::Engine& engine_;
    port::Prompter& prompter_;
    storage::Cursor types_;
    std::map<std::string, InvestmentType> cache_;
    std::uint64_t cachedVersion_ = ~std::uint64_t{0};
};

std::string lowerAscii(std::string_view s);

}  // namespace varneth::fund
