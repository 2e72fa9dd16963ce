#include "app/passwords.h"

#include <sodium.h>

#include <stdexcept>

namespace varneth::app {

namespace {
void ensureSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw std::runtime_error("libsodium 无法初始化");
}
}  // namespace

std::string hashPassword(std::string_view typed) {
    if (typed.empty()) return {};
    ensureSodium();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, typed.data(), typed.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("口令加密失败：内存不足");
    return out;
}

bool passwordMatches(std::string_view stored, std::string_view typed) {
    if (stored.empty()) return typed.empty();
    if (typed.empty()) return false;
    ensureSodium();
    std::string s(stored);
    return crypto_pwhash_str_verify(s.c_str(), typed.data(), typed.size()) == 0;
}

}  // namespace varneth::app
