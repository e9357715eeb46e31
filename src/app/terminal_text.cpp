// SPDX-License-Identifier: MIT
#include "app/terminal_text.h"

#include <cctype>
#include <cstdio>

#include "common/utf8.h"

namespace brambleton {
namespace {

std::string escaped(unsigned value, const char* form) {
    char buf[16];
    std::snprintf(buf, sizeof buf, form, value);
    return buf;
}

// The escape that stands for the character at `at` (`len` bytes, code point `cp`; `len` 0 for
// a byte that is not UTF-8), or nothing when it is shown as it is. A backslash is left alone
// here: whether it needs escaping depends on what follows it.
std::string escapeFor(std::string_view text, std::size_t at, std::size_t len, char32_t cp) {
    const auto b = static_cast<unsigned char>(text[at]);
    if (len == 0) return escaped(b, "\\x%02x");
    if (cp < 0x20 || cp == 0x7F) return escaped(b, "\\x%02x");
    if ((cp >= 0x80 && cp < 0xA0) || reordersText(cp)) {
        return escaped(static_cast<unsigned>(cp), "\\u%04x");
    }
    return {};
}

bool isHex(std::string_view s, std::size_t count) {
    if (s.size() < count) return false;
    for (std::size_t i = 0; i < count; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
    }
    return true;
}

// Whether a backslash before `rest` would read as an escape: before "x" and two hex digits,
// or "u" and four. No other escape exists, so a Windows path's backslashes print as they are.
bool startsEscape(std::string_view rest) {
    if (rest.empty()) return false;
    if (rest[0] == 'x') return isHex(rest.substr(1), 2);
    if (rest[0] == 'u') return isHex(rest.substr(1), 4);
    return false;
}

}  // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t cp = 0;
        const std::size_t len = utf8Sequence(text, at, cp);
        if (len == 1 && cp == '\\') {
            // Itself escaped only where it could be read as the start of an escape, so a
            // copied path such as C:\Games\TableSoccer\tablesoccer.far is the path.
            out += startsEscape(text.substr(at + 1)) ? "\\x5c" : "\\";
        } else if (const std::string escape = escapeFor(text, at, len, cp); !escape.empty()) {
            out += escape;
        } else {
            out.append(text.substr(at, len));
        }
        at += len ? len : 1;
    }
    return out;
}

std::string lastPart(std::string_view text, std::size_t width) {
    if (text.size() <= width) return std::string(text);
    const std::size_t room = width > 3 ? width - 3 : 0;
    std::size_t start = text.size() - room;
    // Step forward past continuation bytes to the first whole character.
    while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
        ++start;
    }
    return "..." + std::string(text.substr(start));
}

}  // namespace brambleton
