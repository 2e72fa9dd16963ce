#include "storage/schema.h"

#include "storage/error.h"
#include "storage/names.h"

namespace varneth::storage {

const char* aliasName(Alias a) {
    return a == Alias::Kvt ? "kvt" : "curr";
}

int TableDef::fieldIndex(std::string_view f) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (sameName(fields[i].name, f)) return static_cast<int>(i);
    return -1;
}

const FieldDef& TableDef::field(std::string_view f) const {
    int i = fieldIndex(f);
    if (i < 0) throw Error("表 " + name + " 没有字段 " + std::string(f));
    return fields[static_cast<std::size_t>(i)];
}

const OrderingDef* TableDef::ordering(std::string_view n) const {
    for (const auto& o : orderings)
        if (sameName(o.name, n)) return &o;
    return nullptr;
}

}  // namespace varneth::storage
