#pragma once

#include <string>
#include <string_view>

#include "port/clock.h"
#include "port/prompter.h"
#include "port/report_sink.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::fund {

// The investor address book ("投资人通讯录", "addr.dbf"): the investors' telephones and addresses and
// who introduced them, the names the fund ledger takes from it, and its printout.
class AddressBook {
public:
    static constexpr const char* kTable = "addr.dbf";
    static constexpr const char* kFilePrefix = "Addr_";
    static constexpr const char* kEmptyCode = "记录为或代码为空，放弃操作。";

    // "显示和打印顺序": by code (index "pycode") or by postal code (index "pcpy").
    enum class Order { Pycode, Pcpy };

    AddressBook(storage::Engine& engine, port::Prompter& prompter);
    AddressBook(const AddressBook&) = delete;
    AddressBook& operator=(const AddressBook&) = delete;

    storage::Cursor& entries() { return entries_; }
    void setOrder(Order order);
    Order order() const { return order_; }
    // Makes the first entry of the code current; false (told) when the book has none.
    bool select(std::string_view pycode);

    // "按代码改姓名": every fund-ledger row of a code in the book (market and transfer rows aside)
    // takes the book's name. Returns the rows renamed.
    int fillNames();
    // "指定代码改姓名": the same for the rows of the current entry's code; false (told) without one.
    bool fillNamesOfCurrent(int* renamed = nullptr);
    // "从首页补充": an entry for each investor of the grid `investors` (rows of code and name) that
    // has none yet. Returns the entries added.
    int fillFromInvestors(const storage::Cursor& investors);
    // "删除" (asked first) and "复制记录" on the current entry; false when nothing was written.
    bool removeCurrent();
    bool copyCurrent();
    // A new entry from the grid's blank row: the first value typed into it; a blank value stores nothing.
    bool appendEntry(std::string_view field, const storage::Value& value);

    // "打印通讯录": the entries in the order shown, 50 to a page, headed by the fund's name.
    void print(std::string_view fundName, const port::DateTime& printed, port::ReportSink& sink) const;

private:
    int rename(std::string_view only);

    storage::Engine& engine_;
    port::Prompter& prompter_;
    storage::Cursor entries_;
    Order order_ = Order::Pycode;
};

// The message for a code that is not where it was looked for.
std::string unknownInvestor(std::string_view pycode);

}  // namespace varneth::fund
