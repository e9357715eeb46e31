// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// ASCII letter case, for names that Windows, Wine and Steam compare without regard to it.
namespace brambleton::ascii {

constexpr char lower(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

constexpr char upper(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

constexpr bool equalNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

constexpr bool startsWithNoCase(std::string_view text, std::string_view start) noexcept {
    return text.size() >= start.size() && equalNoCase(text.substr(0, start.size()), start);
}

inline std::string toLower(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = lower(c);
    return out;
}

}  // namespace brambleton::ascii
