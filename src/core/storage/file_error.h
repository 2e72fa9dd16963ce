#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace varneth::storage {

// A failure of the file system in the user's words, naming the file: never the library's own text.
std::string describeFileError(const std::filesystem::path& file, std::error_code ec);
std::string describeFileError(const std::filesystem::filesystem_error& e);

}  // namespace varneth::storage
