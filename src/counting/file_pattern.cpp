// SPDX-License-Identifier: MIT
#include "counting/file_pattern.h"

#include <algorithm>

#include "common/ascii.h"

namespace brambleton {
namespace {

std::string_view trim(std::string_view s) noexcept {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string upper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), ascii::upper);
    return out;
}

void addOnce(std::vector<std::string>& to, std::string value) {
    if (std::find(to.begin(), to.end(), value) == to.end()) to.push_back(std::move(value));
}

// The length of the UTF-8 character that starts at `at`: its lead byte and the continuation
// bytes after it. A stray continuation byte counts as a character of its own.
std::size_t characterLength(std::string_view s, std::size_t at) noexcept {
    std::size_t end = at + 1;
    while (end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) ++end;
    return end - at;
}

}  // namespace

std::string_view extensionText(std::string_view name) noexcept {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

bool wildcardMatches(std::string_view wildcard, std::string_view name) noexcept {
    // The classic greedy match with one backtrack point, the last "*" seen: linear in the
    // common cases and never worse than the product of the two lengths.
    std::size_t w = 0;
    std::size_t n = 0;
    std::size_t starW = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (w < wildcard.size() && wildcard[w] == '*') {
            starW = w++;
            starN = n;
        } else if (w < wildcard.size() && wildcard[w] == '?') {
            ++w;
            n += characterLength(name, n);
        } else if (w < wildcard.size() && wildcard[w] == ascii::upper(name[n])) {
            ++w;
            ++n;
        } else if (starW != std::string_view::npos) {
            w = starW + 1;
            starN += characterLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (w < wildcard.size() && wildcard[w] == '*') ++w;
    return w == wildcard.size();
}

FilePattern::FilePattern(std::string_view pattern) {
    for (std::size_t start = 0;;) {
        const auto end = pattern.find(';', start);
        const auto entry = trim(pattern.substr(start, end - start));
        if (!entry.empty()) {
            hasEntries_ = true;
            const auto rest = entry.substr(std::min<std::size_t>(2, entry.size()));
            if (entry == "*.*" || entry.find_first_not_of('*') == std::string_view::npos) {
                matchesEverything_ = true;
            } else if (entry.starts_with("*.") && rest.find_first_of("*?.") == rest.npos) {
                addOnce(upperExtensions_, upper(rest));
            } else {
                addOnce(upperWildcards_, upper(entry));
            }
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (!hasEntries_) matchesEverything_ = true;
}

bool FilePattern::matches(std::string_view fileName) const noexcept {
    if (matchesEverything_) return true;
    const auto ext = extensionText(fileName);
    for (const auto& wanted : upperExtensions_) {
        if (wanted.size() != ext.size()) continue;
        if (std::equal(ext.begin(), ext.end(), wanted.begin(),
                       [](char a, char b) { return ascii::upper(a) == b; })) {
            return true;
        }
    }
    for (const auto& wildcard : upperWildcards_) {
        if (wildcardMatches(wildcard, fileName)) return true;
    }
    return false;
}

}  // namespace brambleton
