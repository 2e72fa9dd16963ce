#pragma once

#include <optional>
#include <string_view>

#include "ledger/detail_row.h"

namespace varneth::ledger {

// What the order window asks of the main window's two views after it changes the ledger.
class BookViews {
public:
    virtual ~BookViews() = default;
    virtual int displayChoice() const = 0;  // 0 by code, 1 by broker and cash account, 2 unconfirmed orders
    virtual void up_open() = 0;             // rebuild the queries and reopen
    virtual void reopen() = 0;
    virtual void moveCatalogToCode(std::string_view code) = 0;
    virtual void moveCatalogToAccount(std::string_view zjzh) = 0;
    virtual void moveDetailTo(std::string_view wth, std::string_view code) = 0;
    virtual std::optional<DetailRow> currentDetail() const = 0;  // none when the detail list is empty
};

}  // namespace varneth::ledger
