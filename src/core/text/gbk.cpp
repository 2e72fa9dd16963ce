#include "text/gbk.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace varneth::text {
namespace {

// One UTF-8 character of a text; an invalid byte is a character of its own, of length 1.
struct Utf8Char {
    char32_t cp;
    std::size_t length;
    bool valid() const { return cp != kInvalid; }
    static constexpr char32_t kInvalid = 0xFFFFFFFF;
};

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Strict decoding: overlong forms, surrogates and values past U+10FFFF are invalid bytes.
Utf8Char decode(std::string_view s, std::size_t pos) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
    const unsigned char c = b(0);
    if (c < 0x80) return {c, 1};
    const std::size_t left = s.size() - pos;
    if (c >= 0xC2 && c <= 0xDF && left >= 2 && isContinuation(b(1)))
        return {static_cast<char32_t>((c & 0x1F) << 6 | (b(1) & 0x3F)), 2};
    if (c >= 0xE0 && c <= 0xEF && left >= 3 && isContinuation(b(1)) && isContinuation(b(2))) {
        const char32_t cp = (c & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
        if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) return {cp, 3};
    }
    if (c >= 0xF0 && c <= 0xF4 && left >= 4 && isContinuation(b(1)) && isContinuation(b(2)) &&
        isContinuation(b(3))) {
        const char32_t cp = (c & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
        if (cp >= 0x10000 && cp <= 0x10FFFF) return {cp, 4};
    }
    return {Utf8Char::kInvalid, 1};
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        // iconv's own failure value is (iconv_t)-1.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much of `in` as it can into `out`, advancing both; returns errno (0 when done).
    int convert(std::string_view& in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        int err = 0;
        while (srcLeft > 0) {
            const std::size_t done = out.size();
            out.resize(done + srcLeft * 2 + 8);
            char* dst = out.data() + done;
            std::size_t dstLeft = out.size() - done;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.resize(out.size() - dstLeft);
            if (r != static_cast<std::size_t>(-1)) break;
            if (errno != E2BIG) {
                err = errno;
                break;
            }
        }
        in.remove_prefix(in.size() - srcLeft);
        return err;
    }

private:
    iconv_t cd_;
};

Converter& toGb18030() {
    thread_local Converter c("GB18030", "UTF-8");
    return c;
}

Converter& fromGb18030() {
    thread_local Converter c("UTF-8", "GB18030");
    return c;
}

// Appends the GB18030 form of one valid non-ASCII character, or "?" when it has none.
void appendGb(std::string_view utf8Char, std::string& out) {
    const std::size_t before = out.size();
    if (toGb18030().convert(utf8Char, out) != 0 || !utf8Char.empty()) {
        out.resize(before);
        out += '?';
    }
}

int convertedWidth(std::string_view utf8Char) {
    std::string gb;
    appendGb(utf8Char, gb);
    return static_cast<int>(gb.size());
}

// Widths of BMP characters, filled on first use; 0 = not yet known.
std::array<std::atomic<std::uint8_t>, 0x10000> bmpWidths{};

int charWidth(std::string_view s, const Utf8Char& c, std::size_t pos) {
    if (!c.valid() || c.cp < 0x80) return 1;
    // Past the BMP most characters take 4 bytes, but a few have 2-byte codes (FE51 is U+20087): rare
    // enough to convert each time.
    if (c.cp > 0xFFFF) return convertedWidth(s.substr(pos, c.length));
    auto& slot = bmpWidths[c.cp];
    int w = slot.load(std::memory_order_relaxed);
    if (w == 0) {
        w = convertedWidth(s.substr(pos, c.length));
        slot.store(static_cast<std::uint8_t>(w), std::memory_order_relaxed);
    }
    return w;
}

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

int gbkWidth(std::string_view utf8) {
    int width = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            ++width;
            ++pos;
            continue;
        }
        const Utf8Char c = decode(utf8, pos);
        width += charWidth(utf8, c, pos);
        pos += c.length;
    }
    return width;
}

std::string cutToWidth(std::string_view utf8, int width) {
    int used = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const Utf8Char c = decode(utf8, pos);
        const int w = charWidth(utf8, c, pos);
        if (used + w > width) break;
        used += w;
        pos += c.length;
    }
    return std::string(utf8.substr(0, pos));
}

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra;
        char32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= text.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        const bool overlongOrSurrogate = extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF));
        if (overlongOrSurrogate || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

std::string trimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) --end;
    return std::string(text.substr(0, end));
}

std::string trim(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && isBlank(text[begin])) ++begin;
    return trimRight(text.substr(begin));
}

std::string s10(std::string_view text, int width) {
    // A cell that fills or overflows its column still gets one blank, so that neighbours never run
    // together.
    const int blanks = std::max(1, width - gbkWidth(trim(text)));
    std::string out(text);
    if (blanks > 0) out.append(static_cast<std::size_t>(blanks), ' ');
    return out;
}

std::string cell(std::string_view text, int width) {
    if (gbkWidth(trim(text)) < width) return s10(text, width);
    return std::string(text) + ' ';
}

std::string gbkToUtf8(std::string_view gbkBytes) {
    std::string out;
    out.reserve(gbkBytes.size() * 3 / 2);
    while (!gbkBytes.empty()) {
        if (fromGb18030().convert(gbkBytes, out) == 0) break;
        out += "\xEF\xBF\xBD";  // U+FFFD for the byte that does not decode (or a truncated tail)
        gbkBytes.remove_prefix(1);
    }
    return out;
}

std::string utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const Utf8Char c = decode(utf8, pos);
        if (!c.valid())
            out += '?';
        else if (c.cp < 0x80)
            out += static_cast<char>(c.cp);
        else
            appendGb(utf8.substr(pos, c.length), out);
        pos += c.length;
    }
    return out;
}

}  // namespace varneth::text
