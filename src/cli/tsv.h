#pragma once

#include <ostream>

#include "storage/cursor.h"

namespace varneth::cli {

// A cursor's view as scripts read it: a header line of the field names, then one line per row,
// tab-separated; numbers in their shortest round-trip text, an empty value empty.
void writeTsv(std::ostream& out, const storage::Cursor& c);

}  // namespace varneth::cli
