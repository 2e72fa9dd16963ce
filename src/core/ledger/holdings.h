#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port/clock.h"
#include "port/prompter.h"
#include "reference/lookups.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "storage/engine.h"

namespace varneth::ledger {

// Money in units of ten thousand with two decimals, as the value labels show it: "252.57".
std::string inTenThousands(double x);

// The holdings module: the ledger "tr2.DBF" open for the whole login, in the holdings or the
// closed-out view, and the valuation that every window runs after it changes the ledger.
// Its cursor is the one other windows write through.
class Holdings {
public:
    enum class View { Holdings, Closed };

    static constexpr const char* kTable = "tr2.DBF";
    static constexpr const char* kHoldingsOrdering = "No_PC";
    static constexpr const char* kClosedOrdering = "For_PC";
    static constexpr const char* kNoType = "类型码未添好,请在手工编辑窗口修改好再计算!";
    static constexpr const char* kZeroTotal = "总资金是0，计算中止，请检查。";
    static constexpr const char* kNoAccount = "找不到相应的资金帐号";
    static std::string zeroPriceQuestion(std::string_view name);

    Holdings(storage::Engine& engine, reference::Lookups& lookups, port::Prompter& prompter,
             port::Clock& clock);
    Holdings(const Holdings&) = delete;
    Holdings& operator=(const Holdings&) = delete;

    storage::Cursor& ledger() { return ledger_; }
    storage::Engine& engine() { return engine_; }
    View view() const { return view_; }
    // The holdings view from its first record, or the closed view on its last.
    void setView(View view);

    // The valuation with refresh: back to the holdings view, grids held still, `calc`.
    // True when the valuation completed.
    bool up_calc();
    // The valuation proper. False when it stopped with a message. It always values the book (the
    // holdings view): while the closed view shows, it works through a cursor of its own, so that
    // closed-out rows never count into the totals and the grid stays where it is.
    bool calc();
    bool valuationPending() const { return pending_; }
    // When the last valuation completed; none before the first.
    const std::optional<port::DateTime>& lastValued() const { return lastValued_; }
    float s1() const { return s1_; }
    float s2() const { return s2_; }
    float s3() const { return s3_; }
    // "市值=…万" and "折扣总值=…万" as the labels above the grid show them ("" until known).
    const std::string& marketLabel() const { return marketLabel_; }
    const std::string& discountLabel() const { return discountLabel_; }

    // Cash of an account: the sum over its cash and frozen-cash rows, and its cash row alone.
    // Both read the book; in the holdings view they leave the ledger's cursor where they stopped.
    std::int64_t zjzhxj(std::string_view qsdm, std::string_view zjzh);
    std::int64_t zjzhxj1(std::string_view qsdm, std::string_view zjzh);

    // "删除": the current record, once the user agrees to the question naming it; false when the view
    // is empty or the user said No.
    bool removeCurrent();
    // "插入空白": a blank record, current. A blank row belongs to the holdings view, so the closed
    // view gives way to it: the user sees the row to fill in.
    void insertBlank();
    // "复制记录": a new current record copied from the current one at its current price; false when
    // the view is empty.
    bool copy_buy_rec();
    // "补充汉字": empty names, broker names and type names from the lookups, then the last record.
    // Each empty field is tried once per run: one whose lookup gives an empty text stays empty
    // and is passed over, so the filler always ends.
    void fillNames();

private:
    struct Fields {
        int wth, qsdm, qs, gddm, zjzh, code, name, amt, price1, date1, price2, cost1, cost2, income, inc, per,
            sxf, yhs, zkRate, lxm, bs, birate, lx;
    };

    bool valuate(storage::Cursor& book);
    bool firstPass(storage::Cursor& book);
    void appendMissingTotals(storage::Cursor& book);
    void secondPass(storage::Cursor& book);
    void valueRecord(storage::Cursor& book);
    void settleRecord(storage::Cursor& book);
    std::int64_t cashOf(storage::Cursor& book, std::string_view qsdm, std::string_view zjzh);
    std::int64_t cashRowOf(storage::Cursor& book, std::string_view qsdm, std::string_view zjzh);
    // Runs `work` on the book: the ledger's own cursor in the holdings view, else a cursor of its own.
    template <class Work>
    auto onBook(Work&& work);
    void readTotalLabels();

    storage::Engine& engine_;
    storage::Database& kvt_;
    storage::Cursor ledger_;
    reference::Lookups& lookups_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    Fields f_;
    View view_ = View::Holdings;
    bool pending_ = true;
    std::optional<port::DateTime> lastValued_;
    float s1_ = 0, s2_ = 0, s3_ = 0;
    std::string marketLabel_, discountLabel_;
};

}  // namespace varneth::ledger
