#include "storage/dbase_file.h"

#include <cstdint>
#include <fstream>

#include "text/gbk.h"

namespace varneth::storage {

namespace fs = std::filesystem;

namespace {

bool wellFormed(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    unsigned char head[32];
    if (ec || !in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
    const std::uint64_t records = head[4] | head[5] << 8 | head[6] << 16 | std::uint64_t(head[7]) << 24;
    const unsigned headerLength = head[8] | head[9] << 8, recordLength = head[10] | head[11] << 8;
    if (headerLength < 65 || recordLength < 2 || headerLength > size) return false;
    std::string header(headerLength - 32, '\0');
    if (!in.read(header.data(), static_cast<std::streamsize>(header.size()))) return false;
    unsigned fieldsLength = 0;
    std::size_t at = 0;
    for (; at + 32 <= header.size() && header[at] != '\x0d'; at += 32)
        fieldsLength += static_cast<unsigned char>(header[at + 16]);
    if (at == 0 || at >= header.size() || header[at] != '\x0d') return false;
    return fieldsLength + 1 == recordLength && headerLength + records * recordLength <= size;
}

}  // namespace

std::optional<DbaseFile> DbaseFile::open(const fs::path& file) {
    if (!wellFormed(file)) return std::nullopt;
    DBFHandle h = DBFOpen(file.string().c_str(), "rb");
    if (!h) return std::nullopt;
    return DbaseFile(h);
}

int DbaseFile::fieldIndex(const char* name) const {
    return DBFGetFieldIndex(h_.get(), name);
}
int DbaseFile::records() const {
    return DBFGetRecordCount(h_.get());
}
bool DbaseFile::deleted(int record) const {
    return DBFIsRecordDeleted(h_.get(), record);
}
bool DbaseFile::isNull(int record, int field) const {
    return DBFIsAttributeNULL(h_.get(), record, field);
}

std::string DbaseFile::text(int record, int field) const {
    // shapelib hands out a buffer it reuses (copied at once), and none for a record it cannot read.
    const char* raw = DBFReadStringAttribute(h_.get(), record, field);
    return raw ? text::trim(raw) : std::string();
}

double DbaseFile::number(int record, int field) const {
    return DBFReadDoubleAttribute(h_.get(), record, field);
}

}  // namespace varneth::storage
