#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "storage/schema.h"

namespace varneth::accounts {

// The files SQLite keeps for the database of a table directory: `varneth.db` and its journals.
std::vector<std::filesystem::path> databaseFiles(const std::filesystem::path& dir);

// Why `file` is no sound database ("" when it is): missing, not a database, or damaged.
std::string damagedDatabase(const std::filesystem::path& file);
// Why `file` cannot serve as the database of `alias` ("" when it can): damaged, or lacking one of
// the alias's tables (an account opened on it would not log in).
std::string unusableDatabase(const std::filesystem::path& file, storage::Alias alias);

// A consistent copy of a live database into a self-contained file (no journal beside it), written
// aside and renamed over `to`: `to` is always either the old copy or the whole new one.
// Throws storage::Error.
void snapshotDatabase(const std::filesystem::path& from, const std::filesystem::path& to);

// Replaces the contents of `to` (which other connections may have open) by those of `from` in one
// transaction of `to`: every table or none. A missing `to` is created, and removed again on
// failure. Throws storage::Error.
void restoreDatabase(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace varneth::accounts
