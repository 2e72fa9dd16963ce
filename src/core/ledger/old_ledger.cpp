#include "ledger/old_ledger.h"

#include <algorithm>
#include <array>
#include <vector>

#include "storage/dbase_file.h"
#include "storage/error.h"
#include "storage/names.h"
#include "text/gbk.h"

namespace varneth::ledger {

namespace fs = std::filesystem;

namespace {

// The fields the old layout shares with the ledger; it has no BS and no BIRATE.
constexpr std::array<const char*, 24> kCopied = {
    "WTH",    "QSDM",  "QS",    "GDDM",  "ZJZH",   "CODE", "NAME", "LX",  "LXM", "AMT",   "PRICE1",  "DATE1",
    "PRICE2", "DATE2", "COST1", "COST2", "INCOME", "INC",  "PER",  "SXF", "YHS", "CJ_DH", "ZK_RATE", "NOTE"};

// An old field's text as the ledger field takes it: GBK text to UTF-8, dBASE dates "yyyymmdd" to
// ISO; numbers as written (the ledger reads them, and refuses what does not read).
storage::Value oldValue(const storage::DbaseFile& dbf, int record, int field, storage::FieldType type) {
    if (type != storage::FieldType::Text && dbf.isNull(record, field)) return storage::Value();
    const std::string raw = dbf.text(record, field);
    if (type == storage::FieldType::Text) return storage::Value(text::gbkToUtf8(raw));
    if (raw.empty()) return storage::Value();
    if (type == storage::FieldType::Date && raw.size() == 8 &&
        std::all_of(raw.begin(), raw.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return storage::Value(raw.substr(0, 4) + "-" + raw.substr(4, 2) + "-" + raw.substr(6, 2));
    return storage::Value(raw);
}

// Copies every live record of the old file into the ledger, passing over those that cannot be copied
// (a date or number that does not read).
void copyRecords(const storage::DbaseFile& dbf, storage::Cursor& ledger) {
    std::vector<std::pair<int, int>> fields;  // old field, ledger field
    for (const char* name : kCopied) {
        const int old = dbf.fieldIndex(name);
        if (old >= 0) fields.emplace_back(old, ledger.fieldIndex(name));
    }
    const int records = dbf.records();
    for (int r = 0; r < records; ++r) {
        if (dbf.deleted(r)) continue;
        try {
            ledger.append();
            for (const auto& [old, field] : fields)
                ledger.setValue(
                    field, oldValue(dbf, r, old, ledger.def().fields[static_cast<std::size_t>(field)].type));
            ledger.post();
        } catch (const storage::Error&) {
            ledger.cancel();
        }
    }
}

}  // namespace

std::string OldLedger::question(const fs::path& dir) {
    return "新版2.0以上持仓文件(如下面数据所示)文件名tr2.dbf和旧版文件名tr0."
           "dbf不同，格式也不同，此操作将把tr0.dbf中"
           "数据拷贝到tr2.dbf; 拷贝将删除现有数据。拷贝要求两者在同一目录:" +
           dir.string() + ";  按yes检查旧文件是否存在此目录,否则退出。";
}

std::string OldLedger::missingMessage(const fs::path& dir) {
    return "旧文件tr0.dbf和tr0.mdx至少一个找不到, 如果确实要拷贝数据，请把所需的这这两个文件copy到" +
           dir.string() + "再作此操作!";
}

std::string OldLedger::doneMessage(const fs::path& dir) {
    return "如果以上操作成功，以防以后误操作覆盖新文件，请将文件夹" + dir.string() +
           "中旧文件tr0.* 移到其他目录或删除。";
}

std::string OldLedger::unreadableMessage(const fs::path& file) {
    return "旧文件" + file.string() + "无法读取，现有数据未作改动。";
}

OldLedger::OldLedger(Holdings& holdings, fs::path accountDir, port::Prompter& prompter)
    : holdings_(holdings), dir_(std::move(accountDir)), prompter_(prompter) {}

std::optional<fs::path> OldLedger::find(const std::string& name) const {
    std::error_code ec;
    if (fs::is_regular_file(dir_ / name, ec)) return dir_ / name;
    std::vector<fs::path> matches;
    for (const auto& entry : fs::directory_iterator(dir_, ec))
        if (entry.is_regular_file(ec) && storage::sameName(entry.path().filename().string(), name))
            matches.push_back(entry.path());
    if (matches.empty()) return std::nullopt;
    return *std::min_element(matches.begin(), matches.end());
}

bool OldLedger::copy() {
    if (!prompter_.ask(question(dir_))) return false;
    const auto file = find(kFileName);
    if (!file || !find(kIndexName)) {
        prompter_.message(missingMessage(dir_));
        return false;
    }
    if (!prompter_.ask(kFoundQuestion)) return false;
    // Opened before anything is deleted: a file that does not read must not cost the user the ledger.
    const auto dbf = storage::DbaseFile::open(*file);
    if (!dbf) {
        prompter_.message(unreadableMessage(*file));
        return false;
    }
    {
        storage::Action action(holdings_.engine());
        storage::Cursor& ledger = holdings_.ledger();
        for (auto view : {Holdings::View::Closed, Holdings::View::Holdings}) {
            holdings_.setView(view);
            while (!ledger.isEmpty()) ledger.remove();
        }
        copyRecords(*dbf, ledger);
        storage::Cursor all(holdings_.engine().database(storage::Alias::Kvt), Holdings::kTable);
        for (all.first(); !all.eof(); all.next()) {
            all.setValue("BS", 1);
            all.setValue("BIRATE", 1.0);
            all.post();
        }
        ledger.first();
    }
    prompter_.message(doneMessage(dir_));
    return true;
}

}  // namespace varneth::ledger
