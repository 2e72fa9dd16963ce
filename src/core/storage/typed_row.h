#pragma once

#include <string_view>

#include "storage/cursor.h"
#include "storage/engine.h"
#include "storage/value.h"
#include "text/gbk.h"

namespace varneth::storage {

// A grid's blank row becomes a stored row with the first value typed into it, in its own action; a
// blank value stores nothing. False when nothing was stored.
inline bool appendTypedRow(Engine& engine, Cursor& rows, std::string_view field, const Value& value) {
    if (value.isNull() || text::trim(value.toString()).empty()) return false;
    Action action(engine);
    rows.append();
    rows.setValue(field, value);
    rows.post();
    return true;
}

}  // namespace varneth::storage
