#pragma once

#include <shapefil.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/gbk.h"

namespace varneth::testsupport {

struct DbfColumn {
    const char* name;
    char type;  // 'C' or 'N'
};

// A dBASE table of text and number columns; rows hold UTF-8 text written as GBK. Shared by the
// GoogleTest and QtTest suites, so it reports a failure by throwing.
inline void writeDbf(const std::filesystem::path& file, const std::vector<DbfColumn>& columns,
                     const std::vector<std::vector<std::string>>& rows) {
    DBFHandle dbf = DBFCreate(file.string().c_str());
    if (!dbf) throw std::runtime_error("cannot create " + file.string());
    for (const DbfColumn& c : columns)
        DBFAddField(dbf, c.name, c.type == 'C' ? FTString : FTDouble, c.type == 'C' ? 20 : 12,
                    c.type == 'C' ? 0 : 3);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t f = 0; f < columns.size(); ++f) {
            const int ri = static_cast<int>(r), fi = static_cast<int>(f);
            if (columns[f].type == 'C')
                DBFWriteStringAttribute(dbf, ri, fi, text::utf8ToGbk(rows[r][f]).c_str());
            else
                DBFWriteDoubleAttribute(dbf, ri, fi, std::stod(rows[r][f]));
        }
    DBFClose(dbf);
}

}  // namespace varneth::testsupport
