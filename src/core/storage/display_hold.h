#pragma once

#include "storage/cursor.h"

namespace varneth::storage {

// Grids on a cursor stay still during a pass over its table and redraw once at its end.
class DisplayHold {
public:
    explicit DisplayHold(Cursor& c) : c_(c) { c_.suspendDisplay(); }
    ~DisplayHold() { c_.resumeDisplay(); }
    DisplayHold(const DisplayHold&) = delete;
    DisplayHold& operator=(const DisplayHold&) = delete;

private:
    Cursor& c_;
};

}  // namespace varneth::storage
