#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "ledger/holdings.h"
#include "port/prompter.h"

namespace varneth::ledger {

// "拷贝数据": replaces the ledger by the records of the old version's ledger "tr0.dbf" (a dBASE
// file with its index "tr0.mdx") in the account directory, field by field by name.
class OldLedger {
public:
    static constexpr const char* kFileName = "tr0.dbf";
    static constexpr const char* kIndexName = "tr0.mdx";
    static constexpr const char* kFoundQuestion = "旧文件存在，按yes拷贝,否则退出。";
    static std::string question(const std::filesystem::path& dir);
    static std::string missingMessage(const std::filesystem::path& dir);
    static std::string doneMessage(const std::filesystem::path& dir);
    static std::string unreadableMessage(const std::filesystem::path& file);

    OldLedger(Holdings& holdings, std::filesystem::path accountDir, port::Prompter& prompter);

    // The questions, then the copy. False when the user declined, a file is missing or the old
    // ledger does not open; the ledger is then as it was.
    bool copy();
    // A file of the account directory by name in any letter case, as the old files come from a
    // system that does not tell case apart; the exact name first.
    std::optional<std::filesystem::path> find(const std::string& name) const;

private:
    Holdings& holdings_;
    std::filesystem::path dir_;
    port::Prompter& prompter_;
};

}  // namespace varneth::ledger
