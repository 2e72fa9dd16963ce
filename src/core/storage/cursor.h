#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "storage/filter.h"
#include "storage/table.h"
#include "storage/value.h"

namespace varneth::storage {

class Database;

// Told of what a grid bound to a cursor must redraw.
class CursorObserver {
public:
    virtual ~CursorObserver() = default;
    virtual void viewReset() = 0;                   // rows came, went or moved: redraw all
    virtual void rowChanged(int position) = 0;      // values of one row changed in place
    virtual void currentChanged(int position) = 0;  // the current row moved (-1: none)
};

// A table seen through an ordering and an optional filter, with a current row.
// Rows with equal keys keep their insertion order, so "the first matching row" is always the same.
// Setting a field of the current row starts editing it; moving away from an edited row posts it.
class Cursor : private TableListener {
public:
    enum class State { Browse, Edit, Insert };
    struct Bookmark {
        std::int64_t rowid = 0;
    };

    Cursor(Database& db, std::string_view table);
    explicit Cursor(std::shared_ptr<Table> table);  // e.g. a query result
    ~Cursor() override;
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    const TableDef& def() const { return table_->def(); }
    bool readOnly() const { return table_->readOnly(); }
    // Shows another table (a reopened query) through this cursor; observers see a reset.
    void rebind(std::shared_ptr<Table> table);

    // Ordering: a named index tag, "" for the default (primary key or natural order).
    void setOrdering(std::string_view name);
    const std::string& ordering() const { return orderingName_; }
    void setFilter(std::string_view text);  // "" clears
    const std::string& filter() const;

    // Navigation. An empty view is both bof and eof.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    int count() const { return static_cast<int>(view_.size()); }
    bool isEmpty() const { return view_.empty(); }
    int position() const { return pos_; }  // -1 when the view is empty
    void moveTo(int position);

    // Fields of the current row (the edit buffer while editing). Names are case-insensitive.
    int fieldIndex(std::string_view field) const;  // throws storage::Error when absent
    const Value& value(std::string_view field) const;
    const Value& value(int fieldIndex) const;
    std::string text(std::string_view field) const;
    double number(std::string_view field) const;
    std::int64_t integer(std::string_view field) const;
    bool logical(std::string_view field) const;
    std::optional<std::string> date(std::string_view field) const;  // "yyyy-mm-dd"
    // Any row of the view, for grids; does not move the cursor.
    const Value& valueAt(int position, int fieldIndex) const;
    std::int64_t rowidAt(int position) const;

    void setValue(std::string_view field, const Value& v);
    void setValue(int fieldIndex, const Value& v);
    void setNull(std::string_view field) { setValue(field, Value()); }

    // Editing.
    State state() const { return state_; }
    void edit();
    void append();  // a new row, posted at the end of the natural order
    void insert();  // as append: a table's rows are placed by its ordering, not by the cursor
    void post();
    void cancel();
    void remove();  // deletes the current row; the cursor moves to its successor

    // The first row, in the current order and filter, whose fields (names joined by ";") equal
    // the values exactly; the current row is unchanged when there is none.
    bool locate(std::string_view fields, const std::vector<Value>& values);
    bool locate(const std::vector<int>& fieldIndexes, const std::vector<Value>& values);
    // Exact match on the leading fields of the current ordering (the primary key by default).
    bool findKey(const std::vector<Value>& values);

    Bookmark bookmark() const;
    bool gotoBookmark(const Bookmark& b);  // false when that row is no longer in the view

    void addObserver(CursorObserver* o);
    void removeObserver(CursorObserver* o);
    // Passes over a table suspend the grids on it; resuming redraws them once.
    void suspendDisplay();
    void resumeDisplay();
    bool displaySuspended() const { return suspended_ > 0; }

    // Changes whenever a row enters, leaves, moves or changes in the view: callers that keep
    // something derived from the view compare it to know when to derive again.
    std::uint64_t viewVersion() const { return viewVersion_; }

    // Re-reads the view (a changed database behind the engine's back).
    void refresh();

private:
    void rowInserted(Row* row) override;
    void rowUpdated(Row* row, const std::vector<int>& changed) override;
    void rowRemoving(Row* row) override;
    void tableReloaded() override;

    void applyOrdering(std::string_view name, std::int64_t keep);
    // The view again from the table, staying on the current row (or on `keep`, a rowid) if it is still in
    // view.
    void rebuild(std::int64_t keep = -1);
    bool inView(const Record& r) const;
    bool less(const Row* a, const Row* b) const;
    int insertionPoint(const Row* r) const;
    int indexOf(const Row* r) const;
    bool affectsView(const std::vector<int>& changed) const;
    void setPos(int pos);
    void autoPost();
    const Record& current() const;
    void notifyReset();
    void notifyRow(int pos);
    void notifyCurrent();

    std::shared_ptr<Table> table_;
    std::string orderingName_;
    std::vector<int> keyFields_;
    std::optional<Filter> orderingCondition_;
    std::optional<Filter> filter_;
    std::vector<Row*> view_;
    int pos_ = -1;
    bool bof_ = true, eof_ = true;
    State state_ = State::Browse;
    Record buffer_;
    std::vector<int> dirty_;
    Row* editing_ = nullptr;
    std::map<std::vector<int>, std::unordered_map<std::string, int>> locateIndex_;
    std::uint64_t viewVersion_ = 0;
    std::vector<CursorObserver*> observers_;
    int suspended_ = 0;
};

}  // namespace varneth::storage
