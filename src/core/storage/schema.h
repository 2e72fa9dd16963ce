#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varneth::storage {

enum class Alias { Kvt, Curr };
const char* aliasName(Alias a);  // "kvt", "curr"

enum class FieldType { Text, Number, Integer, Date, Logical };

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int width = 0;  // text fields: the width in GBK bytes
};

// A named ordering of a dBASE table (an index tag). `condition` is a filter-language text
// selecting the rows the tag holds (empty: every row), as a dBASE "FOR" clause does.
struct OrderingDef {
    std::string name;
    std::vector<std::string> fields;
    std::string condition;
};

enum class TableKind { DBase, Paradox };

struct TableDef {
    std::string name;  // the product's file name, e.g. "tr2.DBF"
    Alias alias = Alias::Kvt;
    TableKind kind = TableKind::DBase;
    std::vector<FieldDef> fields;
    // Paradox tables: unique key, and the order in which the table is visited by default.
    std::vector<std::string> primaryKey;
    // dBASE tables: named index tags; the default order is the natural (insertion) order.
    std::vector<OrderingDef> orderings;

    int fieldIndex(std::string_view field) const;              // case-insensitive; -1 when absent
    const FieldDef& field(std::string_view field) const;       // throws storage::Error when absent
    const OrderingDef* ordering(std::string_view name) const;  // case-insensitive
};

// Every table the product names, shared (curr) and private (kvt).
const std::vector<TableDef>& allTables();
// Case-insensitive lookup by file name; nullptr when the product has no such table.
const TableDef* findTable(std::string_view name);
// Fields whose values never leave the program: queries read them as empty, exports write them empty.
bool isSecret(std::string_view table, std::string_view field);

}  // namespace varneth::storage
