#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/book_views.h"
#include "storage/cursor.h"
#include "storage/query.h"
#include "storage/value.h"

namespace varneth::storage {
class Database;
}

namespace varneth::app {

// The main window's two views of the ledger: a catalog (by code, or by broker and cash account)
// and the detail rows of the catalog's current row, or every unconfirmed order. The detail follows
// the catalog by its parameters, re-run whenever the catalog's current row moves.
class MainViews : public ledger::BookViews, private storage::CursorObserver {
public:
    static constexpr int kByCode = 0;
    static constexpr int kByAccount = 1;
    static constexpr int kUnconfirmed = 2;

    // Holds the texts of choice 0; nothing runs before the first up_open. Throws storage::Error when
    // the account has no ledger.
    explicit MainViews(storage::Database& kvt);
    ~MainViews() override;
    MainViews(const MainViews&) = delete;
    MainViews& operator=(const MainViews&) = delete;

    int displayChoice() const override { return choice_; }
    // Remembers the catalog's titles of columns 0 and 1, then up_open. Throws std::out_of_range
    // for a choice other than 0, 1, 2.
    void setDisplayChoice(int choice);

    void build_sql();
    void reopen() override;
    void up_open() override;

    void moveCatalogToCode(std::string_view code) override;
    void moveCatalogToAccount(std::string_view zjzh) override;
    void moveDetailTo(std::string_view wth, std::string_view code) override;
    std::optional<ledger::DetailRow> currentDetail() const override;

    // Moves the catalog to the first row whose fields (names joined by ";") hold the values; false
    // when the catalog has no such fields or no such row.
    bool findInCatalog(std::string_view fields, const std::vector<storage::Value>& values);

    storage::Query& catalogQuery() { return catalogQuery_; }
    storage::Query& detailQuery() { return detailQuery_; }
    // The result cursors stay the same objects across reopens, so grids bind to them once.
    storage::Cursor& catalog() { return catalog_; }
    storage::Cursor& detail() { return detail_; }
    const storage::Cursor& catalog() const { return catalog_; }
    const storage::Cursor& detail() const { return detail_; }

    // One title per catalog column; by choice 2 the titles of the choice before.
    const std::vector<std::string>& catalogTitles() const { return titles_; }
    // The by-code catalog shows its cost and current prices (columns 3 and 4) left-aligned.
    bool catalogPricesLeftAligned() const { return pricesLeftAligned_; }

    // Called after every reopen, while the grids are still suspended: the catalog's columns may
    // have changed under them.
    void setReopenedHandler(std::function<void()> handler) { reopened_ = std::move(handler); }

private:
    void viewReset() override {}
    void rowChanged(int) override {}
    void currentChanged(int position) override;

    template <class Work>
    void refreshing(Work work);
    void reopenQueries();
    void openDetail();
    void setTitles();

    storage::Query catalogQuery_;
    storage::Query detailQuery_;
    storage::Cursor& catalog_;
    storage::Cursor& detail_;
    int choice_ = kByCode;
    std::array<std::string, 2> remembered_;
    std::vector<std::string> titles_;
    bool pricesLeftAligned_ = false;
    bool reopening_ = false;
    int detailFor_ = -1;  // the catalog position the detail was run for
    std::function<void()> reopened_;
};

}  // namespace varneth::app
