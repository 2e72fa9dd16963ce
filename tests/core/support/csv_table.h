#pragma once

#include "storage/schema.h"

namespace varneth::testsupport {

// A keyed table with a field of every type, for CSV import and export.
inline storage::TableDef csvTable() {
    using storage::FieldType;
    storage::TableDef d;
    d.name = "c.DB";
    d.kind = storage::TableKind::Paradox;
    d.fields = {{"Code", FieldType::Text, 4},   {"Name", FieldType::Text, 12}, {"Rate", FieldType::Number, 0},
                {"Now", FieldType::Logical, 0}, {"Dt", FieldType::Date, 0},    {"N", FieldType::Integer, 0}};
    d.primaryKey = {"Code"};
    return d;
}

}  // namespace varneth::testsupport
