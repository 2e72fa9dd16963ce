#pragma once

#include <string>
#include <string_view>

namespace varneth::app {

// Passwords are never stored as typed: a libsodium hash, or "" for an account without password.
std::string hashPassword(std::string_view typed);
bool passwordMatches(std::string_view stored, std::string_view typed);

}  // namespace varneth::app
