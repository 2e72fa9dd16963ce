#include <gtest/gtest.h>

#include <set>

#include "storage/filter.h"
#include "storage/names.h"
#include "storage/schema.h"

using namespace varneth::storage;

namespace {

bool isDbaseFile(const std::string& name) {
    return sameName(name.substr(name.rfind('.')), ".dbf");
}

TEST(SchemaTables, EveryDefinitionIsConsistentWithItself) {
    for (const auto& t : allTables()) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(findTable(t.name), &t);
        EXPECT_EQ(t.kind == TableKind::DBase, isDbaseFile(t.name));
        std::set<std::string> names;
        for (const auto& f : t.fields) {
            EXPECT_TRUE(names.insert(lowerName(f.name)).second) << f.name;
            EXPECT_EQ(f.type == FieldType::Text, f.width > 0) << f.name;
        }
        if (t.kind == TableKind::Paradox) {
            EXPECT_EQ(t.primaryKey.empty(), t.name == "tich.DB") << t.name;  // tich.DB rows may repeat
        } else {
            EXPECT_TRUE(t.primaryKey.empty());
        }
        for (const auto& k : t.primaryKey) EXPECT_GE(t.fieldIndex(k), 0) << k;
        for (const auto& o : t.orderings) {
            for (const auto& f : o.fields) EXPECT_GE(t.fieldIndex(f), 0) << o.name << " " << f;
            if (!o.condition.empty()) {
                EXPECT_NO_THROW(Filter(o.condition, t.fields)) << o.name;
            }
        }
    }
}

TEST(SchemaTables, PrivateAndSharedTablesAreFoundByAnyLetterCase) {
    std::set<std::string> kvt, curr;
    for (const auto& t : allTables()) (t.alias == Alias::Kvt ? kvt : curr).insert(t.name);
    EXPECT_EQ(kvt, (std::set<std::string>{"tr2.DBF", "Fund2.DB", "tich.DB", "addr.dbf", "bi.db", "zh_bi.db",
                                          "sph.db", "groups.db", "devision.DB"}));
    EXPECT_EQ(curr, (std::set<std::string>{"z.db", "lx.DB", "qs.db", "code_N_P.DBF", "code_to_lx.DBF",
                                           "allstocks.DBF", "hq_path.DBF", "parameter.DBF", "TZLX.db",
                                           "wt_path.DB"}));
    EXPECT_EQ(findTable("fund2.DB"), findTable("Fund2.DB"));
    EXPECT_EQ(findTable("TR2.dbf")->name, "tr2.DBF");
    EXPECT_EQ(findTable("tr0.dbf"), nullptr);
}

// The two ledger tags split every marker between them: closed-out marks and "0???" on one side,
// everything else (including the marks just outside the closed-out range) on the other.
TEST(SchemaTables, LedgerTagsSplitTheMarkersExactly) {
    const TableDef& t = *findTable("tr2.DBF");
    Filter closed(t.ordering("For_PC")->condition, t.fields);
    Filter open(t.ordering("No_PC")->condition, t.fields);
    Record row(t.fields.size(), Value(""));
    for (const char* wth :
         {"P2026091500", "P", "PA", "0???", "0", "", "###", "b", "s", "26120414301", "1106101532"}) {
        row[static_cast<std::size_t>(t.fieldIndex("WTH"))] = Value(wth);
        bool isClosed = std::string(wth) == "0???" || (std::string(wth) > "P" && std::string(wth) < "PA");
        EXPECT_EQ(closed.matches(row), isClosed) << wth;
        EXPECT_NE(open.matches(row), closed.matches(row)) << wth;
    }
}

}  // namespace
