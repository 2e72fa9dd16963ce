#pragma once

#include <shapefil.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace varneth::storage {

// A dBASE table from outside (an exchange's quotes, an old version's ledger), read-only. Only a
// file whose header, field list and record count fit its size opens: a download or copy cut short
// is refused before a single record is read from it.
class DbaseFile {
public:
    static std::optional<DbaseFile> open(const std::filesystem::path& file);

    int fieldIndex(const char* name) const;  // any letter case; -1 when there is no such field
    int records() const;
    bool deleted(int record) const;
    bool isNull(int record, int field) const;
    // The stored bytes (GBK text) without surrounding blanks.
    std::string text(int record, int field) const;
    double number(int record, int field) const;

private:
    struct Close {
        void operator()(DBFInfo* h) const { DBFClose(h); }
    };
    explicit DbaseFile(DBFInfo* h) : h_(h) {}
    std::unique_ptr<DBFInfo, Close> h_;
};

}  // namespace varneth::storage
