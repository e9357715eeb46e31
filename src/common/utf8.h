// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string_view>

namespace brambleton {

// Length in bytes of the well-formed UTF-8 sequence at `s[at]`, and its code point in `cp`;
// 0 when the bytes there are not one (a stray continuation byte, an overlong form, a
// surrogate, a value past U+10FFFF, or a sequence cut short). `at` must be inside `s`.
inline std::size_t utf8Sequence(std::string_view s, std::size_t at, char32_t& cp) noexcept {
    const auto b0 = static_cast<unsigned char>(s[at]);
    std::size_t length;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[at + i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

// Characters that change the order in which text around them is shown (bidirectional marks,
// embeddings, overrides and isolates), which a name could use to disguise itself.
inline bool reordersText(char32_t cp) noexcept {
    return cp == 0x061C || cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069);
}

}  // namespace brambleton
