#include "tsv.h"

namespace varneth::cli {

void writeTsv(std::ostream& out, const storage::Cursor& c) {
    const auto& fields = c.def().fields;
    for (std::size_t i = 0; i < fields.size(); ++i) out << (i ? "\t" : "") << fields[i].name;
    out << '\n';
    for (int p = 0; p < c.count(); ++p) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            out << (i ? "\t" : "") << c.valueAt(p, static_cast<int>(i)).toString();
        out << '\n';
    }
}

}  // namespace varneth::cli
